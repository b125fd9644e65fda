#include "output_buffer.h"

#include <utility>

OutputBuffer::OutputBuffer(Sink sink, qsizetype capacity)
    : m_sink(std::move(sink)), m_buffer(capacity, Qt::Uninitialized), m_at(m_buffer.data()),
      m_end(m_buffer.data() + capacity)
{}

void OutputBuffer::flush()
{
    if (m_at != m_buffer.data())
        m_sink(QByteArrayView(m_buffer.constData(), m_at - m_buffer.constData()));
    m_at = m_buffer.data();
}

// A piece larger than the room left: the buffer is filled up and handed on,
// and a piece larger than the whole buffer goes on by itself.
void OutputBuffer::spill(QByteArrayView bytes)
{
    const qsizetype room = m_end - m_at;
    std::memcpy(m_at, bytes.data(), size_t(room));
    m_at = m_end;
    flush();
    bytes = bytes.sliced(room);
    if (bytes.size() >= m_buffer.size()) {
        m_sink(bytes);
        return;
    }
    put(bytes);
}

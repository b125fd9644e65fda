#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>
#include <functional>

// Gathers a file's contents, given in many small pieces, into one buffer
// of a fixed size and hands each full buffer to `sink`: a file of any size
// is written without its whole contents ever being in memory at once.
class OutputBuffer {
public:
    using Sink = std::function<void(QByteArrayView)>;

    explicit OutputBuffer(Sink sink, qsizetype capacity = qsizetype(1) << 20);

    void put(QByteArrayView bytes)
    {
        if (bytes.size() <= m_end - m_at) {
            if (!bytes.isEmpty())
                std::memcpy(m_at, bytes.data(), size_t(bytes.size()));
            m_at += bytes.size();
        } else {
            spill(bytes);
        }
    }
    // Hands on what is left; the buffer may be used again afterwards.
    void flush();

private:
    void spill(QByteArrayView bytes);

    Sink m_sink;
    QByteArray m_buffer;
    char *m_at;
    char *m_end;
};

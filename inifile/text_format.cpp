#include "text_format.h"

#include "app_error.h"

#include <QStringEncoder>

#include <cstring>

QByteArray TextFormat::bomBytes() const
{
    return bom ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
}

TextFormat detectTextFormat(QByteArrayView bytes)
{
    TextFormat format;
    if (bytes.isValidUtf8()) {
        format.encoding = TextEncoding::Utf8;
        format.bom = bytes.startsWith("\xEF\xBB\xBF");
    } else {
        // Latin-1 maps every byte to one character, so nothing is lost.
        format.encoding = TextEncoding::Latin1;
    }
    LineCursor cursor(bytes, format.bomLength());
    LineSpan line;
    if (cursor.next(line) && line.eolLength > 0)
        format.eol = bytes.sliced(line.start + line.length, line.eolLength).toByteArray();
    return format;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray encodeText(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Latin1) {
        for (QChar c : text) {
            if (c.unicode() > 0xFF)
                throw AppError(RuntimeError::InvalidArgument, QStringLiteral("Larkspur"),
                               QStringLiteral("The text \"%1\" holds the character \"%2\", which this file's "
                                              "encoding (Latin-1) cannot store; nothing was written")
                                   .arg(text, QString(c)));
        }
        return text.toLatin1();
    }
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    if (encoder.hasError())
        throw AppError(RuntimeError::InvalidArgument, QStringLiteral("Larkspur"),
                       QStringLiteral("The text \"%1\" is not valid Unicode; nothing was written").arg(text));
    return out;
}

void requireSingleLine(const QString &text, const QString &what)
{
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        throw AppError(RuntimeError::InvalidArgument, QStringLiteral("Larkspur"),
                       QStringLiteral("The %1 holds a line break, which would split it over several lines of "
                                      "the file; nothing was written")
                           .arg(what));
}

bool LineCursor::next(LineSpan &line)
{
    const qsizetype size = m_bytes.size();
    if (m_pos >= size)
        return false;
    const char *data = m_bytes.data();
    const char *p = data + m_pos;
    const char *end = data + size;
    // Most lines end in LF or CR LF: find the LF fast, then look for an
    // earlier lone CR only inside that stretch.
    if (m_nextLf < m_pos) {
        const void *found = std::memchr(p, '\n', size_t(end - p));
        m_nextLf = found ? static_cast<const char *>(found) - data : size;
    }
    const char *lf = m_nextLf < size ? data + m_nextLf : nullptr;
    const char *stop = lf ? lf : end;
    const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(stop - p)));
    line.start = m_pos;
    if (cr) {
        line.length = cr - p;
        line.eolLength = (cr + 1 < end && cr[1] == '\n') ? 2 : 1;
    } else if (lf) {
        line.length = lf - p;
        line.eolLength = 1;
    } else {
        line.length = end - p;
        line.eolLength = 0;
    }
    m_pos = line.end();
    return true;
}

bool endsWithLineEnd(QByteArrayView bytes, qsizetype from)
{
    if (bytes.size() <= from)
        return true;
    const char last = bytes.back();
    return last == '\n' || last == '\r';
}

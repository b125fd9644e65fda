#include "platform/name_match.h"

namespace {
inline char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}
} // namespace

QString upperName(QStringView text)
{
    return text.toString().toUpper();
}

UpperMatcher::UpperMatcher(const QString &name) : m_upper(name.toUpper()) {}

bool UpperMatcher::matches(QStringView text) const
{
    const qsizetype n = text.size();
    const char16_t *s = text.utf16();
    bool ascii = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii)
        return text.toString().toUpper() == m_upper;
    if (n != m_upper.size())
        return false;
    const char16_t *u = QStringView(m_upper).utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (asciiUpper(s[i]) != u[i])
            return false;
    }
    return true;
}

bool UpperMatcher::matchesBytes(QByteArrayView bytes, TextEncoding encoding) const
{
    const qsizetype n = bytes.size();
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    bool ascii = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (b[i] >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii)
        return decodeText(bytes, encoding).toUpper() == m_upper;
    if (n != m_upper.size())
        return false;
    const char16_t *u = QStringView(m_upper).utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (asciiUpper(b[i]) != u[i])
            return false;
    }
    return true;
}

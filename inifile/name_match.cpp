#include "name_match.h"

#include <algorithm>

namespace {

enum class AsciiAnswer { Match, NoMatch, NotAscii };

// Compares ASCII text with an upper-cased name without building a string;
// text holding anything else is left to the full Unicode comparison.
template <typename Char>
AsciiAnswer compareAscii(const Char *text, qsizetype n, QStringView upper)
{
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<char16_t>(text[i]) >= 0x80)
            return AsciiAnswer::NotAscii;
    if (n != upper.size())
        return AsciiAnswer::NoMatch;
    const char16_t *u = upper.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<char16_t>(text[i]);
        if (((c >= u'a' && c <= u'z') ? char16_t(c - 32) : c) != u[i])
            return AsciiAnswer::NoMatch;
    }
    return AsciiAnswer::Match;
}

} // namespace

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QString upperName(QStringView text)
{
    return text.toString().toUpper();
}

// Upper-cased by upperName, as every text it is compared with: Qt's in-place
// upper-casing of a temporary turns a lone surrogate into U+FFFD once "ß"
// has grown into "SS", the copying one of a const string does not, so a
// name upper-cased the other way would not even match itself.
UpperMatcher::UpperMatcher(const QString &name) : m_upper(upperName(name)) {}

bool UpperMatcher::matches(QStringView text) const
{
    const AsciiAnswer answer = compareAscii(text.utf16(), text.size(), m_upper);
    if (answer == AsciiAnswer::NotAscii)
        return text.toString().toUpper() == m_upper;
    return answer == AsciiAnswer::Match;
}

bool UpperMatcher::matchesBytes(QByteArrayView bytes, TextEncoding encoding) const
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const AsciiAnswer answer = compareAscii(data, bytes.size(), m_upper);
    if (answer == AsciiAnswer::NotAscii)
        return decodeText(bytes, encoding).toUpper() == m_upper;
    return answer == AsciiAnswer::Match;
}

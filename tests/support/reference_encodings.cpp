#include "reference_encodings.h"

#include <QHash>

#include <array>
#include <iconv.h>

namespace {

struct Windows1252Table {
    std::array<char16_t, 256> chars{};
    std::array<bool, 256> assigned{};
    QHash<char16_t, unsigned char> bytes;
};

const Windows1252Table &windows1252()
{
    static const Windows1252Table table = [] {
        Windows1252Table t;
        iconv_t cd = iconv_open("UTF-16LE", "CP1252");
        if (cd == iconv_t(-1))
            qFatal("the system has no CP1252 converter (iconv)");
        for (int b = 0; b < 256; ++b) {
            char in[1] = {char(b)};
            unsigned char out[4] = {};
            char *inPtr = in;
            char *outPtr = reinterpret_cast<char *>(out);
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2;
            t.assigned[size_t(b)] = ok;
            t.chars[size_t(b)] = ok ? char16_t(out[0] | (out[1] << 8)) : char16_t(b);
            t.bytes.insert(t.chars[size_t(b)], static_cast<unsigned char>(b));
        }
        iconv_close(cd);
        return t;
    }();
    return table;
}

} // namespace

QByteArray referenceUtf16Units(QStringView text, bool bigEndian)
{
    QByteArray out;
    for (const QChar c : text) {
        const auto high = char(c.unicode() >> 8);
        const auto low = char(c.unicode() & 0xFF);
        out.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return out;
}

QChar referenceWindows1252Char(unsigned char byte)
{
    return QChar(windows1252().chars[byte]);
}

bool referenceWindows1252Assigned(unsigned char byte)
{
    return windows1252().assigned[byte];
}

std::optional<QByteArray> referenceFileBytes(const QString &text, ReferenceEncoding encoding)
{
    if (encoding != ReferenceEncoding::Windows1252) {
        const QString marked = QChar(0xFEFF) + text;
        return referenceUtf16Units(marked, encoding == ReferenceEncoding::Utf16BE);
    }
    QByteArray out;
    for (const QChar c : text) {
        const auto found = windows1252().bytes.constFind(c.unicode());
        if (found == windows1252().bytes.constEnd())
            return std::nullopt;
        out.append(char(*found));
    }
    return out;
}

const char *referenceName(ReferenceEncoding encoding)
{
    switch (encoding) {
    case ReferenceEncoding::Utf16LE:
        return "UTF-16LE";
    case ReferenceEncoding::Utf16BE:
        return "UTF-16BE";
    case ReferenceEncoding::Windows1252:
        break;
    }
    return "Windows-1252";
}

#include "text_format.h"

#include "app_error.h"
#include "name_match.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace {

// The characters of Windows-1252's bytes 0x80 to 0x9F; every other byte is
// the character of the same number. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of the
// same number, so that every byte reads as one character and writes back as
// the same byte.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    char16_t *p = reinterpret_cast<char16_t *>(text.data());
    for (char16_t *end = p + text.size(); p != end; ++p)
        if (*p >= 0x80 && *p < 0xA0)
            *p = kWindows1252High[*p - 0x80];
    return text;
}

// The byte that stands for `c`, or -1 when the code page has none.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c)
            return 0x80 + i;
    return -1;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = windows1252Byte(text[i].unicode());
        if (b < 0) {
            // A character beyond the BMP is two units; the message names it whole.
            const qsizetype units =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
            throw AppError(ErrorKind::InvalidArgument,
                           QStringLiteral("The text \"%1\" holds the character \"%2\", which this file's "
                                          "encoding (Windows-1252) cannot store; nothing was written")
                               .arg(text, text.mid(i, units)));
        }
        out[i] = char(b);
    }
    return out;
}

QStringConverter::Encoding converterOf(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf16BE:
        return QStringConverter::Utf16BE;
    case FileEncoding::Utf32LE:
        return QStringConverter::Utf32LE;
    case FileEncoding::Utf32BE:
        return QStringConverter::Utf32BE;
    default:
        return QStringConverter::Utf16LE;
    }
}

// UTF-16 or UTF-32 bytes, the mark included, as UTF-8: the mark becomes UTF-8's.
QByteArray utf8FromUnicode(QByteArrayView bytes, FileEncoding encoding)
{
    QStringDecoder decoder(converterOf(encoding),
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    return text.toUtf8();
}

// UTF-16 without a mark: in the opening (the whole file when shorter), at
// least two units, and every other byte a NUL, the others not, as ASCII
// text spells it. FileEncoding::Utf8 when it is none.
FileEncoding unmarkedUtf16(QByteArrayView opening)
{
    const qsizetype size = std::min(opening.size(), kConvertedOpening) & ~qsizetype(1);
    if (size < 4)
        return FileEncoding::Utf8;
    for (const int nul : {1, 0}) {
        bool all = true;
        for (qsizetype i = 0; all && i < size; ++i)
            all = (opening[i] == '\0') == (i % 2 == nul);
        if (all)
            return nul == 1 ? FileEncoding::Utf16LE : FileEncoding::Utf16BE;
    }
    return FileEncoding::Utf8;
}

// The encoding that opening and mark tell; FileEncoding::Utf8 when they
// tell none (the file is then UTF-8 or Windows-1252).
FileEncoding markedEncoding(QByteArrayView opening, bool &bom)
{
    bom = true;
    if (opening.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)))
        return FileEncoding::Utf32LE;
    if (opening.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return FileEncoding::Utf32BE;
    if (opening.startsWith("\xFF\xFE"))
        return FileEncoding::Utf16LE;
    if (opening.startsWith("\xFE\xFF"))
        return FileEncoding::Utf16BE;
    bom = false;
    return unmarkedUtf16(opening);
}

// The way back; a U+FEFF at the start becomes the UTF-16 mark again.
QByteArray utf16FromUtf8(QByteArrayView bytes, FileEncoding encoding)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("The text to write is not valid Unicode; nothing was written"));
    QStringEncoder encoder(converterOf(encoding), QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

} // namespace

QByteArray TextFormat::bomBytes() const
{
    return bom ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
}

FileText decodeFile(QByteArray fileBytes)
{
    FileText text;
    TextFormat &format = text.format;
    if (const FileEncoding converted = markedEncoding(fileBytes, format.bom); converted != FileEncoding::Utf8) {
        format.fileEncoding = converted;
        text.bytes = utf8FromUnicode(fileBytes, format.fileEncoding);
        // Whatever the conversion could not carry (a lone byte at the end,
        // an unpaired surrogate) shows as a difference on the way back. A
        // file without a mark, or in UTF-32, is never written back.
        format.exact = format.bom && format.utf16() && utf16FromUtf8(text.bytes, format.fileEncoding) == fileBytes;
    } else if (QByteArrayView(fileBytes).isValidUtf8()) {
        format.fileEncoding = FileEncoding::Utf8;
        format.bom = fileBytes.startsWith("\xEF\xBB\xBF");
        text.bytes = std::move(fileBytes);
    } else {
        // Windows-1252 maps every byte to one character, so nothing is lost.
        format.fileEncoding = FileEncoding::Windows1252;
        text.bytes = std::move(fileBytes);
    }
    LineCursor cursor(text.bytes, format.bomLength());
    LineSpan line;
    if (cursor.next(line) && line.eolLength > 0)
        format.eol = text.bytes.sliced(line.start + line.length, line.eolLength);
    return text;
}

void requireExactFile(const TextFormat &format, const QString &path)
{
    if (format.exact)
        return;
    if (!format.utf16())
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("%1 holds UTF-32 text, which Larkspur reads but does not write; nothing was "
                                      "written")
                           .arg(path));
    if (!format.bom)
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("%1 holds UTF-16 text without a byte-order mark, which Larkspur reads but does "
                                      "not write; nothing was written")
                           .arg(path));
    throw AppError(ErrorKind::InvalidArgument,
                   QStringLiteral("%1 holds UTF-16 text that would not be written back unchanged (an odd "
                                  "number of bytes or an unpaired surrogate); nothing was written")
                       .arg(path));
}

namespace {
[[noreturn]] void throwEncodingChanged(const QString &path)
{
    throw AppError(ErrorKind::InvalidArgument,
                   QStringLiteral("%1 would be read in another encoding after this write, which would change "
                                  "text it holds; nothing was written")
                       .arg(path));
}
} // namespace

QByteArray encodeFile(QByteArray bytes, const TextFormat &format, const QString &path)
{
    requireExactFile(format, path);
    if (format.utf16()) {
        QByteArray encoded = utf16FromUtf8(bytes, format.fileEncoding);
        // A U+0000 right after the little-endian mark makes it UTF-32's.
        bool bom = false;
        if (markedEncoding(encoded, bom) != format.fileEncoding)
            throwEncodingChanged(path);
        return encoded;
    }
    if (encodedByOpening(format)) {
        requireSameOpening(QByteArrayView(bytes).first(std::min(bytes.size(), kConvertedOpening)), format, path);
        return bytes;
    }
    // The encoding is read from the bytes, so a write could change it:
    // Windows-1252 text that no longer holds a byte invalid in UTF-8 (its
    // "\xC3\xA9" would read back as "\u00E9"), or an opening read as UTF-16
    // or UTF-32. Text the write does not touch would then read back changed.
    if (convertedOpening(bytes) || (!isAscii(bytes) && QByteArrayView(bytes).isValidUtf8()))
        throwEncodingChanged(path);
    return bytes;
}

bool encodedByOpening(const TextFormat &format)
{
    return format.fileEncoding == FileEncoding::Utf8;
}

void requireSameOpening(QByteArrayView opening, const TextFormat &format, const QString &path)
{
    requireExactFile(format, path);
    // A U+FEFF opening a UTF-8 file without a mark would be read as one; NULs
    // in every other byte would make it read as UTF-16.
    if ((!format.bom && opening.startsWith("\xEF\xBB\xBF")) || convertedOpening(opening))
        throwEncodingChanged(path);
}

TextFormat detectTextFormat(QByteArrayView fileBytes)
{
    return decodeFile(fileBytes.toByteArray()).format;
}

bool convertedOpening(QByteArrayView opening)
{
    bool bom = false;
    return markedEncoding(opening, bom) != FileEncoding::Utf8;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return decodeWindows1252(bytes);
    // QString::fromUtf8 drops a U+FEFF at the start as a byte-order mark,
    // but here it is a name's or value's own first character (the file's
    // mark never stands inside a line): a value set to "\uFEFFx" reads back so.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QChar(0xFEFF) + decodeText(bytes.sliced(3), encoding);
    return QString::fromUtf8(bytes);
}

QByteArray encodeText(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return encodeWindows1252(text);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    if (encoder.hasError())
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("The text \"%1\" is not valid Unicode; nothing was written").arg(text));
    return out;
}

void requireSingleLine(const QString &text, const QString &what)
{
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        throw AppError(ErrorKind::InvalidArgument,
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

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// How a configuration file spells its text on disk. A file opening with a
// UTF-16 byte-order mark is UTF-16 in that byte order (Windows programs and
// Windows' own profile functions write such files); otherwise a file that is
// valid UTF-8 as a whole is UTF-8 (a byte-order mark kept), and any other file
// comes from a Windows ANSI code page and is read as Windows-1252. Either way
// every byte of a line that nobody edits goes back to disk unchanged.
// UTF-32 (marked FF FE 00 00 or 00 00 FE FF) and UTF-16 without a mark (a
// NUL in every other byte of its opening) are read too, but never written:
// a write would have to guess how the file is to be read again.
enum class FileEncoding { Utf8, Windows1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// How the bytes every step works on spell their text: the file's own bytes,
// except that a UTF-16 file is converted to UTF-8 when read and back when
// written, so that lines, names and line ends are found the same way in
// every file. Bytes under 0x80 are the same ASCII character in both.
enum class TextEncoding { Utf8, Windows1252 };

// How one file spells its text: encoding, byte-order mark, line end.
struct TextFormat {
    FileEncoding fileEncoding = FileEncoding::Utf8;
    // A byte-order mark opens the file (always, for UTF-16 that is written).
    bool bom = false;
    // The file's own line end as the working bytes spell it: the first one
    // found, CR LF for a file without one.
    QByteArray eol = QByteArrayLiteral("\r\n");
    // False for a UTF-16 file that would not convert back to the very same
    // bytes (an odd byte count, an unpaired surrogate), and for every UTF-32
    // or unmarked UTF-16 file: it can be read, but every write to it is
    // refused.
    bool exact = true;

    TextEncoding encoding() const
    {
        return fileEncoding == FileEncoding::Windows1252 ? TextEncoding::Windows1252 : TextEncoding::Utf8;
    }
    bool utf16() const { return fileEncoding == FileEncoding::Utf16LE || fileEncoding == FileEncoding::Utf16BE; }
    // The mark as the working bytes spell it: UTF-8's three bytes, which a
    // UTF-16 or UTF-32 file's own mark becomes when converted.
    qsizetype bomLength() const { return bom ? 3 : 0; }
    QByteArray bomBytes() const;
};

// A configuration file's text as every step works on it: `bytes` in
// format.encoding(), the byte-order mark (if any) included.
struct FileText {
    QByteArray bytes;
    TextFormat format;
};

// How many bytes of a file's opening tell its encoding when they are read
// as UTF-16 without a mark.
constexpr qsizetype kConvertedOpening = 256;

// The text of a file's own bytes, its format detected.
FileText decodeFile(QByteArray fileBytes);
// The file's own bytes for working bytes in `format` (mark and line ends are
// part of them). Throws AppError, naming `path`, when the file cannot be
// written back exactly (see TextFormat::exact), or when the bytes would be
// read in another encoding than the file's, changing its text (Windows-1252
// text that became valid UTF-8, a byte-order mark where the file had none).
QByteArray encodeFile(QByteArray bytes, const TextFormat &format, const QString &path);
// Whether a UTF-8 file's working bytes are its own bytes and encodeFile
// needs only their opening (see requireSameOpening) to pass them.
bool encodedByOpening(const TextFormat &format);
// encodeFile's checks for such a file, given the first kConvertedOpening
// bytes of its working bytes.
void requireSameOpening(QByteArrayView opening, const TextFormat &format, const QString &path);
// Throws that same AppError; for writers that must refuse before any other step.
void requireExactFile(const TextFormat &format, const QString &path);

// The format of a file's own bytes (decodeFile's, without keeping the text).
TextFormat detectTextFormat(QByteArrayView fileBytes);
// Whether a file opening so is read as UTF-16 or UTF-32 (converted to
// UTF-8); the first kConvertedOpening bytes tell.
bool convertedOpening(QByteArrayView opening);

QString decodeText(QByteArrayView bytes, TextEncoding encoding);
// Throws AppError when `text` holds a character the encoding cannot store.
QByteArray encodeText(const QString &text, TextEncoding encoding);

// Throws AppError when `text` holds CR or LF: written into a file it would
// turn into lines of its own. `what` names the text in the message.
void requireSingleLine(const QString &text, const QString &what);

// One line of a file: where its text starts, how long it is, and the length
// of the line end after it (0 for a last line without one).
struct LineSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype eolLength = 0;
    qsizetype end() const { return start + length + eolLength; }
};

// Walks the lines of bytes[from..]: CR LF, a lone CR and a lone LF each end
// a line; nothing after the last line end forms an extra line.
class LineCursor {
public:
    LineCursor(QByteArrayView bytes, qsizetype from) : m_bytes(bytes), m_pos(from) {}
    bool next(LineSpan &line);

private:
    QByteArrayView m_bytes;
    qsizetype m_pos;
    // Position of the next LF at or after m_pos (size when there is none),
    // kept so that a file of lone CRs is not searched to its end per line.
    qsizetype m_nextLf = -1;
};

// True when the last byte of bytes[from..] ends a line (or there is nothing there).
bool endsWithLineEnd(QByteArrayView bytes, qsizetype from);

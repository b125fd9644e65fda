#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Configuration files are read as UTF-8 when the whole file is valid UTF-8
// and as Latin-1 otherwise; either way every byte of a line that nobody
// edits goes back to disk unchanged.
enum class TextEncoding { Utf8, Latin1 };

// How one file spells its text: encoding, byte-order mark, line end.
struct TextFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    bool bom = false;
    // The file's own line end: the first one found, CR LF for a file without one.
    QByteArray eol = QByteArrayLiteral("\r\n");

    qsizetype bomLength() const { return bom ? 3 : 0; }
    QByteArray bomBytes() const;
};

TextFormat detectTextFormat(QByteArrayView bytes);

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

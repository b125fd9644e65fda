#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A second, deliberately plain reading of how README says files are read
// and written: a file is a list of decoded lines, each with its own line
// end; writes edit that list and print it again. Nothing here is fast and
// nothing is shared with the program beyond Qt's upper-casing and Unicode
// conversions, so that the fuzz target can hold the store against it.
namespace model {

enum class Encoding { Utf8, Windows1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct Line {
    QString text;
    QString eol; // "" for a last line without a line end
    bool operator==(const Line &other) const = default;
};

struct Text {
    Encoding encoding = Encoding::Utf8;
    bool bom = false;
    // False for UTF-16 bytes that do not convert back to themselves, and for
    // the files that are read but never written (UTF-32, UTF-16 without a mark).
    bool exact = true;
    QList<Line> lines;
    // The file's own line end: the first one found, CR LF when none.
    QString eol() const;
};

// One record as the store holds it. `header` is the model's own knowledge
// that the record stands for a section header line.
struct Record {
    QString section;
    QString key;
    QString value;
    bool header = false;
};

Text decode(const QByteArray &bytes);
// The file's bytes; nothing when the text cannot be stored in the file's
// encoding (or the file is UTF-16 that would not convert back).
std::optional<QByteArray> encode(const Text &text);
QList<Record> records(const Text &text);

QString upperName(const QString &text);
bool sameName(const QString &a, const QString &b);
bool isHeader(const QString &line);
QString trimSpaces(const QString &text);
// What the writers refuse before they touch anything: line breaks, a key
// holding "=", a key line that would read back as a section header.
bool refusedText(const QString &section, const QString &key, const QString &value);

// A write of one key, and a line appended at the end.
void setValue(Text &text, const QString &section, const QString &key, const QString &value);
void appendLine(Text &text, const QString &line);
// The rewrite: every record with a non-blank key written, in order, into an
// empty file of the same encoding, mark and line end. Nothing when a key or
// value, or a section's name where its header is written, cannot be stored
// in that encoding: a record that cannot be written stops the rewrite.
std::optional<Text> rebuild(const Text &format, const QList<Record> &records);

// The store's look-up: index of the first record of section and key, or -1.
qsizetype findRecord(const QList<Record> &records, const QString &section, const QString &key);
// What a rewrite does to the records: of records with the same section and
// non-blank key, the first takes the value of the last.
void copyDuplicateValues(QList<Record> &records);
// The keys Delete > Section hands to the store for `section`, read from the
// tree the window builds; nothing when no top-level node shows `section`.
std::optional<QStringList> sectionDeletionKeys(const QList<Record> &records, const QString &section);

} // namespace model

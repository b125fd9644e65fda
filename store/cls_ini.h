#pragma once

#include "text_format.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class UpperMatcher;

// The text of one loaded file as decodeFile gives it (a UTF-16 file's as
// UTF-8); the records made from it read their key and value from here until
// somebody assigns new ones.
struct LoadedText {
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::Utf8;
};

// One recognised line of a configuration file. A record whose Key is empty
// stands for a section header. Records are shared: whoever holds one holds
// the store's own record.
//
// A file of a million lines makes a million records, so a record keeps its
// key and value as a place in the loaded bytes and decodes them when asked;
// the section name is one string shared by all records of a section.
class clsINI {
public:
    clsINI() = default;
    clsINI(const clsINI &) = delete;
    clsINI &operator=(const clsINI &) = delete;

    QString Section() const { return m_section; }
    void setSection(const QString &section) { m_section = section; }

    QString Key() const;
    void setKey(const QString &key);

    QString Value() const;
    void setValue(const QString &value);

    qint32 ID() const { return m_id; }
    void setID(qint32 id) { m_id = id; }

    // Fast paths for the store's scans; they decode nothing for ASCII names.
    bool keyIsEmpty() const;
    bool keyMatches(const UpperMatcher &matcher) const;
    // The key and value as bytes of the loaded file, when the file was read
    // in `encoding` and neither text was assigned since.
    bool loadedBytes(TextEncoding encoding, QByteArrayView &key, QByteArrayView &value) const;
    // The same, in whatever encoding the file was read.
    bool loadedBytes(QByteArrayView &key, QByteArrayView &value, TextEncoding &encoding) const;
    // Identity of the section text, equal for records that share the string.
    const void *sectionIdentity() const { return m_section.constData(); }
    qsizetype sectionSize() const { return m_section.size(); }

    // A record made by the reader from a key line of `text`.
    static std::shared_ptr<clsINI> fromLine(std::shared_ptr<const LoadedText> text, const QString &section,
                                            qsizetype keyStart, qint32 keyLength, qint32 valueLength, qint32 id);

private:
    QByteArrayView keyBytes() const;
    QByteArrayView valueBytes() const;

    struct OwnTexts {
        std::optional<QString> key;
        std::optional<QString> value;
    };

    std::shared_ptr<const LoadedText> m_text;
    QString m_section;
    qsizetype m_keyStart = 0;
    qint32 m_keyLength = 0;
    qint32 m_valueLength = 0;
    qint32 m_id = 0;
    std::unique_ptr<OwnTexts> m_own;
};

using clsINIPtr = std::shared_ptr<clsINI>;

// Follows a walk over records and tells where the section changes. The
// records of one section share one section string, so whatever depends on
// the section alone (does it match, is it valid, has it a node) is worked
// out once per run of them: a million records hold only a few thousand runs.
class SectionRun {
public:
    // True when `record` holds another section string than the record before.
    bool changed(const clsINI &record)
    {
        const void *identity = record.sectionIdentity();
        const qsizetype size = record.sectionSize();
        if (identity == m_identity && size == m_size)
            return false;
        m_identity = identity;
        m_size = size;
        return true;
    }
    // The next record counts as a change, whatever its section.
    void reset() { m_identity = nullptr; }

private:
    const void *m_identity = nullptr;
    qsizetype m_size = -1;
};

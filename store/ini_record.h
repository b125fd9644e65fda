#pragma once

#include "record_arena.h"
#include "text_format.h"

#include <QByteArray>
#include <QString>

class UpperMatcher;

// One recognised line of a configuration file. A record whose Key is empty
// stands for a section header. Records are shared: whoever holds one holds
// the store's own record.
//
// A file of a million lines makes a million records, so a record is a few
// integers: where its key and value are in the loaded bytes (decoded when
// asked), which entry of the section table is its section, and its ID.
// Records are made by their list's arena (RecordList::newRecord, the
// reader) and live as long as it does.
class IniRecord {
public:
    IniRecord(const IniRecord &) = delete;
    IniRecord &operator=(const IniRecord &) = delete;

    QString section() const { return arena().section(m_section); }
    void setSection(const QString &section) { m_section = arena().sectionIndex(section); }

    QString key() const;
    void setKey(const QString &key);

    QString value() const;
    void setValue(const QString &value);
    // Takes the value `other` holds now, as setValue(other.value()) does;
    // a value still in the loaded bytes is handed over without decoding it.
    void setValueFrom(const IniRecord &other);

    qint32 id() const { return m_id; }
    void setId(qint32 id) { m_id = id; }

    // Fast paths for the store's scans; they decode nothing for ASCII names.
    bool keyIsEmpty() const;
    bool keyMatches(const UpperMatcher &matcher) const;
    // The key and value as bytes of the loaded file, when the file was read
    // in `encoding` and neither text was assigned since.
    bool loadedBytes(TextEncoding encoding, QByteArrayView &key, QByteArrayView &value) const;
    // The same, in whatever encoding the file was read.
    bool loadedBytes(QByteArrayView &key, QByteArrayView &value, TextEncoding &encoding) const;
    // Identity of the section text: records of the same arena and section
    // name share it, and records whose identities are equal have equal names.
    const void *sectionIdentity() const { return arena().section(m_section).constData(); }
    qsizetype sectionSize() const { return arena().section(m_section).size(); }

    // The arena the record was made in, whose owner keeps it alive.
    RecordArena &arena() const { return RecordArena::of(this); }

private:
    friend class RecordArena;
    IniRecord() = default;

    QByteArrayView keyBytes() const;
    QByteArrayView valueBytes() const;
    bool hasLoadedText() const { return m_fromLine && !m_assigned; }
    // The key and value still as bytes of the text: loaded, or handed over.
    bool textBytes(QByteArrayView &key, QByteArrayView &value) const;

    quint64 m_keyStart : 62 = 0;
    // Key and value are a place in the arena's text.
    quint64 m_fromLine : 1 = 0;
    // A key or value was assigned since; the arena holds it.
    quint64 m_assigned : 1 = 0;
    qint32 m_keyLength = 0;
    qint32 m_valueLength = 0;
    quint32 m_section = 0;
    qint32 m_id = 0;
};

// Follows a walk over records and tells where the section changes. The
// records of one section share one section string, so whatever depends on
// the section alone (does it match, is it valid, has it a node) is worked
// out once per run of them: a million records hold only a few thousand runs.
class SectionRun {
public:
    // True when `record` holds another section string than the record before.
    bool changed(const IniRecord &record)
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
    void reset()
    {
        m_identity = nullptr;
        m_size = -1;
    }

private:
    const void *m_identity = nullptr;
    qsizetype m_size = -1;
};

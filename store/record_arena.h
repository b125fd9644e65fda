#pragma once

#include "text_format.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class IniRecord;

// Where the records of one list live, and what they point into: the loaded
// file's text, kept once; the section names, one string per distinct name;
// and the records themselves, a few integers each, made side by side in
// large blocks that never move. A million-line file so costs its own size
// and some 24 bytes a line, instead of a heap object per record.
//
// Records are never freed one by one: a record taken out of its list stays
// valid for whoever still holds it, as long as the arena lives. The list
// owns its arena; whoever keeps records beyond the list (the window's node
// tree) shares that one owner.
class RecordArena : public std::enable_shared_from_this<RecordArena> {
public:
    static std::shared_ptr<RecordArena> create();
    ~RecordArena();
    RecordArena(const RecordArena &) = delete;
    RecordArena &operator=(const RecordArena &) = delete;

    // The loaded text (a UTF-16 file's as UTF-8) that records made by
    // makeLine point into; set once, before the first of them.
    void setText(QByteArray bytes, TextEncoding encoding);
    const QByteArray &bytes() const { return m_bytes; }
    TextEncoding encoding() const { return m_encoding; }

    // Room for `count` more records, in as few blocks as possible.
    void reserve(qsizetype count);
    // A blank record: section "", no key, no value, ID 0.
    IniRecord *make();
    // A section header's record: no key, no value.
    IniRecord *makeHeader(quint32 section, qint32 id);
    // A record of a key line of the text: the key at `keyStart`, then "=",
    // then the value.
    IniRecord *makeLine(quint32 section, qsizetype keyStart, qint32 keyLength, qint32 valueLength, qint32 id);

    // Records in the order they were made, from 0.
    qsizetype count() const { return m_count; }
    IniRecord *at(qsizetype index) const;
    // The place of one of this arena's records in that order.
    qsizetype indexOf(const IniRecord *record) const;
    // The arena a record was made in.
    static RecordArena &of(const IniRecord *record);

    // The section table: the index of `name`, added when new; index 0 is "".
    quint32 sectionIndex(const QString &name);
    const QString &section(quint32 index) const { return m_sections[index]; }

    // Texts assigned to records after they were made, kept here rather than
    // in every record for the few that have them.
    struct AssignedTexts {
        std::optional<QString> key;
        std::optional<QString> value;
        // A value handed over from another record, still as bytes of the
        // text, when `value` holds none.
        std::optional<QByteArrayView> valueBytes;
    };
    const AssignedTexts &assigned(const IniRecord *record) const;
    AssignedTexts &assign(const IniRecord *record);
    // Room for `count` records more with assigned texts.
    void reserveAssigned(qsizetype count) { m_assigned.reserve(m_assigned.size() + count); }

private:
    RecordArena();
    struct BlockHeader;
    void addBlock();
    void addSlab(qsizetype blocks);

    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Utf8;
    std::vector<QString> m_sections;
    QHash<QString, quint32> m_sectionIndexes;
    QHash<const IniRecord *, AssignedTexts> m_assigned;

    // Blocks are carved out of slabs: one slab for a loaded file whose size
    // foretold its records, more as they run out.
    std::vector<void *> m_slabs;
    char *m_slabNext = nullptr;
    char *m_slabEnd = nullptr;
    std::vector<BlockHeader *> m_blocks;
    qsizetype m_count = 0;
    qsizetype m_nextSlabBlocks = 1;
};

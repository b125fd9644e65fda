#pragma once

#include "output_buffer.h"
#include "text_format.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <vector>

// Builds, in one pass, the file that a run of profile writes into an empty
// file leaves behind, byte for byte: section "" keys at the top, then every
// section in the order of its first write with its keys in the order of
// their first write, each key holding its last value. Writing the same
// lines one applyProfileWrite at a time costs a pass over the whole text
// per write; this costs a hash look-up, and no allocation per line for
// texts that are still the bytes of a loaded file.
class ProfileBuilder {
public:
    explicit ProfileBuilder(TextFormat format);

    // Texts given as bytes are in the file's encoding and must stay valid
    // until bytes() has run; all texts must pass checkProfileWrite. `tag`
    // names the writer: write() answers with the tag of the first write under
    // the same section and key (letter case ignored) when it replaced that
    // line's value, or -1.
    qsizetype write(const QString &section, QByteArrayView key, QByteArrayView value, qsizetype tag);
    qsizetype write(const QString &section, const QString &key, const QString &value, qsizetype tag = -1);

    QByteArray bytes() const;
    // The same bytes, a piece at a time, and how many there are.
    void writeTo(OutputBuffer &out) const;
    qsizetype size() const;
    // The first `count` of them (fewer when there are not as many).
    QByteArray opening(qsizetype count) const;

    // Room for about `lines` writes, so that the tables never grow on the way.
    void reserve(qsizetype lines);
    // Room for `names` more names in `section`'s table, ahead of a run of writes to it.
    void expectNames(const QString &section, qsizetype names);
    // A hint that `key` is soon written to the section written last: in a
    // large table, its place is fetched from memory meanwhile.
    void prefetch(QByteArrayView key) const;
    // No more writes to `section` are expected: when it was the last one
    // written, its table's memory goes to the next section's table. A write
    // to it after all puts its names back into a table first.
    void endSection(const QString &section);

private:
    // A name as the look-ups see it: upper-cased, or bytes that become so
    // once ASCII letters are upper-cased, with its hash worked out once.
    struct NameRef {
        QByteArrayView bytes;
        quint32 hash;
    };
    // One line of the file being built; the lines of a section are chained
    // through `next` in the order they were first written.
    struct Line {
        const char *key;
        const char *value;
        qint32 keySize;
        qint32 valueSize;
        qint32 tag;
        qint32 next = -1;
    };
    // Each section looks its names up in a table of its own, kept in
    // m_slots: a section's keys come one after the other, so its table stays
    // in the processor's cache while they do, where one table for a million
    // names would cost a trip to memory per name.
    struct Section {
        QByteArray header;
        qint32 firstLine = -1;
        qint32 lastLine = -1;
        // The table: m_slots[slotsAt .. slotsAt + slotCount), each the name's
        // hash above the index of its line plus one (0 for a free slot),
        // probed linearly from the hash and at most half full.
        size_t slotsAt = 0;
        quint32 slotCount = 0;
        quint32 names = 0;
        // Its table was handed back once already and put together again:
        // it is kept from then on, so that sections written by turns cost
        // no more than once their lines.
        bool restored = false;
    };

    static QByteArray sectionKey(const QString &name);
    qsizetype sectionFor(const QString &name);
    NameRef nameRef(QByteArrayView name);
    // The name a line is found under: its key, or the key upper-cased when
    // it is not ASCII.
    QByteArrayView nameOf(qint32 line) const;
    // The line of `name` in `section`, or -1.
    qsizetype findLine(const Section &section, const NameRef &name) const;
    void addName(Section &section, const NameRef &name, qsizetype line);
    // Gives the section's table room for `names` names, at most half full.
    void growTable(Section &section, size_t names);
    // Puts the names of a section whose table endSection handed back into a new table.
    void restoreTable(Section &section);
    void place(const Section &section, quint64 slot);
    void addLine(Section &section, QByteArrayView key, QByteArrayView value, qsizetype tag);
    QByteArrayView keep(QByteArray bytes);
    // Calls put(piece) for each piece of the file in order, as long as it
    // answers true.
    template <typename Put>
    void forEachPiece(Put &&put) const;

    TextFormat m_format;
    QList<Section> m_sections; // [0] is section "", the top of the file
    QHash<QByteArray, qsizetype> m_sectionByUpperName;
    QString m_lastSectionName; // held, so that its data address stays its own
    qsizetype m_lastSection = 0;
    QList<Line> m_lines;
    std::vector<quint64> m_slots; // every section's table; a table that grows moves to the end
    std::vector<quint64> m_grown; // the slots of a table while it grows
    // The names expected in a section not written yet, for its first write.
    QString m_expectedSection;
    QByteArray m_expectedKey;
    qsizetype m_expectedNames = 0;
    QHash<qint32, QByteArrayView> m_upperNames; // lines whose name is not their key's bytes
    QSet<qint32> m_unnamedLines; // lines never in their section's table (a second key holding "=")
    QList<QByteArray> m_kept; // texts the lines point into that nobody else holds
};

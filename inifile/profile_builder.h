#pragma once

#include "text_format.h"

#include <QByteArray>
#include <QHash>
#include <QList>
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

    // Room for about `lines` writes, so that the tables never grow on the way.
    void reserve(qsizetype lines);

    // A name as the look-ups see it: upper-cased, or bytes that become so
    // once ASCII letters are upper-cased. Public for the hash function.
    struct NameRef {
        qint32 section;
        qint32 size;
        const char *data;
        // Of the section and the upper-cased bytes, worked out once: the
        // table compares it before it compares any bytes.
        size_t hash;
    };

private:
    // Names to line indexes, in one flat array probed linearly: a look-up
    // touches one slot in the common case, where a general hash table would
    // chase pointers, and a million of them decide how long a rebuild takes.
    class NameTable {
    public:
        void reserve(qsizetype names);
        // The line of `name`, or -1.
        qsizetype find(const NameRef &name) const;
        void insert(const NameRef &name, qsizetype line);

    private:
        struct Slot {
            quint32 tag = 0;
            qint32 entry = -1;
        };
        struct Entry {
            NameRef name;
            qsizetype line;
        };
        void rehash(size_t slots);
        void place(size_t entry);

        std::vector<Slot> m_slots;
        std::vector<Entry> m_entries;
    };

    struct Line {
        QByteArrayView key;
        QByteArrayView value;
        qsizetype tag;
    };
    struct Section {
        QByteArray header;
        QList<qsizetype> lines;
    };

    qsizetype sectionFor(const QString &name);
    NameRef nameRef(qint32 section, QByteArrayView name);
    QByteArrayView keep(QByteArray bytes);

    TextFormat m_format;
    QList<Section> m_sections; // [0] is section "", the top of the file
    QHash<QByteArray, qsizetype> m_sectionByUpperName;
    QString m_lastSectionName; // held, so that its data address stays its own
    qsizetype m_lastSection = 0;
    QList<Line> m_lines;
    NameTable m_lineByName;
    QList<QByteArray> m_kept; // texts the lines point into that nobody else holds
};

bool operator==(const ProfileBuilder::NameRef &a, const ProfileBuilder::NameRef &b) noexcept;

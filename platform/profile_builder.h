#pragma once

#include "platform/text_format.h"

#include <QHash>
#include <QList>
#include <QString>

// Builds, in one pass, the file that a run of profile writes into an empty
// file leaves behind, byte for byte: section "" keys at the top, then every
// section in the order of its first write with its keys in the order of
// their first write, each key holding its last value. Writing the same
// lines one applyProfileWrite at a time costs a pass over the whole text
// per write; this costs a hash look-up.
class ProfileBuilder {
public:
    explicit ProfileBuilder(TextFormat format);

    // The texts must pass checkProfileWrite.
    void write(const QString &section, const QString &key, const QString &value);

    // Throws AppError when a text cannot be stored in the file's encoding.
    QByteArray bytes() const;

private:
    struct Line {
        QString key;   // as the reader will see it: the text before the first "="
        QString value; // everything after that "="
    };
    struct Section {
        QString header;
        QList<Line> lines;
        QHash<QString, qsizetype> lineByUpperKey;
    };

    Section &sectionFor(const QString &name);

    TextFormat m_format;
    Section m_top;
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionByUpperName;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What `larkspur-cli lint` finds in a configuration file: lines that the
// editor reads otherwise than their writer most likely meant. Lines are
// read as the store reads them (a header has "[" first and "]" last, a key
// line holds "=", nothing trimmed); a line whose first character other
// than a blank is ";" or "#" is a comment and never reported, even with
// "=" in it.
struct LintFinding {
    enum Kind {
        // A key again in its section (letter case ignored, over every block
        // of the section): only the first one counts.
        RepeatedKey,
        // A section header again: its keys join the first block's section.
        RepeatedSection,
        // A section or key name with blanks at either end, which a look-up
        // of the name without them does not find.
        BlankAroundName,
        // A key line before the first section header.
        KeyBeforeSection,
        // Neither header, key line, comment nor blank: the editor ignores it.
        UnreadLine,
    };
    // 1-based.
    qsizetype line = 0;
    Kind kind = UnreadLine;
    QString message;
};

// The name of a finding's kind, as `lint --json` writes it.
QString lintKindName(LintFinding::Kind kind);

// The findings in the file's own bytes, in line order.
QList<LintFinding> lintFile(const QByteArray &fileBytes);

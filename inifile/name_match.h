#pragma once

#include "text_format.h"

#include <QString>
#include <QStringView>

// Section and key names are compared the way the store always has: both
// sides upper-cased (Unicode-aware), then compared exactly. Upper-casing a
// million names per look-up would dominate every command, so names made only
// of ASCII are compared in place without building a string.
class UpperMatcher {
public:
    explicit UpperMatcher(const QString &name);

    bool matches(QStringView text) const;
    // The same test for text still in a file's bytes.
    bool matchesBytes(QByteArrayView bytes, TextEncoding encoding) const;

    const QString &upper() const { return m_upper; }

private:
    QString m_upper;
};

// Whether every character is ASCII, which reads the same in both encodings a
// file's text is worked on in (TextEncoding), so that such bytes may be
// compared without decoding.
bool isAscii(QByteArrayView bytes);
bool isAscii(QStringView text);

// The upper-case form used as a look-up key: equal keys exactly when the
// names are equal for UpperMatcher.
QString upperName(QStringView text);

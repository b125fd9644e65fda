#include "ini_lint.h"

#include "name_blanks.h"
#include "name_match.h"
#include "text_format.h"

#include <QHash>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView withoutBlanks(QByteArrayView line)
{
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

bool isHeader(QByteArrayView line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// One pass over the lines, remembering the first header of each section and
// the first line of each key.
class Linter {
public:
    explicit Linter(TextEncoding encoding) : m_encoding(encoding) {}

    void line(QByteArrayView text)
    {
        ++m_number;
        if (isHeader(text))
            header(decodeText(text.sliced(1, text.size() - 2), m_encoding));
        else if (const QByteArrayView bare = withoutBlanks(text);
                 bare.isEmpty() || bare.front() == ';' || bare.front() == '#')
            return;
        else if (const qsizetype eq = text.indexOf('='); eq >= 0)
            keyLine(decodeText(text.first(eq), m_encoding));
        else if (isHeader(bare))
            report(LintFinding::UnreadLine, QStringLiteral("this line is ignored: a section header's \"[\" and \"]\" "
                                                           "must be its first and last characters"));
        else
            report(LintFinding::UnreadLine,
                   QStringLiteral("this line is ignored: it is neither a section header, a key, a comment nor blank"));
    }

    QList<LintFinding> findings;

private:
    void report(LintFinding::Kind kind, const QString &message) { findings.append({m_number, kind, message}); }

    void header(const QString &name)
    {
        m_section = upperName(name);
        m_seenHeader = true;
        if (const QString where =
                describeEndBlanks(name, QStringLiteral("after \"[\""), QStringLiteral("before \"]\""));
            !where.isEmpty())
            report(
                LintFinding::BlankAroundName,
                QStringLiteral("section [%1] has %2; [%3] does not find it").arg(name, where, withoutEndBlanks(name)));
        if (const auto first = m_headers.constFind(m_section); first != m_headers.constEnd())
            report(LintFinding::RepeatedSection,
                   QStringLiteral("section [%1] repeats; its first header is on line %2, and the editor shows both "
                                  "as one section")
                       .arg(name)
                       .arg(*first));
        else
            m_headers.insert(m_section, m_number);
    }

    void keyLine(const QString &key)
    {
        if (!m_seenHeader)
            report(LintFinding::KeyBeforeSection,
                   QStringLiteral("key \"%1\" comes before the first section header").arg(key));
        if (const QString where =
                describeEndBlanks(key, QStringLiteral("at the start of the line"), QStringLiteral("before \"=\""));
            !where.isEmpty())
            report(LintFinding::BlankAroundName,
                   QStringLiteral("key \"%1\" has %2; \"%3\" does not find it").arg(key, where, withoutEndBlanks(key)));
        if (key.isEmpty())
            return;
        const QString id = m_section + QChar(0) + upperName(key);
        if (const auto first = m_keys.constFind(id); first != m_keys.constEnd())
            report(LintFinding::RepeatedKey,
                   QStringLiteral("key \"%1\" repeats in its section; the first, on line %2, counts")
                       .arg(key)
                       .arg(*first));
        else
            m_keys.insert(id, m_number);
    }

    TextEncoding m_encoding;
    qsizetype m_number = 0;
    QString m_section;
    bool m_seenHeader = false;
    QHash<QString, qsizetype> m_headers;
    QHash<QString, qsizetype> m_keys;
};

} // namespace

QString lintKindName(LintFinding::Kind kind)
{
    switch (kind) {
    case LintFinding::RepeatedKey:
        return QStringLiteral("repeated-key");
    case LintFinding::RepeatedSection:
        return QStringLiteral("repeated-section");
    case LintFinding::BlankAroundName:
        return QStringLiteral("blank-around-name");
    case LintFinding::KeyBeforeSection:
        return QStringLiteral("key-before-section");
    case LintFinding::UnreadLine:
        break;
    }
    return QStringLiteral("unread-line");
}

QList<LintFinding> lintFile(const QByteArray &fileBytes)
{
    const FileText text = decodeFile(fileBytes);
    Linter linter(text.format.encoding());
    LineCursor cursor(text.bytes, qMin(text.format.bomLength(), text.bytes.size()));
    LineSpan line;
    while (cursor.next(line))
        linter.line(QByteArrayView(text.bytes).sliced(line.start, line.length));
    return linter.findings;
}

#include "line_removal.h"

#include "name_match.h"

namespace {

bool isHeader(QByteArrayView line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

QList<LineSpan> linesOf(const FileText &text)
{
    QList<LineSpan> lines;
    LineCursor cursor(text.bytes, qMin(text.format.bomLength(), text.bytes.size()));
    LineSpan line;
    while (cursor.next(line))
        lines.append(line);
    return lines;
}

QByteArrayView lineText(const FileText &text, const LineSpan &line)
{
    return QByteArrayView(text.bytes).sliced(line.start, line.length);
}

} // namespace

std::optional<qsizetype> recordLine(const FileText &text, const QString &section, const QString &key)
{
    const UpperMatcher sectionMatch(section);
    const UpperMatcher keyMatch(key);
    const TextEncoding encoding = text.format.encoding();
    // Key lines before the first header belong to section "".
    bool inSection = sectionMatch.matches(QStringView());
    const QList<LineSpan> lines = linesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lineText(text, lines[i]);
        if (isHeader(line)) {
            inSection = sectionMatch.matchesBytes(line.sliced(1, line.size() - 2), encoding);
            // A header is its section's record with the key "".
            if (inSection && key.isEmpty())
                return i;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inSection && eq >= 0 && keyMatch.matchesBytes(line.first(eq), encoding))
            return i;
    }
    return std::nullopt;
}

QList<LineRun> sectionBlocks(const FileText &text, const QString &section)
{
    const UpperMatcher sectionMatch(section);
    const QList<LineSpan> lines = linesOf(text);
    QList<LineRun> blocks;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lineText(text, lines[i]);
        if (!isHeader(line))
            continue;
        if (!blocks.isEmpty() && blocks.back().count == 0)
            blocks.back().count = i - blocks.back().first;
        if (sectionMatch.matchesBytes(line.sliced(1, line.size() - 2), text.format.encoding()))
            blocks.append({i, 0});
    }
    if (!blocks.isEmpty() && blocks.back().count == 0)
        blocks.back().count = lines.size() - blocks.back().first;
    return blocks;
}

QByteArray bytesWithoutLines(const FileText &text, const QList<LineRun> &runs, const QString &path)
{
    requireExactFile(text.format, path);
    const QList<LineSpan> lines = linesOf(text);
    const QByteArray &bytes = text.bytes;
    QByteArray out;
    out.reserve(bytes.size());
    // Runs that touch are one: what stands before the second is gone too.
    QList<LineRun> merged;
    for (const LineRun &run : runs) {
        if (run.count <= 0)
            continue;
        if (!merged.isEmpty() && merged.back().first + merged.back().count == run.first)
            merged.back().count += run.count;
        else
            merged.append(run);
    }
    qsizetype kept = 0;
    for (const LineRun &run : merged) {
        qsizetype from = lines[run.first].start;
        qsizetype to = lines[run.first + run.count - 1].end();
        // A lone CR before, an LF after: together they would end one line.
        const bool joins = from > 0 && bytes[from - 1] == '\r' && to < bytes.size() && bytes[to] == '\n';
        if (joins) {
            const LineSpan &last = lines[run.first + run.count - 1];
            from -= 1;
            to = last.start + last.length;
        }
        out.append(QByteArrayView(bytes).sliced(kept, from - kept));
        kept = to;
    }
    out.append(QByteArrayView(bytes).sliced(kept));
    return encodeFile(std::move(out), text.format, path);
}

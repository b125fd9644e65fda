#include "version_diff.h"

#include "line_diff.h"
#include "text_format.h"

#include <algorithm>
#include <cstring>

namespace {

// A file's text as the working bytes spell it, its byte-order mark left out.
struct WorkingText {
    QByteArray bytes;
    qsizetype from = 0;
    TextEncoding encoding = TextEncoding::Utf8;

    explicit WorkingText(const QByteArray &file)
    {
        FileText text = decodeFile(file);
        encoding = text.format.encoding();
        bytes = std::move(text.bytes);
        from = text.format.bomLength();
    }
    // Compared with a text in another encoding, the characters are what count.
    void makeUtf8()
    {
        if (encoding == TextEncoding::Utf8)
            return;
        bytes = decodeText(view(), encoding).toUtf8();
        encoding = TextEncoding::Utf8;
        from = 0;
    }
    QByteArrayView view() const { return QByteArrayView(bytes).sliced(from); }
};

// The lines of part of a text, each with its line end; `first` is the
// number of lines before the part.
struct Lines {
    QByteArrayView bytes;
    TextEncoding encoding;
    qsizetype first;
    QList<LineSpan> spans;
    QList<QByteArrayView> views;

    Lines(QByteArrayView part, TextEncoding encoding_, qsizetype first_)
        : bytes(part), encoding(encoding_), first(first_)
    {
        LineCursor cursor(bytes, 0);
        LineSpan line;
        while (cursor.next(line)) {
            spans.append(line);
            views.append(bytes.sliced(line.start, line.length + line.eolLength));
        }
    }

    // The line with the 0-based number `index` in the whole text.
    DiffLine row(DiffLine::Kind kind, qsizetype index) const
    {
        Q_ASSERT(index >= first && index - first < spans.size());
        const LineSpan &span = spans[index - first];
        DiffLine line;
        line.kind = kind;
        line.text = decodeText(bytes.sliced(span.start, span.length), encoding);
        line.eol = bytes.sliced(span.start + span.length, span.eolLength).toByteArray();
        return line;
    }
};

qsizetype lineCount(QByteArrayView bytes)
{
    LineCursor cursor(bytes, 0);
    LineSpan line;
    qsizetype count = 0;
    while (cursor.next(line))
        ++count;
    return count;
}

// The start of the line that holds position p - 1 of a text whose first p
// bytes another text shares: a line start in both (a CR at p - 1 may end a
// line in one and be followed by LF in the other).
qsizetype sharedLineStart(QByteArrayView t, qsizetype p)
{
    for (qsizetype i = p - 1; i >= 0; --i) {
        if (t[i] == '\n' || (t[i] == '\r' && i + 1 < p))
            return i + 1;
    }
    return 0;
}

// The start of the line after the one that starts at `at`.
qsizetype nextLineStart(QByteArrayView t, qsizetype at)
{
    for (qsizetype i = at; i < t.size(); ++i) {
        if (t[i] == '\n')
            return i + 1;
        if (t[i] == '\r')
            return i + 1 < t.size() && t[i + 1] == '\n' ? i + 2 : i + 1;
    }
    return t.size();
}

// How many bytes a and b share at their start, or at their end.
qsizetype sharedBytes(QByteArrayView a, QByteArrayView b, bool atEnd)
{
    const qsizetype most = std::min(a.size(), b.size());
    constexpr qsizetype kBlock = 4096;
    qsizetype n = 0;
    const auto at = [&](QByteArrayView t, qsizetype from, qsizetype length) {
        return t.data() + (atEnd ? t.size() - from - length : from);
    };
    while (n + kBlock <= most && std::memcmp(at(a, n, kBlock), at(b, n, kBlock), kBlock) == 0)
        n += kBlock;
    while (n < most && *at(a, n, 1) == *at(b, n, 1))
        ++n;
    return n;
}

void addRows(DiffHunk &hunk, const Lines &lines, DiffLine::Kind kind, qsizetype from, qsizetype count,
             qsizetype oldNumber, qsizetype newNumber)
{
    for (qsizetype i = 0; i < count; ++i) {
        DiffLine line = lines.row(kind, from + i);
        line.oldNumber = kind == DiffLine::Added ? 0 : oldNumber + i + 1;
        line.newNumber = kind == DiffLine::Removed ? 0 : newNumber + i + 1;
        hunk.lines.append(std::move(line));
    }
}

QByteArray range(qsizetype start, qsizetype count)
{
    // An empty range names the line before it, as diff(1) does.
    const QByteArray first = QByteArray::number(count ? start + 1 : start);
    return count == 1 ? first : first + ',' + QByteArray::number(count);
}

DiffLine folded(qsizetype count)
{
    DiffLine line;
    line.kind = DiffLine::Folded;
    line.folded = count;
    return line;
}

} // namespace

TextDiff diffTexts(const QByteArray &oldFile, const QByteArray &newFile, qsizetype context)
{
    WorkingText oldText(oldFile);
    WorkingText newText(newFile);
    if (oldText.encoding != newText.encoding) {
        oldText.makeUtf8();
        newText.makeUtf8();
    }
    const QByteArrayView a = oldText.view();
    const QByteArrayView b = newText.view();

    // The bytes both texts share at either end, usually all but a line or
    // two, are cut off at line starts and only counted, never split into
    // lines; `context` lines of them stay for the hunks to show.
    const qsizetype prefix = sharedBytes(a, b, false);
    qsizetype head = sharedLineStart(a, prefix);
    for (qsizetype i = 0; i < context && head > 0; ++i)
        head = sharedLineStart(a, head - 1);
    const qsizetype suffix = std::min(sharedBytes(a, b, true), std::min(a.size(), b.size()) - prefix);
    qsizetype tailA = a.size();
    for (qsizetype j = a.size() - suffix + 1; j <= a.size(); ++j) {
        if (a[j - 1] == '\n' || (a[j - 1] == '\r' && (j == a.size() || a[j] != '\n'))) {
            tailA = j;
            break;
        }
    }
    for (qsizetype i = 0; i < context && tailA < a.size(); ++i)
        tailA = nextLineStart(a, tailA);
    const qsizetype tailB = tailA - a.size() + b.size();
    const qsizetype headLines = lineCount(a.first(head));
    const qsizetype tailLines = lineCount(a.sliced(tailA));
    const Lines before(a.sliced(head, tailA - head), oldText.encoding, headLines);
    const Lines after(b.sliced(head, tailB - head), newText.encoding, headLines);

    LineIds oldIds;
    LineIds newIds;
    numberLines(before.views, after.views, oldIds, newIds);
    const qsizetype n = headLines + before.views.size() + tailLines;
    const qsizetype m = headLines + after.views.size() + tailLines;
    QList<DiffRun> runs;
    const auto add = [&runs](DiffRun run) {
        if (run.count == 0)
            return;
        if (!runs.isEmpty() && runs.last().kind == run.kind)
            runs.last().count += run.count;
        else
            runs.append(run);
    };
    add({DiffRun::Same, 0, 0, headLines});
    for (DiffRun run : diffLines(oldIds, newIds)) {
        run.oldStart += headLines;
        run.newStart += headLines;
        add(run);
    }
    add({DiffRun::Same, n - tailLines, m - tailLines, tailLines});

    TextDiff diff;
    diff.oldLineCount = n;
    diff.newLineCount = m;
    for (qsizetype first = 0; first < runs.size(); ++first) {
        if (runs[first].kind == DiffRun::Same)
            continue;
        // The changes from `first` to `last` share a hunk: the unchanged
        // runs between them are short.
        qsizetype last = first;
        for (qsizetype k = first + 1; k < runs.size(); ++k) {
            if (runs[k].kind != DiffRun::Same)
                last = k;
            else if (runs[k].count > 2 * context || k + 1 == runs.size())
                break;
        }
        const qsizetype lead = first > 0 ? std::min(context, runs[first - 1].count) : 0;
        const qsizetype trail = last + 1 < runs.size() ? std::min(context, runs[last + 1].count) : 0;
        DiffHunk hunk;
        hunk.oldStart = runs[first].oldStart - lead;
        hunk.newStart = runs[first].newStart - lead;
        addRows(hunk, before, DiffLine::Context, hunk.oldStart, lead, hunk.oldStart, hunk.newStart);
        for (qsizetype k = first; k <= last; ++k) {
            const DiffRun &run = runs[k];
            if (run.kind == DiffRun::Added)
                addRows(hunk, after, DiffLine::Added, run.newStart, run.count, run.oldStart, run.newStart);
            else
                addRows(hunk, before, run.kind == DiffRun::Same ? DiffLine::Context : DiffLine::Removed, run.oldStart,
                        run.count, run.oldStart, run.newStart);
        }
        if (trail)
            addRows(hunk, before, DiffLine::Context, runs[last + 1].oldStart, trail, runs[last + 1].oldStart,
                    runs[last + 1].newStart);
        for (const DiffLine &line : std::as_const(hunk.lines)) {
            hunk.oldCount += line.kind != DiffLine::Added;
            hunk.newCount += line.kind != DiffLine::Removed;
        }
        diff.hunks.append(std::move(hunk));
        first = last;
    }
    return diff;
}

QList<DiffLine> foldedRows(const TextDiff &diff)
{
    QList<DiffLine> rows;
    qsizetype shown = 0;
    for (const DiffHunk &hunk : diff.hunks) {
        if (hunk.oldStart > shown)
            rows.append(folded(hunk.oldStart - shown));
        rows.append(hunk.lines);
        shown = hunk.oldStart + hunk.oldCount;
    }
    if (diff.oldLineCount > shown)
        rows.append(folded(diff.oldLineCount - shown));
    return rows;
}

QByteArray unifiedDiff(const TextDiff &diff, const QString &oldLabel, const QString &newLabel)
{
    QByteArray out;
    if (diff.identical())
        return out;
    out.append("--- ").append(oldLabel.toUtf8()).append('\n');
    out.append("+++ ").append(newLabel.toUtf8()).append('\n');
    for (const DiffHunk &hunk : diff.hunks) {
        out.append("@@ -").append(range(hunk.oldStart, hunk.oldCount));
        out.append(" +").append(range(hunk.newStart, hunk.newCount)).append(" @@\n");
        for (const DiffLine &line : hunk.lines) {
            out.append(line.kind == DiffLine::Removed ? '-' : line.kind == DiffLine::Added ? '+' : ' ');
            out.append(line.text.toUtf8());
            if (line.eol.isEmpty())
                out.append("\n\\ No newline at end of file\n");
            else
                out.append(line.eol);
        }
    }
    return out;
}

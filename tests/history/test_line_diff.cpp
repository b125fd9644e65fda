#include "line_diff.h"
#include "reference_patch.h"
#include "version_diff.h"

#include <QRandomGenerator>
#include <QtTest>

// The line diff against plain references: the runs, applied to the old
// lines, give the new ones; on small texts they keep as many lines as the
// longest common subsequence has (worked out by the textbook table); and
// the unified diff the program prints, read by a plain reader of the
// format, turns the old file into the new one byte for byte.
class TestLineDiff : public QObject {
    Q_OBJECT

    // Whether the runs cover both texts in order and, applied to the old
    // lines, make the new ones.
    static bool applies(const QList<DiffRun> &runs, const LineIds &a, const LineIds &b)
    {
        LineIds made;
        qsizetype oldAt = 0;
        qsizetype newAt = 0;
        bool lastSame = true;
        DiffRun::Kind lastKind = DiffRun::Same;
        for (const DiffRun &run : runs) {
            if (run.count <= 0 || run.oldStart != oldAt || run.newStart != newAt)
                return false;
            // Between two unchanged runs, what goes comes before what comes in.
            if (!lastSame && lastKind == DiffRun::Added && run.kind == DiffRun::Removed)
                return false;
            if (run.kind != DiffRun::Added) {
                for (qsizetype i = 0; i < run.count; ++i)
                    if (run.kind == DiffRun::Same)
                        made.push_back(a[size_t(oldAt + i)]);
                oldAt += run.count;
            }
            if (run.kind != DiffRun::Removed) {
                for (qsizetype i = 0; i < run.count; ++i)
                    if (run.kind == DiffRun::Added)
                        made.push_back(b[size_t(newAt + i)]);
                newAt += run.count;
            }
            lastSame = run.kind == DiffRun::Same;
            lastKind = run.kind;
        }
        return oldAt == qsizetype(a.size()) && newAt == qsizetype(b.size()) && made == b;
    }

    static qsizetype kept(const QList<DiffRun> &runs)
    {
        qsizetype same = 0;
        for (const DiffRun &run : runs)
            same += run.kind == DiffRun::Same ? run.count : 0;
        return same;
    }

    // The length of the longest common subsequence, by the full table.
    static qsizetype lcsLength(const LineIds &a, const LineIds &b)
    {
        std::vector<std::vector<qsizetype>> t(a.size() + 1, std::vector<qsizetype>(b.size() + 1, 0));
        for (size_t i = 1; i <= a.size(); ++i)
            for (size_t j = 1; j <= b.size(); ++j)
                t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
        return t[a.size()][b.size()];
    }

    static LineIds randomLines(QRandomGenerator &random, int count, int alphabet)
    {
        LineIds lines;
        for (int i = 0; i < count; ++i)
            lines.push_back(random.bounded(alphabet));
        return lines;
    }

private Q_SLOTS:
    void smallTextsGetAShortestScript()
    {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 3000; ++round) {
            const int alphabet = 1 + random.bounded(6);
            const LineIds a = randomLines(random, random.bounded(40), alphabet);
            LineIds b = random.bounded(3) ? a : randomLines(random, random.bounded(40), alphabet);
            // Often a few edits of the old text, as real changes are.
            for (int edits = random.bounded(6); edits > 0 && !b.empty(); --edits) {
                const size_t at = size_t(random.bounded(int(b.size())));
                if (random.bounded(2))
                    b.erase(b.begin() + qsizetype(at));
                else
                    b.insert(b.begin() + qsizetype(at), quint32(random.bounded(alphabet + 2)));
            }
            const QList<DiffRun> runs = diffLines(a, b);
            QVERIFY2(applies(runs, a, b), qPrintable(QStringLiteral("round %1").arg(round)));
            QCOMPARE(kept(runs), lcsLength(a, b));
        }
    }

    // A rewrite of a large file that drops its comments and blank lines (not
    // unique: the anchors of unique lines carry the comparison) and changes
    // a few keys: every line the rewrite kept is found again.
    void aLargeRewriteKeepsEveryUntouchedLine()
    {
        QRandomGenerator random(7);
        QList<QByteArray> old;
        QList<QByteArray> now;
        qsizetype untouched = 0;
        for (int i = 0; i < 200000; ++i) {
            const int kind = random.bounded(20);
            QByteArray line = kind == 0   ? QByteArray("; a comment\r\n")
                              : kind == 1 ? QByteArray("\r\n")
                                          : "key" + QByteArray::number(i) + "=v\r\n";
            old.append(line);
            if (kind <= 1)
                continue;
            if (random.bounded(500) == 0) {
                now.append("key" + QByteArray::number(i) + "=changed\r\n");
                continue;
            }
            now.append(line);
            ++untouched;
        }
        const QList<QByteArrayView> oldViews(old.cbegin(), old.cend());
        const QList<QByteArrayView> newViews(now.cbegin(), now.cend());
        LineIds a;
        LineIds b;
        numberLines(oldViews, newViews, a, b);
        const QList<DiffRun> runs = diffLines(a, b);
        QVERIFY(applies(runs, a, b));
        QCOMPARE(kept(runs), untouched);
    }

    // Random files of a few repeated lines, CR LF or LF ends, the last line
    // with or without one: the printed diff, read back, gives the new file.
    void theUnifiedDiffTurnsTheOldFileIntoTheNew()
    {
        QRandomGenerator random(99);
        const QList<QByteArray> pool{"[A]", "[B]", "k=1", "k=2", "; note", "", "name=\xC3\xA9t\xC3\xA9", "x=y"};
        const auto text = [&](int lines) {
            QByteArray out;
            for (int i = 0; i < lines; ++i)
                out += pool[random.bounded(int(pool.size()))] + (random.bounded(8) ? "\r\n" : "\n");
            if (!out.isEmpty() && random.bounded(4) == 0)
                out.chop(out.endsWith("\r\n") ? 2 : 1);
            return out;
        };
        for (int round = 0; round < 1500; ++round) {
            const QByteArray before = text(random.bounded(30));
            const QByteArray after = random.bounded(5) ? text(random.bounded(30)) : before;
            const qsizetype context = random.bounded(4);
            const TextDiff diff = diffTexts(before, after, context);
            QCOMPARE(diff.identical(), before == after);
            QString error;
            const QByteArray printed = unifiedDiff(diff, QStringLiteral("a.ini\tversion 1"), QStringLiteral("a.ini"));
            const QByteArray made = before == after ? before : applyUnifiedDiff(before, printed, error);
            QVERIFY2(error.isEmpty(), qPrintable(error + QStringLiteral("\n") + QString::fromUtf8(printed)));
            QCOMPARE(made, after);

            // The folded rows stand for every old line once.
            qsizetype oldLines = 0;
            for (const DiffLine &row : foldedRows(diff))
                oldLines += row.kind == DiffLine::Folded ? row.folded : row.kind != DiffLine::Added;
            QCOMPARE(oldLines, diff.oldLineCount);
        }
    }

    // Windows-1252 and UTF-16 versions compare by their text: the same
    // lines in another encoding are no change, and the rows show the text.
    void versionsCompareByTheirText()
    {
        const QByteArray latin = "[A]\r\nname=\xE9t\xE9\r\nk=1\r\n";
        QByteArray utf16("\xFF\xFE", 2);
        for (const QChar c : QStringLiteral("[A]\r\nname=\u00E9t\u00E9\r\nk=2\r\n"))
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        const TextDiff diff = diffTexts(latin, utf16, 0);
        QCOMPARE(diff.hunks.size(), 1);
        const QList<DiffLine> &lines = diff.hunks[0].lines;
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].kind, DiffLine::Removed);
        QCOMPARE(lines[0].text, QStringLiteral("k=1"));
        QCOMPARE(lines[0].oldNumber, 3);
        QCOMPARE(lines[1].kind, DiffLine::Added);
        QCOMPARE(lines[1].text, QStringLiteral("k=2"));
        QCOMPARE(lines[1].newNumber, 3);
        const QList<DiffLine> rows = foldedRows(diff);
        QCOMPARE(rows.first().kind, DiffLine::Folded);
        QCOMPARE(rows.first().folded, 2);
    }
};

QTEST_GUILESS_MAIN(TestLineDiff)
#include "test_line_diff.moc"

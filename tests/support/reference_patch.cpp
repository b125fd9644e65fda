#include "reference_patch.h"

#include <QList>
#include <QRegularExpression>

namespace {
// The lines of `bytes`, each with its "\n" (the last may have none).
QList<QByteArray> linesOf(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        const qsizetype stop = end < 0 ? bytes.size() : end + 1;
        lines.append(bytes.mid(start, stop - start));
        start = stop;
    }
    return lines;
}
} // namespace

QByteArray applyUnifiedDiff(const QByteArray &old, const QByteArray &diff, QString &error)
{
    const QList<QByteArray> from = linesOf(old);
    const QList<QByteArray> patch = linesOf(diff);
    static const QRegularExpression header(QStringLiteral("^@@ -(\\d+)(?:,(\\d+))? \\+(\\d+)(?:,(\\d+))? @@\n$"));
    QByteArray out;
    qsizetype pos = 0;
    qsizetype i = 0;
    while (i < patch.size() && (patch[i].startsWith("--- ") || patch[i].startsWith("+++ ")))
        ++i;
    while (i < patch.size()) {
        const auto match = header.match(QString::fromUtf8(patch[i]));
        if (!match.hasMatch()) {
            error = QStringLiteral("no hunk header: ") + QString::fromUtf8(patch[i]);
            return {};
        }
        const qsizetype oldCount = match.captured(2).isEmpty() ? 1 : match.captured(2).toLongLong();
        const qsizetype newCount = match.captured(4).isEmpty() ? 1 : match.captured(4).toLongLong();
        const qsizetype start = match.captured(1).toLongLong() - (oldCount ? 1 : 0);
        if (start < pos || start > from.size()) {
            error = QStringLiteral("hunk out of order at line %1").arg(start);
            return {};
        }
        for (; pos < start; ++pos)
            out.append(from[pos]);
        qsizetype seenOld = 0;
        qsizetype seenNew = 0;
        for (++i; i < patch.size() && !patch[i].startsWith("@@"); ++i) {
            const char mark = patch[i].at(0);
            QByteArray content = patch[i].mid(1);
            if (mark == '\\')
                continue;
            // A "\ No newline" line after it: the line has no line end.
            if (i + 1 < patch.size() && patch[i + 1].startsWith('\\'))
                content.chop(1);
            if (mark == '+') {
                out.append(content);
                ++seenNew;
                continue;
            }
            if (pos >= from.size() || from[pos] != content || (mark != ' ' && mark != '-')) {
                error = QStringLiteral("line %1 does not match: %2").arg(pos + 1).arg(QString::fromUtf8(patch[i]));
                return {};
            }
            if (mark == ' ') {
                out.append(content);
                ++seenNew;
            }
            ++seenOld;
            ++pos;
        }
        if (seenOld != oldCount || seenNew != newCount) {
            error = QStringLiteral("hunk counts %1,%2 but holds %3,%4")
                        .arg(oldCount)
                        .arg(newCount)
                        .arg(seenOld)
                        .arg(seenNew);
            return {};
        }
    }
    for (; pos < from.size(); ++pos)
        out.append(from[pos]);
    return out;
}

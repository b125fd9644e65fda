#include "cli_history.h"

#include "app_error.h"
#include "batch_edit.h"
#include "cli_write.h"
#include "file_access.h"
#include "file_history.h"
#include "file_lock.h"
#include "ini_store.h"
#include "version_diff.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// A plain decimal: digits only, the first not 0 (no sign, blank or leading
// zero, which toLongLong would all let pass); 0 when it is none.
qint64 versionNumber(const QString &text)
{
    if (text.isEmpty() || text.front() == u'0'
        || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok ? number : 0;
}

FileHistory &historyOf(const IniStore &store)
{
    if (!store.history())
        throw AppError(ErrorKind::Store, QStringLiteral("No version history is kept"));
    return *store.history();
}

QString timeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString versionUsageError(const QStringList &args)
{
    if (!versionNumber(args[0]))
        return QStringLiteral("'%1' is no version number").arg(shownArgument(args[0]));
    return writeFlagsError(args, 1);
}

int listVersions(IniStore &store, const QStringList &)
{
    QByteArray out;
    for (const FileVersion &version : historyOf(store).versions(store.fileName())) {
        // One version a line, its fields between tabs, whatever the names hold.
        QString command = version.command;
        command.replace(QLatin1Char('\t'), QLatin1Char(' '));
        out.append(QByteArray::number(version.number)).append('\t');
        out.append(timeText(version.time).toUtf8()).append('\t');
        out.append(command.toUtf8()).append('\t');
        out.append(QByteArray::number(version.size)).append('\n');
    }
    writeOut(out);
    return 0;
}

int diffVersion(IniStore &store, const QStringList &args)
{
    const qint64 number = versionNumber(args[0]);
    FileHistory &history = historyOf(store);
    const QByteArray old = history.contents(store.fileName(), number);
    QString when;
    for (const FileVersion &version : history.versions(store.fileName()))
        if (version.number == number)
            when = QStringLiteral(", ") + timeText(version.time);
    const QByteArray now = readWholeFile(store.fileName());
    const QString name = store.fileName();
    writeOut(unifiedDiff(diffTexts(old, now), name + QStringLiteral("\tversion %1%2").arg(number).arg(when),
                         name + QStringLiteral("\tnow")));
    return 0;
}

// Like every write, worked out first: a version equal to the file writes
// nothing, and --check and --diff tell what the restore would change.
int restoreVersion(IniStore &store, const QStringList &args)
{
    const qint64 number = versionNumber(args[0]);
    const WriteFlags flags = writeFlags(args.mid(1));
    auto restore = [&] {
        store.restoreVersion(number);
        return 0;
    };
    // A refused restore says why in the store's words.
    if (!flags.check && isReadOnlyFile(store.fileName()))
        return restore();
    std::optional<FileLock> lock;
    if (!flags.check)
        lock.emplace(store.fileName());
    const QByteArray now = readWholeFile(store.fileName());
    const BatchResult result{now, historyOf(store).contents(store.fileName(), number), std::nullopt};
    return finishWrite(store, result, flags, restore);
}

#include "cli_write.h"

#include "app_error.h"
#include "batch_edit.h"
#include "file_access.h"
#include "file_lock.h"
#include "ini_store.h"
#include "version_diff.h"

#include <cstdio>
#include <optional>

QString shownArgument(const QString &text)
{
    constexpr qsizetype kShown = 20;
    return text.size() > kShown ? text.left(kShown) + QChar(0x2026) : text;
}

QString writeFlagsError(const QStringList &args, qsizetype count)
{
    for (const QString &option : args.mid(count))
        if (option != QLatin1String("--check") && option != QLatin1String("--diff"))
            return QStringLiteral("Unknown option '%1': use --check or --diff").arg(shownArgument(option));
    return QString();
}

WriteFlags writeFlags(const QStringList &options)
{
    return {options.contains(QLatin1String("--check")), options.contains(QLatin1String("--diff"))};
}

int finishWrite(IniStore &store, const BatchResult &result, const WriteFlags &flags, const std::function<int()> &write)
{
    const QString file = store.fileName();
    const bool changes = result.changesFiles();
    if (flags.check && changes && isReadOnlyFile(file))
        throw AppError(ErrorKind::PermissionDenied, file + QStringLiteral(" is read only; the write would be refused"));
    if (flags.diff && result.bytes != result.original) {
        const QByteArray diff = unifiedDiff(diffTexts(result.original, result.bytes), file, file);
        std::fwrite(diff.constData(), 1, size_t(diff.size()), stdout);
        std::fflush(stdout);
    }
    if (flags.check)
        return changes ? kWouldChange : 0;
    return changes ? write() : 0;
}

int runWrite(IniStore &store, const QStringList &args, const WriteCommand &command)
{
    const WriteFlags flags = writeFlags(args.mid(command.argumentCount));
    const QStringList operands = args.first(command.argumentCount);
    const QString file = store.fileName();
    QStringList words{QStringLiteral("--") + QLatin1String(command.name)};
    const BatchOperation operation{QByteArray(command.name), operands, (words + operands).join(QLatin1Char(' '))};

    // A write that will be refused is left to the command, which says so
    // in its own words.
    if (!flags.check && isReadOnlyFile(file)) {
        if (command.direct)
            return command.direct(store, operands);
        throw AppError(ErrorKind::PermissionDenied, file + QStringLiteral(" is read only; nothing was written"));
    }
    // From the read to the write: a change made meanwhile would be lost. A
    // check writes nothing, so it takes no lock either, whose taking tidies
    // up after killed writers.
    std::optional<FileLock> lock;
    if (!flags.check)
        lock.emplace(file);
    std::optional<BatchResult> result;
    try {
        result = applyOperation(store, readWholeFile(file), operation);
    } catch (const AppError &) {
        // A refused write fails again as the command itself, in its words.
        if (flags.check || flags.diff || !command.direct)
            throw;
        return command.direct(store, operands);
    }
    // Refused after saying why.
    if (!result)
        return 1;
    return finishWrite(store, *result, flags, [&] {
        if (!command.label)
            return command.direct(store, operands);
        writeBatchResult(store, *result, command.label(operands));
        return 0;
    });
}

#include "cli_batch.h"

#include "app_error.h"
#include "cli_commands.h"
#include "file_access.h"
#include "file_log.h"
#include "file_name_test.h"
#include "ini_store.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// The commands a batch may run, by option, and how many arguments each takes.
struct BatchOption {
    const char *option;
    const char *command;
};
const BatchOption kOptions[] = {
    {"--set", "set"},
    {"--delete", "delete"},
    {"--add-section", "add-section"},
    {"--add-key", "add-key"},
    {"--delete-section", "delete-section"},
};

struct Operation {
    const CliCommand *command;
    QStringList args;
    // As the person wrote it, for messages.
    QString text;
};

const CliCommand *commandNamed(const char *name)
{
    for (const CliCommand &command : cliCommands())
        if (qstrcmp(command.name, name) == 0)
            return &command;
    return nullptr;
}

// The operations of `args`, or the usage error in `error`.
QList<Operation> parse(const QStringList &args, QString &error)
{
    QList<Operation> operations;
    for (qsizetype i = 0; i < args.size();) {
        const CliCommand *command = nullptr;
        for (const BatchOption &option : kOptions)
            if (args[i] == QLatin1String(option.option))
                command = commandNamed(option.command);
        if (!command) {
            error = QStringLiteral("unknown batch operation '%1': use --set, --delete, --add-section, --add-key "
                                   "or --delete-section")
                        .arg(args[i]);
            return {};
        }
        const qsizetype count = command->argumentCount;
        if (i + 1 + count > args.size()) {
            error = QStringLiteral("%1 needs %2").arg(args[i], QString::fromLatin1(command->arguments));
            return {};
        }
        Operation operation{command, args.mid(i + 1, count), args.mid(i, count + 1).join(QLatin1Char(' '))};
        operations.append(operation);
        i += count + 1;
    }
    if (operations.isEmpty())
        error = QStringLiteral("a batch needs at least one operation");
    return operations;
}

// A file's contents as they were, to be put back.
struct Snapshot {
    QString path;
    std::optional<QByteArray> bytes;

    static Snapshot of(const QString &path)
    {
        Snapshot snapshot{path, std::nullopt};
        if (QFileInfo(path).isFile())
            snapshot.bytes = readWholeFile(path);
        return snapshot;
    }
    void restore() const
    {
        if (bytes)
            replaceFileContents(path, *bytes);
        else
            removeFileOrWarn(QFile::encodeName(path));
    }
};

} // namespace

QString batchUsageError(const QStringList &args)
{
    QString error;
    parse(args, error);
    return error;
}

int runBatch(IniStore &store, const QStringList &args)
{
    QString error;
    const QList<Operation> operations = parse(args, error);
    if (!error.isEmpty())
        throw AppError(ErrorKind::InvalidArgument, error);
    if (isReadOnlyFile(store.fileName()))
        throw AppError(ErrorKind::PermissionDenied,
                       store.fileName() + QStringLiteral(" is read only; nothing was written"));

    const Snapshot file = Snapshot::of(store.fileName());
    const Snapshot backup = Snapshot::of(backupPathFor(store.fileName()));
    for (qsizetype i = 0; i < operations.size(); ++i) {
        const Operation &operation = operations[i];
        QString failure;
        try {
            // A set of a key the store holds changes that record as the file's
            // line; any other write leaves records that a fresh load would not
            // give (a key added by a set has none, a rewrite drops empty
            // sections from the file only), so the file is read again.
            const bool lineOnly = qstrcmp(operation.command->name, "set") == 0
                                  && store.findRecord(operation.args[0], operation.args[1]) != 0;
            if (operation.command->run(store, operation.args) != 0)
                failure = QStringLiteral("it was refused");
            else if (!lineOnly)
                store.load();
        } catch (const AppError &e) {
            failure = e.description();
        }
        if (failure.isEmpty())
            continue;
        backup.restore();
        file.restore();
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("operation %1 (%2) failed, so the file is left as it was: %3")
                           .arg(i + 1)
                           .arg(operation.text, failure));
    }
    return 0;
}

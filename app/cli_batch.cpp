#include "cli_batch.h"

#include "app_error.h"
#include "append_line.h"
#include "cli_commands.h"
#include "file_access.h"
#include "file_lock.h"
#include "file_name_test.h"
#include "ini_store.h"
#include "interaction.h"
#include "node_collection.h"
#include "profile_writer.h"
#include "text_format.h"
#include "text_helpers.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <cerrno>
#include <new>
#include <optional>
#include <utility>

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

// The batch's file in memory: its own bytes as the operations so far leave
// them, and what its backup holds after them (unchanged while no operation
// has rewritten the file from its records).
struct BatchText {
    IniStore &store;
    QByteArray bytes;
    std::optional<QByteArray> backup;

    // Texts the file's encoding cannot hold are refused, as the add dialog
    // refuses them, before the file is touched.
    void requireEncodable(const QStringList &texts) const
    {
        const TextEncoding encoding = detectTextFormat(bytes).encoding();
        for (const QString &text : texts)
            encodeText(text, encoding);
    }
    // The records a command finds when it loads the file as it is now.
    TextFormat loadRecords()
    {
        store.loadBytes(bytes);
        return detectTextFormat(bytes);
    }
    // A rewrite from the records: the backup gets the file as it stood.
    void rewrite(const TextFormat &format)
    {
        const QString backupPath = backupPathFor(store.fileName());
        if (isReadOnlyFile(backupPath))
            throwFileError(EACCES, backupPath);
        QByteArray rebuilt = store.rebuiltBytes(format);
        backup = std::exchange(bytes, std::move(rebuilt));
    }
};

// Runs one operation on the text as its command runs on the file: true when
// done, false when refused after saying why (as the command exits with 1).
bool apply(BatchText &text, const Operation &operation)
{
    IniStore &store = text.store;
    const QString fileName = store.fileName();
    const QStringList &args = operation.args;
    const QByteArray name(operation.command->name);
    if (name == "set") {
        checkProfileWrite(args[0], args[1], args[2]);
        text.bytes = profileWrittenBytes(text.bytes, args[0], args[1], args[2], fileName);
    } else if (name == "add-key") {
        const QString key = trimBlanks(args[1]);
        if (key.isEmpty())
            throw AppError(ErrorKind::InvalidArgument, QStringLiteral("The key name is blank"));
        checkProfileWrite(args[0], key, args[2]);
        text.requireEncodable({args[0], key, args[2]});
        text.bytes = profileWrittenBytes(text.bytes, args[0], key, args[2], fileName);
    } else if (name == "add-section") {
        const QString section = trimBlanks(args[0]);
        if (section.isEmpty())
            throw AppError(ErrorKind::InvalidArgument, QStringLiteral("The section name is blank"));
        requireSingleLine(section, QStringLiteral("section name"));
        text.requireEncodable({section});
        // The command tells why its line could not be appended, and exits with 1.
        try {
            text.bytes = appendedLineBytes(text.bytes, QStringLiteral("[") + section + QStringLiteral("]"), fileName);
        } catch (const AppError &e) {
            store.ui().tell(e.description(), MessageIcon::Critical);
            return false;
        }
    } else if (name == "delete") {
        const TextFormat format = text.loadRecords();
        requireExactFile(format, fileName);
        const qsizetype position = store.findRecord(args[0], args[1]);
        if (position)
            store.records()->removeAt(position);
        text.rewrite(format);
    } else if (name == "delete-section") {
        const TextFormat format = text.loadRecords();
        NodeCollection nodes;
        fillTree(nodes, *store.records());
        if (sectionNodeIndex(nodes, args[0]) == 0)
            throw AppError(ErrorKind::InvalidArgument, QStringLiteral("Section not selected or invalid"));
        const QStringList keys = sectionDeletionKeys(nodes, args[0]);
        // A section with nothing to delete leaves the file as it is.
        if (keys.isEmpty())
            return true;
        requireExactFile(format, fileName);
        store.removeKeyRecords(args[0], keys);
        text.rewrite(format);
    }
    return true;
}

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

    // One writer from the first read to the one write: no other program's
    // change lands in between, and none is overwritten.
    const FileLock lock(store.fileName());
    const QByteArray original = readWholeFile(store.fileName());
    BatchText text{store, original, std::nullopt};
    for (qsizetype i = 0; i < operations.size(); ++i) {
        const Operation &operation = operations[i];
        QString failure;
        try {
            if (!apply(text, operation))
                failure = QStringLiteral("it was refused");
        } catch (const AppError &e) {
            failure = e.description();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("Out of memory");
        }
        if (failure.isEmpty())
            continue;
        // Nothing has been written: there is nothing to put back.
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("operation %1 (%2) failed, so the file is left as it was: %3")
                           .arg(i + 1)
                           .arg(operation.text, failure));
    }
    if (text.bytes == original && !text.backup)
        return 0;
    store.writeFollowing(
        [&] {
            const QString backup = backupPathFor(store.fileName());
            if (text.backup)
                copyAsBackup(store.fileName(), backup, *text.backup);
            replaceFileContents(store.fileName(), text.bytes,
                                text.backup && *text.backup == original ? backup : QString());
            return true;
        },
        QStringLiteral("batch: %1 operations").arg(operations.size()));
    return 0;
}

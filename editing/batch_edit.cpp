#include "batch_edit.h"

#include "app_error.h"
#include "append_line.h"
#include "file_access.h"
#include "file_lock.h"
#include "file_name_test.h"
#include "ini_store.h"
#include "interaction.h"
#include "line_removal.h"
#include "node_collection.h"
#include "profile_writer.h"
#include "text_format.h"
#include "text_helpers.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <QFile>

#include <cerrno>
#include <new>
#include <utility>

namespace {

// The commands a batch may run, by option; what each takes is spelled as
// larkspur-cli's usage spells it.
struct BatchCommand {
    const char *option;
    const char *command;
    qsizetype argumentCount;
    const char *arguments;
};
const BatchCommand kCommands[] = {
    {"--set", "set", 3, "SECTION KEY VALUE"},
    {"--delete", "delete", 2, "SECTION KEY"},
    {"--add-section", "add-section", 1, "SECTION"},
    {"--add-key", "add-key", 3, "SECTION KEY VALUE"},
    {"--delete-section", "delete-section", 1, "SECTION"},
    {"--remove", "remove", 2, "SECTION KEY"},
    {"--remove-section", "remove-section", 1, "SECTION"},
};

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
        // A rewrite that changes nothing writes nothing, the backup included.
        if (rebuilt == bytes)
            return;
        backup = std::exchange(bytes, std::move(rebuilt));
    }
};

// Runs one operation on the text as its command runs on the file: true when
// done, false when refused after saying why (as the command exits with 1).
bool apply(BatchText &text, const BatchOperation &operation)
{
    IniStore &store = text.store;
    const QString fileName = store.fileName();
    const QStringList &args = operation.args;
    const QByteArray &name = operation.command;
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
    } else if (name == "remove") {
        const FileText file = decodeFile(text.bytes);
        const std::optional<qsizetype> line = recordLine(file, args[0], args[1]);
        if (!line)
            throw AppError(ErrorKind::ElementNotFound, args[1].isEmpty()
                                                           ? QStringLiteral("no section [%1]").arg(args[0])
                                                           : QStringLiteral("no key %1 in [%2]").arg(args[1], args[0]));
        text.bytes = bytesWithoutLines(file, {{*line, 1}}, fileName);
    } else if (name == "remove-section") {
        const FileText file = decodeFile(text.bytes);
        const QList<LineRun> blocks = sectionBlocks(file, args[0]);
        if (blocks.isEmpty())
            throw AppError(ErrorKind::ElementNotFound, QStringLiteral("no section [%1]").arg(args[0]));
        text.bytes = bytesWithoutLines(file, blocks, fileName);
    }
    return true;
}

} // namespace

QList<BatchOperation> parseBatch(const QStringList &args, QString &error, const QStringList &flagNames,
                                 QStringList *flags)
{
    QList<BatchOperation> operations;
    for (qsizetype i = 0; i < args.size();) {
        if (flagNames.contains(args[i])) {
            if (flags)
                flags->append(args[i]);
            ++i;
            continue;
        }
        const BatchCommand *command = nullptr;
        for (const BatchCommand &candidate : kCommands)
            if (args[i] == QLatin1String(candidate.option))
                command = &candidate;
        if (!command) {
            error = QStringLiteral("unknown batch operation '%1': use --set, --delete, --add-section, --add-key, "
                                   "--delete-section, --remove or --remove-section")
                        .arg(args[i]);
            return {};
        }
        const qsizetype count = command->argumentCount;
        if (i + 1 + count > args.size()) {
            error = QStringLiteral("%1 needs %2").arg(args[i], QString::fromLatin1(command->arguments));
            return {};
        }
        operations.append(
            {QByteArray(command->command), args.mid(i + 1, count), args.mid(i, count + 1).join(QLatin1Char(' '))});
        i += count + 1;
    }
    if (operations.isEmpty())
        error = QStringLiteral("a batch needs at least one operation");
    return operations;
}

BatchResult applyBatch(IniStore &store, const QByteArray &original, const QList<BatchOperation> &operations)
{
    BatchText text{store, original, std::nullopt};
    for (qsizetype i = 0; i < operations.size(); ++i) {
        const BatchOperation &operation = operations[i];
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
    return BatchResult{original, std::move(text.bytes), std::move(text.backup)};
}

std::optional<BatchResult> applyOperation(IniStore &store, const QByteArray &original, const BatchOperation &operation)
{
    BatchText text{store, original, std::nullopt};
    if (!apply(text, operation))
        return std::nullopt;
    return BatchResult{original, std::move(text.bytes), std::move(text.backup)};
}

void writeBatchResult(IniStore &store, const BatchResult &result, const QString &command)
{
    store.writeFollowing(
        [&] {
            const QString file = store.fileName();
            const QString backup = backupPathFor(file);
            const bool backupIsFile = result.backup && *result.backup == result.original;
            // A backup of the file as it stands is a second name of it when
            // a new file is to take its place, as a rewrite makes it: no copy
            // to write. Should the new file be refused after all, the file
            // is written in place, which would take that name along, so the
            // backup gets a copy of its own first.
            if (backupIsFile && plannedWrite(file) == FileWrite::NewFile && linkAsBackup(file, backup)) {
                if (replaceWithNewFile(file, result.bytes, backup))
                    return true;
                if (!QFile::remove(backup))
                    throwFileError(EACCES, backup);
            }
            if (result.backup)
                copyAsBackup(file, backup, *result.backup);
            replaceFileContents(file, result.bytes, backupIsFile ? backup : QString());
            return true;
        },
        command);
}

void runBatchEdit(IniStore &store, const QList<BatchOperation> &operations)
{
    if (isReadOnlyFile(store.fileName()))
        throw AppError(ErrorKind::PermissionDenied,
                       store.fileName() + QStringLiteral(" is read only; nothing was written"));

    // One writer from the first read to the one write: no other program's
    // change lands in between, and none is overwritten.
    const FileLock lock(store.fileName());
    const BatchResult result = applyBatch(store, readWholeFile(store.fileName()), operations);
    if (!result.changesFiles())
        return;
    writeBatchResult(store, result, QStringLiteral("batch: %1 operations").arg(operations.size()));
}

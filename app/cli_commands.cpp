#include "cli_commands.h"

#include "add_entry.h"
#include "app_error.h"
#include "batch_edit.h"
#include "cli_history.h"
#include "cli_lint.h"
#include "cli_write.h"
#include "file_access.h"
#include "file_lock.h"
#include "ini_store.h"
#include "json_line.h"
#include "name_blanks.h"
#include "node_collection.h"
#include "record_search.h"
#include "text_helpers.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <cstdio>
#include <optional>

namespace {

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int dump(IniStore &store, const QStringList &)
{
    QByteArray out;
    constexpr qsizetype kChunk = 1 << 20;
    out.reserve(kChunk + 4096);
    for (IniRecord *record : *store.records()) {
        out.append("{\"id\":").append(QByteArray::number(record->id()));
        out.append(",\"section\":");
        appendJsonString(out, record->section());
        out.append(",\"key\":");
        appendJsonString(out, record->key());
        out.append(",\"value\":");
        appendJsonString(out, record->value());
        out.append("}\n");
        if (out.size() >= kChunk) {
            writeOut(out);
            out.clear();
        }
    }
    writeOut(out);
    return 0;
}

// A missing key is not an empty value: it exits with 1 (or prints the
// default asked for), an empty one prints an empty line.
int get(IniStore &store, const QStringList &args)
{
    if (const qsizetype position = store.findRecord(args[0], args[1])) {
        writeOut(store.records()->at(position)->value().toUtf8() + '\n');
        return 0;
    }
    if (args.size() == 4) {
        writeOut(args[3].toUtf8() + '\n');
        return 0;
    }
    throw AppError(ErrorKind::ElementNotFound, missingKeyMessage(*store.records(), args[0], args[1]));
}

QString getUsageError(const QStringList &args)
{
    if (args.size() == 2 || (args.size() == 4 && args[2] == QLatin1String("--default")))
        return QString();
    return args.size() == 3 && args[2] == QLatin1String("--default")
               ? QStringLiteral("--default needs TEXT")
               : QStringLiteral("Unknown option '%1': use --default TEXT").arg(shownArgument(args[2]));
}

int set(IniStore &store, const QStringList &args)
{
    return store.setValue(args[0], args[1], args[2]) == WriteResult::ReadOnly ? 1 : 0;
}

int deleteKey(IniStore &store, const QStringList &args)
{
    store.deleteKey(args[0], args[1]);
    return 0;
}

// New > Section: the record and its header line at the end of the file.
int addSection(IniStore &store, const QStringList &args)
{
    IniRecord *const record = addSectionRecord(store, args[0]);
    if (!record)
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("The section name is blank"));
    return writeSectionRecord(store, *record) ? 0 : 1;
}

// New > Key: the record, then its value written into its section.
int addKey(IniStore &store, const QStringList &args)
{
    IniRecord *const record = addKeyRecord(store, args[0], args[1], args[2]);
    if (!record)
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("The key name is blank"));
    return writeKeyRecord(store, *record, args[2]) == WriteResult::ReadOnly ? 1 : 0;
}

// Delete > Section, confirmed, on the tree the window would build for the file.
int deleteSection(IniStore &store, const QStringList &args)
{
    NodeCollection nodes;
    fillTree(nodes, *store.records());
    if (sectionNodeIndex(nodes, args[0]) == 0)
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("Section not selected or invalid"));
    const QString section = args[0];
    store.deleteKeys(section, sectionDeletionKeys(nodes, section),
                     [section](const RecordList &records) { return sectionDeletionKeysOf(records, section); });
    return 0;
}

// The options after find's TEXT, as the dialog's check boxes; "" when they
// all mean something, else what is wrong with the first one that does not.
QString readFindOptions(const QStringList &args, SearchOptions &options)
{
    options.text = args[0];
    for (const QString &option : args.mid(1)) {
        if (option == QLatin1String("--case")) {
            options.matchCase = true;
        } else if (option == QLatin1String("--whole")) {
            options.matchWholeString = true;
        } else if (option.startsWith(QLatin1String("--fields="))) {
            const QStringList fields = option.mid(9).split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString &field : fields)
                if (field != QLatin1String("section") && field != QLatin1String("key")
                    && field != QLatin1String("value"))
                    return QStringLiteral("Unknown field '") + field + QStringLiteral("': use section, key or value");
            options.sections = fields.contains(QLatin1String("section"));
            options.keys = fields.contains(QLatin1String("key"));
            options.values = fields.contains(QLatin1String("value"));
        } else {
            return QStringLiteral("Unknown option '") + option + QLatin1Char('\'');
        }
    }
    return QString();
}

QString findUsageError(const QStringList &args)
{
    SearchOptions options;
    return readFindOptions(args, options);
}

// Find Next from a fresh dialog, again and again: the ID of every hit, up to
// the first run without one. Options stand for the dialog's check boxes; the
// command line has passed findUsageError.
int find(IniStore &store, const QStringList &args)
{
    SearchOptions options;
    readFindOptions(args, options);
    if (trimBlanks(options.text).isEmpty())
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("The search text is blank"));

    // A loaded file numbers its records in order, so each run may begin
    // right behind the last hit instead of skipping up to it.
    const RecordList &records = *store.records();
    qint32 lastFoundId = 0;
    qsizetype from = 0;
    QByteArray out;
    int hits = 0;
    for (;;) {
        const qsizetype hit = findNextRecord(records, options, lastFoundId, from);
        if (hit < 0)
            break;
        lastFoundId = records.records()[hit]->id();
        from = hit + 1;
        out.append(QByteArray::number(lastFoundId)).append('\n');
        ++hits;
    }
    writeOut(out);
    return hits > 0 ? 0 : 1;
}

const QStringList kWriteFlags{QStringLiteral("--check"), QStringLiteral("--diff")};

QString batchUsageError(const QStringList &args)
{
    QString error;
    parseBatch(args, error, kWriteFlags);
    return error;
}

int runBatch(IniStore &store, const QStringList &args)
{
    QString error;
    QStringList options;
    const QList<BatchOperation> operations = parseBatch(args, error, kWriteFlags, &options);
    if (!error.isEmpty())
        throw AppError(ErrorKind::InvalidArgument, error);
    const WriteFlags flags = writeFlags(options);
    if (!flags.check && !flags.diff) {
        runBatchEdit(store, operations);
        return 0;
    }
    if (!flags.check && isReadOnlyFile(store.fileName()))
        throw AppError(ErrorKind::PermissionDenied,
                       store.fileName() + QStringLiteral(" is read only; nothing was written"));
    std::optional<FileLock> lock;
    if (!flags.check)
        lock.emplace(store.fileName());
    const BatchResult result = applyBatch(store, readWholeFile(store.fileName()), operations);
    return finishWrite(store, result, flags, [&] {
        writeBatchResult(store, result, QStringLiteral("batch: %1 operations").arg(operations.size()));
        return 0;
    });
}

// Each writing command runs as a batch of itself first (see runWrite).
template <qsizetype Count>
QString writeUsageError(const QStringList &args)
{
    return writeFlagsError(args, Count);
}

// A set is written from its result, as the store's own set would write it:
// one line changed, no backup.
QString setLabel(const QStringList &args)
{
    return QStringLiteral("set [%1] %2").arg(args[0], args[1]);
}

// A delete is written from its result too, the backup a second name of the
// file as it was (as the store's rewrite makes it), so that it is not
// rebuilt a second time; the version keeps the store's name for it.
QString deleteLabel(const QStringList &args)
{
    return args[1].isEmpty() ? QStringLiteral("delete header [%1]").arg(args[0])
                             : QStringLiteral("delete key [%1] %2").arg(args[0], args[1]);
}

QString deleteSectionLabel(const QStringList &args)
{
    return QStringLiteral("delete section [%1]").arg(args[0]);
}

QString removeLabel(const QStringList &args)
{
    return args[1].isEmpty() ? QStringLiteral("remove header [%1]").arg(args[0])
                             : QStringLiteral("remove key [%1] %2").arg(args[0], args[1]);
}

QString removeSectionLabel(const QStringList &args)
{
    return QStringLiteral("remove section [%1]").arg(args[0]);
}

int setCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"set", 3, set, setLabel});
}

int deleteCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"delete", 2, deleteKey, deleteLabel});
}

int addSectionCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"add-section", 1, addSection});
}

int addKeyCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"add-key", 3, addKey});
}

int deleteSectionCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"delete-section", 1, deleteSection, deleteSectionLabel});
}

int removeCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"remove", 2, nullptr, removeLabel});
}

int removeSectionCommand(IniStore &store, const QStringList &args)
{
    return runWrite(store, args, {"remove-section", 1, nullptr, removeSectionLabel});
}

} // namespace

const QList<CliCommand> &cliCommands()
{
    static const QList<CliCommand> commands = {
        {"dump", "", "print every record as one JSON object per line", dump, 0},
        {"get", "SECTION KEY [--default TEXT]",
         "print the value of KEY in SECTION (exit 1 when there is none, unless --default gives TEXT)", get, 2, 2,
         getUsageError},
        {"set", "SECTION KEY VALUE [--check] [--diff]", "set the value of KEY in SECTION", setCommand, 3, 2,
         writeUsageError<3>},
        {"delete", "SECTION KEY [--check] [--diff]",
         "delete KEY from SECTION (KEY \"\" deletes the section's header record)", deleteCommand, 2, 2,
         writeUsageError<2>},
        {"add-section", "SECTION [--check] [--diff]", "append a header for SECTION at the end of the file",
         addSectionCommand, 1, 2, writeUsageError<1>},
        {"add-key", "SECTION KEY VALUE [--check] [--diff]", "add KEY with VALUE to SECTION, as the add dialog does",
         addKeyCommand, 3, 2, writeUsageError<3>},
        {"delete-section", "SECTION [--check] [--diff]", "delete SECTION and the keys the editor shows under it",
         deleteSectionCommand, 1, 2, writeUsageError<1>},
        {"remove", "SECTION KEY [--check] [--diff]",
         "take out the line of KEY in SECTION (the first match); every other byte stays", removeCommand, 2, 2,
         writeUsageError<2>},
        {"remove-section", "SECTION [--check] [--diff]",
         "take out every block of SECTION, header to next header; every other byte stays", removeSectionCommand, 1, 2,
         writeUsageError<1>},
        {"find", "TEXT [--case] [--whole] [--fields=section,key,value]",
         "print the ID of each record Find Next reaches, in order (exit 1 when none)", find, 1, 3, findUsageError},
        {"batch",
         "--set S K V | --delete S K | --add-section S | --add-key S K V | --delete-section S | --remove S K | "
         "--remove-section S ... [--check] [--diff]",
         "run the operations in order with one load; all or nothing", runBatch, 0, kManyOptions, batchUsageError},
        {"lint", "[--json]",
         "report lines the editor reads otherwise than meant, as FILE:LINE: message (exit 1 when "
         "any)",
         lintCommand, 0, 1, lintUsageError},
        {"history", "", "list the kept versions of FILE: number, time, command that replaced it, size", listVersions,
         0},
        {"diff", "N", "print a unified diff of version N against the file", diffVersion, 1, 0, versionUsageError},
        {"restore", "N [--check] [--diff]", "write version N back (the file as it is becomes a version first)",
         restoreVersion, 1, 2, versionUsageError},
    };
    return commands;
}

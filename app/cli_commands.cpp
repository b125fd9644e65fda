#include "cli_commands.h"

#include "add_entry.h"
#include "app_error.h"
#include "batch_edit.h"
#include "cli_history.h"
#include "ini_store.h"
#include "json_line.h"
#include "node_collection.h"
#include "record_search.h"
#include "text_helpers.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <cstdio>

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

int get(IniStore &store, const QStringList &args)
{
    writeOut(store.value(args[0], args[1]).toUtf8() + '\n');
    return 0;
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

QString batchUsageError(const QStringList &args)
{
    QString error;
    parseBatch(args, error);
    return error;
}

int runBatch(IniStore &store, const QStringList &args)
{
    QString error;
    const QList<BatchOperation> operations = parseBatch(args, error);
    if (!error.isEmpty())
        throw AppError(ErrorKind::InvalidArgument, error);
    runBatchEdit(store, operations);
    return 0;
}

} // namespace

const QList<CliCommand> &cliCommands()
{
    static const QList<CliCommand> commands = {
        {"dump", "", "print every record as one JSON object per line", dump, 0},
        {"get", "SECTION KEY", "print the value of KEY in SECTION", get, 2},
        {"set", "SECTION KEY VALUE", "set the value of KEY in SECTION", set, 3},
        {"delete", "SECTION KEY", "delete KEY from SECTION (KEY \"\" deletes the section's header record)", deleteKey,
         2},
        {"add-section", "SECTION", "append a header for SECTION at the end of the file", addSection, 1},
        {"add-key", "SECTION KEY VALUE", "add KEY with VALUE to SECTION, as the add dialog does", addKey, 3},
        {"delete-section", "SECTION", "delete SECTION and the keys the editor shows under it", deleteSection, 1},
        {"find", "TEXT [--case] [--whole] [--fields=section,key,value]",
         "print the ID of each record Find Next reaches, in order (exit 1 when none)", find, 1, 3, findUsageError},
        {"batch", "--set S K V | --delete S K | --add-section S | --add-key S K V | --delete-section S ...",
         "run the operations in order with one load; all or nothing", runBatch, 0, kManyOptions, batchUsageError},
        {"history", "", "list the kept versions of FILE: number, time, command that replaced it, size", listVersions,
         0},
        {"diff", "N", "print a unified diff of version N against the file", diffVersion, 1, 0, versionUsageError},
        {"restore", "N", "write version N back (the file as it is becomes a version first)", restoreVersion, 1, 0,
         versionUsageError},
    };
    return commands;
}

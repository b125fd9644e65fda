#include "fuzz_session.h"

#include "add_entry.h"
#include "app_error.h"
#include "ini_store.h"
#include "node_collection.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <QFile>

namespace {

constexpr QFile::Permissions kWritable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;

// [operation kind][written, read-only, refused]
qint64 g_outcomes[8][3] = {};

} // namespace

FuzzSession::FuzzSession(const QString &folder, const QByteArray &bytes, bool readOnly)
    : m_folder(folder), m_path(folder + QStringLiteral("/app.ini")), m_backup(folder + QStringLiteral("/app.old")),
      m_text(model::decode(bytes)), m_readOnly(readOnly)
{
    for (const QByteArray &name : folderEntries(folder)) {
        const QString path = folder + QLatin1Char('/') + QFile::decodeName(name);
        QFile::setPermissions(path, kWritable);
        QFile::remove(path);
    }
    plantLookAlikes(folder);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("fuzz_store: cannot write %s", qPrintable(m_path));
    file.close();
    if (readOnly)
        QFile::setPermissions(m_path, kReadOnly);

    m_log = QStringLiteral("file: \"%1\"%2\n").arg(escapedBytes(bytes), readOnly ? " (read-only)" : "");
    m_store = std::make_unique<IniStore>(m_ui);
    m_store->setFileName(m_path);
    try {
        m_store->load();
    } catch (const AppError &e) {
        fail(QStringLiteral("the file does not load: ") + e.description());
    }
    m_memory = model::records(m_text);
    check(Operation{Operation::Reload, {}, {}, {}, {}},
          Expected{Outcome::Written, m_text, m_memory, true, true, false, bytes}, 0, bytes, std::nullopt, 0);
}

FuzzSession::~FuzzSession() = default;

QList<model::Record> FuzzSession::known() const
{
    return model::records(m_text) + m_memory;
}

std::optional<QByteArray> FuzzSession::writable(const model::Text &text) const
{
    const std::optional<QByteArray> bytes = model::encode(text);
    if (!bytes || model::decode(*bytes).lines != text.lines)
        return std::nullopt;
    return bytes;
}

FuzzSession::Expected FuzzSession::refused(QList<model::Record> memory, bool synced) const
{
    return Expected{Outcome::Refused, m_text, std::move(memory), synced, m_followed, false, QByteArray()};
}

// Whether a name or value can be stored in the file's encoding (a UTF-16
// file's text is checked as UTF-8): the store refuses the others before it
// makes a record or writes a line.
bool FuzzSession::storable(const QString &text) const
{
    model::Text one;
    one.encoding =
        m_text.encoding == model::Encoding::Windows1252 ? model::Encoding::Windows1252 : model::Encoding::Utf8;
    one.lines.append({text, QString()});
    return model::encode(one).has_value();
}

FuzzSession::Expected FuzzSession::expectSet(QList<model::Record> memory, const QString &section, const QString &key,
                                             const QString &value) const
{
    if (model::refusedText(section, key, value))
        return refused(memory, m_synced);
    const qsizetype at = model::findRecord(memory, section, key);
    if (m_readOnly) {
        // The file stays; memory takes the value all the same.
        Expected e = refused(memory, m_synced);
        e.outcome = Outcome::ReadOnly;
        if (at >= 0) {
            e.synced = m_synced && e.memory[at].value == value;
            e.memory[at].value = value;
        }
        return e;
    }
    model::Text text = m_text;
    model::setValue(text, section, key, value);
    const std::optional<QByteArray> bytes = writable(text);
    if (!bytes)
        return refused(memory, m_synced);
    Expected e{Outcome::Written, model::decode(*bytes), memory, m_synced, m_followed, false, *bytes};
    if (!m_followed) {
        // Written into a file the records did not hold: they are read again.
        e.memory = model::records(e.text);
        e.synced = true;
        e.followed = true;
        return e;
    }
    // The record that takes the value is the one the written line reads
    // back as, unless it is a section's header record (key "").
    if (at >= 0) {
        e.memory[at].value = value;
        e.synced = m_synced && !memory[at].header;
    } else {
        e.synced = false;
        e.followed = false;
    }
    return e;
}

// The file is rebuilt from the records `left` after the deletion; values are
// handed on (`after`) only once it is written.
FuzzSession::Expected FuzzSession::expectRewrite(const QList<model::Record> &left,
                                                 const QList<model::Record> &after) const
{
    const QList<model::Record> base = m_followed ? m_memory : model::records(m_text);
    const bool baseSynced = m_followed ? m_synced : true;
    Expected no = refused(base, baseSynced);
    no.followed = true;
    if (m_readOnly)
        return no;
    const std::optional<model::Text> text = model::rebuild(m_text, left);
    const std::optional<QByteArray> bytes = text ? writable(*text) : std::nullopt;
    if (!bytes)
        return no;
    return Expected{Outcome::Written, model::decode(*bytes), after, false, true, true, *bytes};
}

FuzzSession::Expected FuzzSession::expected(const Operation &op) const
{
    switch (op.kind) {
    case Operation::Set:
        return expectSet(m_memory, op.section, op.key, op.value);
    case Operation::Delete: {
        // A rewrite first reads the file again when the records may not hold it.
        QList<model::Record> left = m_followed ? m_memory : model::records(m_text);
        if (const qsizetype at = model::findRecord(left, op.section, op.key); at >= 0)
            left.remove(at);
        QList<model::Record> after = left;
        model::copyDuplicateValues(after);
        return expectRewrite(left, after);
    }
    case Operation::AddSection: {
        const QString name = model::trimSpaces(op.section);
        if (name.isEmpty() || model::refusedText(name, QString(), QString()) || !storable(name))
            return refused(m_memory, m_synced);
        // The record is made first and stays when the line is not written.
        QList<model::Record> memory = m_memory;
        memory.append({name, QString(), QString(), true});
        if (m_readOnly)
            return refused(memory, false);
        model::Text text = m_text;
        model::appendLine(text, QLatin1Char('[') + name + QLatin1Char(']'));
        const std::optional<QByteArray> bytes = writable(text);
        if (!bytes)
            return refused(memory, false);
        return Expected{Outcome::Written, model::decode(*bytes), memory, m_synced, m_followed, false, *bytes};
    }
    case Operation::AddKey: {
        const QString key = model::trimSpaces(op.key);
        if (key.isEmpty() || model::refusedText(op.section, key, op.value) || !storable(op.section) || !storable(key)
            || !storable(op.value))
            return refused(m_memory, m_synced);
        QList<model::Record> memory = m_memory;
        memory.append({op.section, key, QString(), false});
        Expected e = expectSet(memory, op.section, key, op.value);
        if (m_followed || e.outcome != Outcome::Written)
            e.synced = false;
        return e;
    }
    case Operation::DeleteSection: {
        if (!model::sectionDeletionKeys(m_memory, op.section))
            return refused(m_memory, m_synced);
        // The section as the tree of the records shows it, read again first
        // when they may not hold the file.
        const QList<model::Record> base = m_followed ? m_memory : model::records(m_text);
        const std::optional<QStringList> shown = model::sectionDeletionKeys(base, op.section);
        if (!shown) {
            // Gone from the file as it is now: read again, nothing written.
            return Expected{Outcome::Written, m_text, base, true, true, false, QByteArray()};
        }
        const QStringList &keys = *shown;
        // In memory, as deleteKey for each key in turn, each rewrite handing
        // values on; the one rewrite writes what is left.
        QList<model::Record> left = base;
        QList<model::Record> after = base;
        for (const QString &key : keys) {
            if (const qsizetype at = model::findRecord(left, op.section, key); at >= 0) {
                left.remove(at);
                after.remove(at);
            }
            model::copyDuplicateValues(after);
        }
        return expectRewrite(left, after);
    }
    case Operation::Reload:
        return Expected{Outcome::Written, m_text, model::records(m_text), true, true, false, QByteArray()};
    case Operation::ToggleReadOnly:
        return Expected{Outcome::Written, m_text, m_memory, m_synced, m_followed, false, QByteArray()};
    case Operation::Batch:
        // Checked against the same writes one by one (runBatch).
        break;
    }
    return refused(m_memory, m_synced);
}

std::optional<int> runCommand(IniStore &store, const Operation &op, QString &error)
{
    try {
        switch (op.kind) {
        case Operation::Set:
            return store.setValue(op.section, op.key, op.value) == WriteResult::ReadOnly ? 1 : 0;
        case Operation::Delete:
            store.deleteKey(op.section, op.key);
            return 0;
        case Operation::AddSection: {
            // As larkspur-cli add-section: a blank name and a line that
            // cannot be appended are refused.
            IniRecord *const record = addSectionRecord(store, op.section);
            if (!record || !writeSectionRecord(store, *record))
                return std::nullopt;
            return 0;
        }
        case Operation::AddKey: {
            IniRecord *const record = addKeyRecord(store, op.section, op.key, op.value);
            if (!record)
                return std::nullopt;
            return writeKeyRecord(store, *record, op.value) == WriteResult::ReadOnly ? 1 : 0;
        }
        case Operation::DeleteSection: {
            // As larkspur-cli delete-section, on the tree the window builds.
            NodeCollection nodes;
            fillTree(nodes, *store.records());
            if (sectionNodeIndex(nodes, op.section) == 0)
                return std::nullopt;
            store.deleteKeys(op.section, sectionDeletionKeys(nodes, op.section),
                             [&op](const RecordList &records) { return sectionDeletionKeysOf(records, op.section); });
            return 0;
        }
        case Operation::Reload:
        case Operation::ToggleReadOnly:
        case Operation::Batch:
            break;
        }
    } catch (const AppError &e) {
        error = e.description();
    }
    return std::nullopt;
}

std::optional<int> FuzzSession::perform(const Operation &op)
{
    IniStore &store = *m_store;
    switch (op.kind) {
    case Operation::DeleteSection: {
        NodeCollection nodes;
        fillTree(nodes, *store.records());
        if (sectionNodeIndex(nodes, op.section) == 0)
            return std::nullopt;
        const QStringList keys = sectionDeletionKeys(nodes, op.section);
        const std::optional<QStringList> modelKeys = model::sectionDeletionKeys(m_memory, op.section);
        if (!modelKeys || keys != *modelKeys)
            fail(QStringLiteral("the tree hands other keys to Delete > Section"),
                 modelKeys ? escaped(modelKeys->join(QLatin1Char('|'))) : QStringLiteral("(no node)"),
                 escaped(keys.join(QLatin1Char('|'))));
        break;
    }
    case Operation::Reload:
        try {
            store.load();
        } catch (const AppError &e) {
            m_lastError = e.description();
            return std::nullopt;
        }
        return 0;
    case Operation::ToggleReadOnly:
        m_readOnly = !m_readOnly;
        QFile::setPermissions(m_path, m_readOnly ? kReadOnly : kWritable);
        return 0;
    default:
        break;
    }
    return runCommand(store, op, m_lastError);
}

void FuzzSession::run(const Operation &op)
{
    m_log += QStringLiteral("%1. %2\n").arg(++m_count).arg(op.describe());
    if (op.kind == Operation::Batch) {
        ++g_outcomes[op.kind][int(runBatch(op))];
        return;
    }
    // Worked out before the store runs: the model reads the read-only flag
    // as it was.
    Expected e = expected(op);
    const QByteArray before = readFile(m_path);
    if (e.outcome == Outcome::Written && !e.rewrite && e.bytes.isNull())
        e.bytes = before;
    const std::optional<QByteArray> backupBefore = readIfExists(m_backup);
    const qsizetype messagesBefore = m_ui.messages.size();
    m_lastError.clear();
    const std::optional<int> returned = perform(op);
    check(op, e, returned, before, backupBefore, messagesBefore);
    ++g_outcomes[op.kind][int(e.outcome)];
    m_text = e.text;
    m_memory = e.memory;
    m_synced = e.synced;
    m_followed = e.followed;
}

QString fuzzStatistics()
{
    static const char *const names[] = {"set",    "delete",           "add-section", "add-key", "delete-section",
                                        "reload", "read-only switch", "batch"};
    QString out;
    for (int kind = 0; kind < 8; ++kind)
        out += QStringLiteral("%1: %2 written, %3 read-only, %4 refused\n")
                   .arg(QLatin1String(names[kind]))
                   .arg(g_outcomes[kind][0])
                   .arg(g_outcomes[kind][1])
                   .arg(g_outcomes[kind][2]);
    return out;
}

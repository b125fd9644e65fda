#include "app_error.h"
#include "batch_edit.h"
#include "fuzz_session.h"
#include "ini_store.h"

#include <QDir>
#include <QFile>

namespace {

BatchOperation batchOperation(const Operation &step)
{
    switch (step.kind) {
    case Operation::Set:
        return {"set", {step.section, step.key, step.value}, step.describe()};
    case Operation::Delete:
        return {"delete", {step.section, step.key}, step.describe()};
    case Operation::AddSection:
        return {"add-section", {step.section}, step.describe()};
    case Operation::AddKey:
        return {"add-key", {step.section, step.key, step.value}, step.describe()};
    default:
        return {"delete-section", {step.section}, step.describe()};
    }
}

void writeCopy(const QString &path, const std::optional<QByteArray> &bytes, QFile::Permissions permissions)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(path);
    if (!bytes)
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
        qFatal("fuzz_store: cannot write %s", qPrintable(path));
    file.close();
    QFile::setPermissions(path, permissions);
}

} // namespace

// A batch promises what its operations run one after the other as
// larkspur-cli's commands leave, file and backup, or nothing written at all when one of them is
// refused. The commands run on a copy of the file and its backup in a
// folder of their own, each on a store that has just loaded the file.
FuzzSession::Outcome FuzzSession::runBatch(const Operation &op)
{
    const QByteArray before = readFile(m_path);
    const std::optional<QByteArray> backupBefore = readIfExists(m_backup);

    const QString folder = m_folder + QStringLiteral(".one-by-one");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/app.ini");
    const QString backup = folder + QStringLiteral("/app.old");
    writeCopy(path, before, QFile::permissions(m_path));
    writeCopy(backup, backupBefore, QFile::permissions(m_backup));
    bool allWritten = true;
    for (const Operation &step : op.steps) {
        const QByteArray stepBefore = readFile(path);
        const std::optional<QByteArray> backupStepBefore = readIfExists(backup);
        QuietInteraction ui;
        IniStore store(ui);
        store.setFileName(path);
        QString error;
        try {
            store.load();
        } catch (const AppError &e) {
            fail(QStringLiteral("a copy of the file does not load: ") + e.description());
        }
        if (runCommand(store, step, error) != 0) {
            allWritten = false;
            break;
        }
        // As larkspur-cli runs it, a command that leaves the file's bytes as
        // they were writes nothing, the backup included.
        if (readFile(path) == stepBefore && readIfExists(backup) != backupStepBefore)
            writeCopy(backup, backupStepBefore, QFile::permissions(backup));
    }

    QList<BatchOperation> operations;
    for (const Operation &step : op.steps)
        operations.append(batchOperation(step));
    bool done = true;
    try {
        runBatchEdit(*m_store, operations);
    } catch (const AppError &e) {
        m_lastError = e.description();
        done = false;
    }

    // A read-only file refuses the whole batch, even one that would change nothing.
    const bool expectDone = allWritten && !m_readOnly;
    if (done != expectDone)
        fail(expectDone ? QStringLiteral("a batch of commands that each work was refused: ") + m_lastError
                        : QStringLiteral("a batch went through although one of its commands is refused"));
    const QByteArray after = readFile(m_path);
    const std::optional<QByteArray> backupAfter = readIfExists(m_backup);
    const QByteArray expected = done ? readFile(path) : before;
    const std::optional<QByteArray> backupExpected = done ? readIfExists(backup) : backupBefore;
    if (after != expected)
        fail(done ? QStringLiteral("the batch left another file than its commands one by one")
                  : QStringLiteral("a refused batch changed the file"),
             escapedBytes(expected), escapedBytes(after));
    if (backupAfter != backupExpected)
        fail(done ? QStringLiteral("the batch left another backup than its commands one by one")
                  : QStringLiteral("a refused batch changed the backup"),
             backupExpected ? escapedBytes(*backupExpected) : QStringLiteral("(none)"),
             backupAfter ? escapedBytes(*backupAfter) : QStringLiteral("(none)"));
    checkFolder();

    // The command's process ends here; the session goes on with the file as
    // a new store loads it.
    try {
        m_store->load();
    } catch (const AppError &e) {
        fail(QStringLiteral("the file does not load after the batch: ") + e.description());
    }
    m_text = model::decode(after);
    m_memory = model::records(m_text);
    m_synced = true;
    m_followed = true;
    return done ? Outcome::Written : Outcome::Refused;
}

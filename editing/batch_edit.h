#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

class IniStore;

// Several edits as one write (larkspur-cli batch FILE --set S K V --delete S K
// --add-section S --add-key S K V --delete-section S --remove S K
// --remove-section S ...). Under the file's
// lock, held throughout, the operations run in order on the file's bytes in
// memory, each as its own command would run on the file (one that needs
// records reads them from those bytes), and leave exactly what those
// commands run one after the other leave, backup included. The file then
// becomes one version in the history and is replaced once. When an
// operation is refused or fails, nothing at all is written and the error
// names the operation. A read-only file refuses the whole batch before
// anything runs.

struct BatchOperation {
    // The command it runs: "set", "delete", "add-section", "add-key",
    // "delete-section", "remove", "remove-section".
    QByteArray command;
    QStringList args;
    // As the person wrote it, for messages.
    QString text;
};

// The operations of a batch's command line, or what is wrong with it in
// `error` (an empty list of operations is wrong too). Words of `flagNames`
// standing where an operation could start are options of the whole batch,
// not operations: they go to `flags` (when given), in order.
QList<BatchOperation> parseBatch(const QStringList &args, QString &error, const QStringList &flagNames = {},
                                 QStringList *flags = nullptr);

// The file as the operations leave it, not yet written.
struct BatchResult {
    QByteArray original;
    QByteArray bytes;
    // What the backup holds after the operations, when one of them rewrote
    // the file from its records.
    std::optional<QByteArray> backup;

    // An operation that leaves the file's bytes as they were leaves its
    // backup alone too, so this is false exactly when nothing is to be written.
    bool changesFiles() const { return backup || bytes != original; }
};

// Runs `operations` on `original`, the bytes of the store's file read under
// its lock, and returns what they leave. Throws an AppError naming the
// first operation that is refused or fails; nothing is written either way.
BatchResult applyBatch(IniStore &store, const QByteArray &original, const QList<BatchOperation> &operations);

// One operation as its own command: what it leaves, its own error thrown
// (not named as a batch's operation); none when it was refused after
// saying why through the store's interaction.
std::optional<BatchResult> applyOperation(IniStore &store, const QByteArray &original, const BatchOperation &operation);

// Writes what applyBatch or applyOperation worked out, under the file's
// lock (the caller holds it from the read on), keeping the file as it was
// as a version named `command` first: the backup, when an operation
// rewrote the file, then the file.
void writeBatchResult(IniStore &store, const BatchResult &result, const QString &command);

// The whole batch: refuses a read-only file, takes the lock, reads, applies
// and writes once (nothing when the operations change nothing).
void runBatchEdit(IniStore &store, const QList<BatchOperation> &operations);

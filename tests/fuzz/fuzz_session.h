#pragma once

#include "fuzz_input.h"
#include "ini_model.h"
#include "interaction.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class IniStore;

// Stands in for nobody at the screen: keeps every message, opens no file.
class QuietInteraction : public Interaction {
public:
    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon, const QString &) override
    {
        messages.append(text);
        return buttons == MessageButtons::YesNo ? Answer::No : Answer::Ok;
    }
    QString openFileDialog(const OpenFileRequest &) override { return QString(); }

    QStringList messages;
};

// One file loaded into a store, the operations run on both the store and
// the model, and every documented promise checked after each of them. A
// broken promise prints what happened and ends the process (__builtin_trap).
class FuzzSession {
public:
    // `folder` is empty apart from what the last session left there.
    FuzzSession(const QString &folder, const QByteArray &bytes, bool readOnly);
    ~FuzzSession();
    FuzzSession(const FuzzSession &) = delete;
    FuzzSession &operator=(const FuzzSession &) = delete;

    void run(const Operation &op);
    // Names for the next operation: the records of the file and of the store.
    QList<model::Record> known() const;

private:
    enum class Outcome { Written, ReadOnly, Refused };
    // What the documentation says an operation leaves.
    struct Expected {
        Outcome outcome = Outcome::Refused;
        model::Text text;
        QList<model::Record> memory;
        bool synced = false;
        // The store knows its records hold the file as it is (else its next
        // rewrite, or a set, reads the file again first).
        bool followed = true;
        bool rewrite = false;
        // The file's bytes after a write; null for one that leaves the file
        // as it was (a reload, or nothing left to delete).
        QByteArray bytes;
    };

    Expected refused(QList<model::Record> memory, bool synced) const;
    bool storable(const QString &text) const;
    Expected expectSet(QList<model::Record> memory, const QString &section, const QString &key,
                       const QString &value) const;
    Expected expectRewrite(const QList<model::Record> &left, const QList<model::Record> &after) const;
    Expected expected(const Operation &op) const;
    // Runs a batch on the store beside the same operations run one by one,
    // each on a fresh store, on a copy of the file; returns how it ended.
    Outcome runBatch(const Operation &op);
    // Runs `op` on the store: what it returned (0 written, 1 read-only), or
    // nothing when it was refused with an AppError.
    std::optional<int> perform(const Operation &op);
    // Whether the model's text may be written: every character storable,
    // and the bytes read back as these very lines.
    std::optional<QByteArray> writable(const model::Text &text) const;

    void check(const Operation &op, const Expected &expected, std::optional<int> returned, const QByteArray &before,
               const std::optional<QByteArray> &backupBefore, qsizetype messagesBefore);
    void checkReadBack(const Operation &op, const Expected &expected, const IniStore &fresh);
    void checkFolder();
    [[noreturn]] void fail(const QString &what, const QString &expected = QString(), const QString &actual = QString());

    QString m_folder;
    QString m_path;
    QString m_backup;
    QuietInteraction m_ui;
    std::unique_ptr<IniStore> m_store;
    model::Text m_text;
    QList<model::Record> m_memory;
    bool m_synced = true;
    bool m_followed = true;
    bool m_readOnly = false;
    QuietInteraction m_freshUi;
    std::unique_ptr<IniStore> m_fresh;
    QByteArray m_freshBytes;
    QString m_log;
    int m_count = 0;
    QString m_lastError;
};

// Runs one write as larkspur-cli runs it on a store that has loaded its
// file: what it returned (0 written, 1 read-only), or nothing when it was
// refused (with the AppError's text in `error`).
std::optional<int> runCommand(IniStore &store, const Operation &op, QString &error);

// How many operations of each kind ended in each way so far, one line per
// kind, so that a run shows which paths its inputs reached.
QString fuzzStatistics();

// The names in a folder, "." and ".." left out.
QList<QByteArray> folderEntries(const QString &folder);
QByteArray readFile(const QString &path);
// Puts files beside app.ini in `folder` that look like a writer's temporary
// files but are not (checkFolder holds every write to leaving them), and
// one left behind by a killed writer.
void plantLookAlikes(const QString &folder);
std::optional<QByteArray> readIfExists(const QString &path);

// Called before the process ends on a broken promise, so that a driver can
// say how to replay the input.
extern void (*g_fuzzFailureHook)();

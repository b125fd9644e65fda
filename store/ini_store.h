#pragma once

#include "file_stamp.h"
#include "record_list.h"

#include <QString>

#include <functional>
#include <memory>

class FileHistory;
class Interaction;
class ProfileBuilder;
class UndoJournal;

// What a value set did: wrote the file, or found it read-only (and said so).
enum class WriteResult { Written, ReadOnly };

// The configuration store: one file, held in memory as the ordered list of
// its records. It is the only component that reads or writes that file, and
// every change goes to disk at once. It tells the person what goes wrong
// (and asks for a file) through the interaction it is given, which must
// outlive it. Given a version history by its owner, it keeps the file's
// contents there before each of its writes (a store without one keeps none).
class IniStore {
public:
    explicit IniStore(Interaction &ui, std::shared_ptr<FileHistory> history = nullptr);

    // The interaction the store talks through; the steps that write for it
    // (a new section's line) report through the same one.
    Interaction &ui() const { return m_ui; }
    // The version history the store keeps; nullptr when it keeps none.
    const std::shared_ptr<FileHistory> &history() const { return m_history; }

    QString fileName() const { return m_fileName; }
    // Accepts `value` when it names an existing file; otherwise asks for one
    // with the open-file dialog until the user picks one or cancels. Failures
    // end in a message box; nothing is thrown.
    void setFileName(const QString &value);

    // The list itself, not a copy. A load replaces it with a new list.
    const std::shared_ptr<RecordList> &records() const { return m_records; }

    // The value of the first record of Section and key (letter case ignored), or "".
    QString value(const QString &section, const QString &key) const;
    // ReadOnly when the file is read-only (after saying so). `command` names
    // the write in the version history; by default "set [Section] key".
    WriteResult setValue(const QString &section, const QString &key, const QString &value,
                         const QString &command = QString());
    // Removes the first record of Section and Key and rewrites the file from
    // the records; when the rewrite fails the record is put back.
    void deleteKey(const QString &section, const QString &key);
    // What calling deleteKey(Section, key) for each of `Keys` in turn leaves,
    // in memory and on disk, with the file rewritten once and the backup
    // holding the file as it was before. When the rewrite fails, the file
    // and the records stay as they were. When the file had changed on disk
    // and was read again first, the keys are `keysAfterReload` of the new
    // records (when given), so that a command worked out on the old records
    // means the same on the new ones.
    using KeysOf = std::function<QStringList(const RecordList &)>;
    void deleteKeys(const QString &section, const QStringList &keys, const KeysOf &keysAfterReload = {});
    // The records the last deleteKey or deleteKeys took out of the list; none
    // when its rewrite failed, which leaves every record where it was.
    const QList<IniRecord *> &lastRemoved() const { return m_lastRemoved; }
    // `command` names the write in the version history ("delete key [Net] proxy").
    void rewriteFile(const QString &name, const QString &command = QString());
    // Reads FileName into a new list; throws AppError (LoadFailed) on failure.
    bool load();
    // Reads `fileBytes`, the file's own bytes held in memory (a batch's
    // text), into a new list, as load() would read them from the file; the
    // records then count as not holding the file on disk. Throws AppError.
    void loadBytes(QByteArray fileBytes);
    // Takes out of the list what deleteKeys(section, keys) takes, without
    // writing anything; returns the records taken.
    QList<IniRecord *> removeKeyRecords(const QString &section, const QStringList &keys);
    // The file's own bytes, in `format`, that a rewrite from the records
    // writes (see rewriteFile), made in memory; nothing is written. Throws
    // AppError, naming the file, when the records cannot be written exactly.
    QByteArray rebuiltBytes(const TextFormat &format) const;

    // Every write starts from the file as it is now: a rewrite from the
    // records first reads the file again when somebody else changed it since
    // the records were read (or last written by this store), and applies its
    // command to those fresh records, so that no line another program wrote
    // is lost. Each read, by load() or by such a command, counts here: a
    // holder of records knows from a new count that they were replaced.
    quint64 loadCount() const { return m_loadCount; }
    // True when the file on disk is no longer the one the records hold.
    bool fileChanged() const;
    // Reads the file again when it changed (under its lock); true when it
    // did. When it cannot be read the records stay as they were.
    bool reloadIfChanged();
    // Reads the file again, changed or not, keeping the records as they were
    // when it cannot be read.
    void reload();
    // Runs `write`, a write of this program that brings the file in line
    // with the records (a new section's line), under the file's lock, so
    // that the records count as holding the file it leaves. Returns what
    // `write` returns. `command` names it in the version history.
    bool writeFollowing(const std::function<bool()> &write, const QString &command);
    // Writes version `number` of the file back from the version history, in
    // one step under the file's lock, the contents it replaces becoming a
    // version first (so that a restore can be undone too), and reads the
    // file again. Throws AppError when there is no history, no such version,
    // or the file is read-only or cannot be written.
    void restoreVersion(qint64 number);

    // The journal that keeps this store's writes (each set, add, rewrite and
    // restore) for undo and redo; nullptr, the default, keeps none. Its
    // owner hands it in, clears it when another file is opened, and keeps it
    // alive as long as the store.
    void setUndoJournal(UndoJournal *journal) { m_journal = journal; }
    UndoJournal *undoJournal() const { return m_journal; }
    // Puts the file back as it was before the journal's newest write
    // (undo), or as the newest undone write left it (redo), in one write
    // under the file's lock like a restore: the contents it replaces become
    // a version first, and the file is read again. When another program
    // changed the file since (it is not what that step left), the person is
    // asked first, with the file unlocked; No leaves everything as it is.
    // False when there was nothing to do or the person said No. Throws
    // AppError, the journal as it was, when the file is read-only or cannot
    // be written.
    bool undoWrite();
    bool redoWrite();

    // Refuses (AppError InvalidArgument, nothing changed) texts the file's encoding
    // cannot hold, before any record or line is made for them.
    void requireEncodable(const QStringList &texts) const;

    // 1-based position of the first record of Section and Key, 0 when none.
    qsizetype findRecord(const QString &section, const QString &key) const;

    // Names `name` and reads it, without asking for another file when it is
    // gone: false (nothing changed) when it names no file, AppError when it
    // cannot be read. Opening another file that failed to load goes back to
    // the file that was open this way.
    bool reopen(const QString &name);

    // Drops every record (the file is not touched).
    void clearRecords();
    // Drops every record and the file name: the store holds no file, as
    // before its first one, so that nothing is written to a file it could
    // not read.
    void closeFile();

private:
    void setCurrentEntry(IniRecord *entry) { m_currentEntry = entry; }
    void readFile();
    // Makes the records of `fileBytes`, read from the file or held in memory.
    void readBytes(QByteArray fileBytes);
    // Reads the file again when it changed since the records were made;
    // true when it did. The caller holds the file's lock.
    bool reloadIfChangedLocked();
    void reloadLocked();
    // After a write of our own under the file's lock: when the records held
    // the file as it was (`before`), they now hold it as written.
    void followOwnWrite(const FileStamp &before);
    // Refuses (AppError, nothing written) a write to a file whose encoding is
    // read but never written (see TextFormat::exact), before a version of it
    // is kept.
    void requireWritableEncoding() const;
    // Keeps the file as it is now in the version history, before a write of
    // `command`; the caller holds the file's lock. Never throws.
    void keepVersion(const QString &command) const;
    // Around each write to the file, the caller holding its lock: a version
    // kept first, and the bytes before and after for the undo journal.
    void beginWrite(const QString &command);
    void endWrite();
    // Refuses (AppError, nothing written) a whole-file write to a read-only file.
    void requireWritableFile() const;
    // undoWrite (`undo`) or redoWrite.
    bool stepJournal(bool undo);
    // The file that writing every record with a non-blank key into an empty
    // file leaves; collects the (first, later) records whose values the
    // writes copy in memory.
    ProfileBuilder rebuildFromRecords(const TextFormat &format,
                                      QList<std::pair<IniRecord *, IniRecord *>> &valueCopies) const;

    Interaction &m_ui;
    std::shared_ptr<FileHistory> m_history;
    UndoJournal *m_journal = nullptr;
    QString m_fileName;
    std::shared_ptr<RecordList> m_records;
    IniRecord *m_currentEntry = nullptr;
    QList<IniRecord *> m_lastRemoved;
    // The version of the file the records hold; invalid when unknown.
    FileStamp m_stamp;
    quint64 m_loadCount = 0;
};

// The open-file dialog for a configuration file, as the store's file-name
// check and File > Open show it; "" when the person cancelled.
QString chooseIniFile(Interaction &ui);

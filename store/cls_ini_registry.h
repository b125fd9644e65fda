#pragma once

#include "cls_ini_list.h"

#include <QString>

#include <memory>

class Interaction;

// The configuration store: one file, held in memory as the ordered list of
// its records. It is the only component that reads or writes that file, and
// every change goes to disk at once. It tells the person what goes wrong
// (and asks for a file) through the interaction it is given, which must
// outlive it.
class clsINIRegistry {
public:
    explicit clsINIRegistry(Interaction &ui);

    // The interaction the store talks through; the steps that write for it
    // (a new section's line) report through the same one.
    Interaction &ui() const { return m_ui; }

    QString FileName() const { return m_fileName; }
    // Accepts `value` when it names an existing file; otherwise asks for one
    // with the open-file dialog until the user picks one or cancels. Failures
    // end in a message box; nothing is thrown.
    void setFileName(const QString &value);

    // The list itself, not a copy. A load replaces it with a new list.
    const std::shared_ptr<clsINIList> &Registry() const { return m_registry; }

    // The value of the first record of Section and Key (letter case ignored), or "".
    QString GetRegValue(const QString &Section, const QString &Key) const;
    // Returns 1 when the file is read-only (after saying so), else 0.
    qint16 SetRegValue(const QString &Section, const QString &Key, const QString &Value);
    // Removes the first record of Section and Key and rewrites the file from
    // the records; when the rewrite fails the record is put back.
    void DeleteKey(const QString &Section, const QString &Key);
    // What calling DeleteKey(Section, key) for each of `Keys` in turn leaves,
    // in memory and on disk, with the file rewritten once and the backup
    // holding the file as it was before. When the rewrite fails, the file
    // and the records stay as they were.
    void DeleteKeys(const QString &Section, const QStringList &Keys);
    // The records the last DeleteKey or DeleteKeys took out of the list; none
    // when its rewrite failed, which leaves every record where it was.
    const QList<clsINIPtr> &LastRemoved() const { return m_lastRemoved; }
    void CreateINIFile(const QString &Name);
    // Reads FileName into a new list; throws AppError 0x800403E8 on failure.
    bool LoadINI();

    // 1-based position of the first record of Section and Key, 0 when none.
    qsizetype FindRecord(const QString &Section, const QString &Key) const;

    // Drops every record (the file is not touched).
    void ClearRegistry();
    // Drops every record and the file name: the store holds no file, as
    // before its first one, so that nothing is written to a file it could
    // not read.
    void CloseFile();

private:
    void setCurrentEntry(clsINIPtr entry) { m_currentEntry = entry; }
    void readFile();
    // The file that writing every record with a non-blank key into an empty
    // file leaves; collects the (first, later) records whose values the
    // writes copy in memory.
    QByteArray rebuildFromRecords(const TextFormat &format, QList<std::pair<clsINI *, clsINI *>> &valueCopies) const;

    Interaction &m_ui;
    QString m_fileName;
    std::shared_ptr<clsINIList> m_registry;
    clsINIPtr m_currentEntry = nullptr;
    QList<clsINIPtr> m_lastRemoved;
};

// The open-file dialog for a configuration file, as the store's file-name
// check and File > Open show it; "" when the person cancelled.
QString ChooseINIFile(Interaction &ui);

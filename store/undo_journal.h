#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The writes a store made to its file for one owner (the window), each kept
// as the file's bytes just before and just after it, so that they can be
// undone and redone step by step. The store fills it under the file's lock
// (see IniStore::setUndoJournal) and walks it back and forth
// (IniStore::undoWrite, redoWrite); a new write drops what was undone.
//
// Bytes, not version numbers of the history: the history may keep no
// versions, fail to keep one, drop old ones, or skip one that equals the
// newest, and an undo must still know exactly what to write back. A step's
// bytes before share their memory with the step before's bytes after when
// nothing else changed the file in between. The newest steps are kept, at
// most kMaxSteps within kMaxBytes (the newest one whatever its size).
class UndoJournal {
public:
    struct Step {
        // What the write did, as the version history names it ("set [Net] host").
        QString command;
        QByteArray before;
        QByteArray after;
    };

    static constexpr qsizetype kMaxSteps = 100;
    static constexpr qint64 kMaxBytes = qint64(256) << 20;

    // The file the steps belong to; "" when there are none.
    QString path() const { return m_path; }
    bool canUndo() const { return !m_done.isEmpty(); }
    bool canRedo() const { return !m_undone.isEmpty(); }
    // The step an undo takes back, and the one a redo makes again; only
    // while canUndo(), canRedo().
    const Step &nextUndo() const { return m_done.constLast(); }
    const Step &nextRedo() const { return m_undone.constLast(); }
    // Forgets every step: another file is open.
    void clear();

    // A write of `command` to `path` begins; the caller holds the file's
    // lock. A path other than the steps' own starts the journal afresh.
    void beginWrite(const QString &path, const QString &command);
    // The write begun last is on disk, the lock still held: it becomes the
    // newest step, unless it left the bytes as they were.
    void endWrite();
    // The newest step was written back (undone), or the newest undone step
    // written again (redone).
    void stepUndone();
    void stepRedone();

    // Told after every change of canUndo() or canRedo().
    void setChangedNotice(std::function<void()> notice) { m_changed = std::move(notice); }

private:
    void changed();
    qint64 bytesHeld() const;

    QString m_path;
    QList<Step> m_done;
    QList<Step> m_undone;
    std::optional<Step> m_pending;
    std::function<void()> m_changed;
};

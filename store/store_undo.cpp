// The store's side of undo and redo: every write noted in the undo journal,
// and a noted write taken back or made again.
#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "ini_store.h"
#include "interaction.h"
#include "undo_journal.h"

#include <QFileInfo>

void IniStore::beginWrite(const QString &command)
{
    keepVersion(command);
    // Even for a write that will be refused: the journal then forgets the
    // step it had begun, which no end of a write may take for this one.
    if (m_journal && !m_fileName.isEmpty())
        m_journal->beginWrite(m_fileName, command);
}

void IniStore::endWrite()
{
    if (m_journal)
        m_journal->endWrite();
}

bool IniStore::undoWrite()
{
    return stepJournal(true);
}

bool IniStore::redoWrite()
{
    return stepJournal(false);
}

bool IniStore::stepJournal(bool undo)
{
    if (!m_journal || m_fileName.isEmpty() || m_journal->path() != m_fileName
        || !(undo ? m_journal->canUndo() : m_journal->canRedo()))
        return false;
    const UndoJournal::Step step = undo ? m_journal->nextUndo() : m_journal->nextRedo();
    const QByteArray &target = undo ? step.before : step.after;
    // What may be overwritten without asking: what the step left (or, for
    // a redo, what its undo left), then whatever the person agreed to lose.
    QByteArray overwritable = undo ? step.after : step.before;
    for (;;) {
        {
            const FileLock lock(m_fileName);
            requireWritableFile();
            const QByteArray current = readWholeFile(m_fileName);
            if (current == overwritable || current == target) {
                keepVersion((undo ? QStringLiteral("undo ") : QStringLiteral("redo ")) + step.command);
                replaceFileContents(m_fileName, target);
                if (undo)
                    m_journal->stepUndone();
                else
                    m_journal->stepRedone();
                reloadLocked();
                return true;
            }
            overwritable = current;
        }
        // Asked with the file unlocked, so that no other program's write
        // waits for the person; what they agreed to lose is checked again
        // under the lock.
        const QString name = QFileInfo(m_fileName).fileName();
        if (!m_ui.ask(name + QStringLiteral(" was changed by another program since your last edit. ")
                          + (undo ? QStringLiteral("Undo") : QStringLiteral("Redo"))
                          + QStringLiteral(" anyway and lose that change?"),
                      MessageIcon::Warning))
            return false;
    }
}

#include "undo_journal.h"

#include "app_error.h"
#include "file_access.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcUndo, "larkspur.store.undo")
} // namespace

void UndoJournal::clear()
{
    const bool had = canUndo() || canRedo();
    m_path.clear();
    m_done.clear();
    m_undone.clear();
    m_pending.reset();
    if (had)
        changed();
}

void UndoJournal::beginWrite(const QString &path, const QString &command)
{
    m_pending.reset();
    if (path != m_path) {
        clear();
        m_path = path;
    }
    try {
        Step step{command, readWholeFile(path), {}};
        if (canUndo() && step.before == m_done.constLast().after)
            step.before = m_done.constLast().after;
        m_pending = std::move(step);
    } catch (const AppError &error) {
        // The write goes on; it only cannot be undone.
        qCWarning(lcUndo) << "no undo step for" << command << ":" << error.description();
    }
}

void UndoJournal::endWrite()
{
    if (!m_pending)
        return;
    Step step = std::move(*m_pending);
    m_pending.reset();
    try {
        step.after = readWholeFile(m_path);
    } catch (const AppError &error) {
        qCWarning(lcUndo) << "no undo step for" << step.command << ":" << error.description();
        return;
    }
    if (step.after == step.before)
        return;
    m_done.append(std::move(step));
    m_undone.clear();
    while (m_done.size() > 1 && (m_done.size() > kMaxSteps || bytesHeld() > kMaxBytes))
        m_done.removeFirst();
    changed();
}

void UndoJournal::stepUndone()
{
    m_undone.append(m_done.takeLast());
    changed();
}

void UndoJournal::stepRedone()
{
    m_done.append(m_undone.takeLast());
    changed();
}

void UndoJournal::changed()
{
    if (m_changed)
        m_changed();
}

qint64 UndoJournal::bytesHeld() const
{
    // Shared bytes are counted once: a step's before is usually the step
    // before's after.
    qint64 total = 0;
    const QByteArray *previousAfter = nullptr;
    for (const Step &step : m_done) {
        if (!previousAfter || !step.before.isSharedWith(*previousAfter))
            total += step.before.size();
        total += step.after.size();
        previousAfter = &step.after;
    }
    return total;
}

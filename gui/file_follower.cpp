#include "file_follower.h"

#include "app_error.h"
#include "gui_log.h"
#include "ini_store.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// Changes come in bursts (a write, then a rename, then the folder's entry):
// one look after the burst.
constexpr int kSettleMs = 100;
// While the person is busy (an edit, a dialog), the next look.
constexpr int kRetryMs = 250;
} // namespace

FileFollower::FileFollower(std::function<IniStore *()> store, std::function<bool()> busyWithPerson,
                           std::function<void()> reloaded, QObject *parent)
    : QObject(parent), m_store(std::move(store)), m_busyWithPerson(std::move(busyWithPerson)),
      m_reloaded(std::move(reloaded))
{}

void FileFollower::watchOpenFile()
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        m_followTimer = new QTimer(this);
        m_followTimer->setSingleShot(true);
        connect(m_followTimer, &QTimer::timeout, this, &FileFollower::followFile);
        const auto touched = [this] { m_followTimer->start(kSettleMs); };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, touched);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, touched);
    }
    const IniStore *store = m_store();
    const QString file = store ? store->fileName() : QString();
    // A write that replaces the file makes a new file under the old name:
    // the watch on the old one ends, and the folder tells of the new one.
    QStringList wanted;
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        wanted << info.absoluteFilePath() << info.absolutePath();
    }
    QStringList stale = m_watcher->files() + m_watcher->directories();
    for (const QString &path : std::as_const(wanted))
        stale.removeAll(path);
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    for (const QString &path : std::as_const(wanted))
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path) && QFileInfo::exists(path)
            && !m_watcher->addPath(path))
            qCWarning(lcGui) << "changes of" << path << "are not followed";
}

void FileFollower::followFile()
{
    watchOpenFile();
    IniStore *store = m_store();
    if (!store || store->fileName().isEmpty())
        return;
    if (m_busyWithPerson()) {
        m_followTimer->start(kRetryMs);
        return;
    }
    try {
        if (!store->reloadIfChanged())
            return;
    } catch (const AppError &error) {
        // Half-way through another program's write, or gone: the tree keeps
        // showing what was read last, and the next change is looked at again.
        qCWarning(lcGui) << "the changed file was not read again:" << error.description();
        return;
    }
    m_reloaded();
}

#pragma once

#include <QObject>

#include <functional>

class IniStore;
class QFileSystemWatcher;
class QTimer;

// Follows the window's open file on disk: it watches the file and its folder
// and, once a burst of changes has settled, has the store read the file
// again when it changed. It waits while the person is busy (an edit, a
// drag, a dialog), and tells its owner when the store holds new records.
class FileFollower : public QObject {
    Q_OBJECT
public:
    // `store` names the store to follow (nullptr when there is none),
    // `busyWithPerson` says whether a look must wait, and `reloaded` is told
    // after the store read the changed file.
    FileFollower(std::function<IniStore *()> store, std::function<bool()> busyWithPerson,
                 std::function<void()> reloaded, QObject *parent);

    // Watches the store's file as it is named now (nothing when it names none).
    void watchOpenFile();

private:
    void followFile();

    std::function<IniStore *()> m_store;
    std::function<bool()> m_busyWithPerson;
    std::function<void()> m_reloaded;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_followTimer = nullptr;
};

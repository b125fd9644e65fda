#pragma once

#include "history_settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// One kept version of a configuration file: its contents as they were just
// before a write of this program replaced them.
struct FileVersion {
    // Counts up from 1 for each file and is never given twice, so that a
    // number keeps naming the same version while newer ones are added.
    qint64 number = 0;
    // When the write that replaced it began.
    QDateTime time;
    // What that write did, e.g. "delete key [Net] proxy".
    QString command;
    qint64 size = 0;
};

// The version history: before every write the store makes to a
// configuration file it keeps the file's contents here, so that a rewrite
// that drops comments, or any other change, can be undone later. It lies
// under the state folder (see HistorySettings), one folder per file named
// after the file's canonical path; the folders are 0700 and the versions
// 0600, since configuration files hold passwords. Each file keeps its newest
// versions within the limits of the settings, the oldest going first.
//
// The caller of keep() holds the file's lock (FileLock) for it and the write
// that follows, so that the version is exactly what that write replaces and
// no two programs keep versions of one file at once.
class FileHistory {
public:
    explicit FileHistory(HistorySettings settings);
    // The history the environment describes (HistorySettings::fromEnvironment).
    static std::shared_ptr<FileHistory> fromEnvironment();

    const HistorySettings &settings() const { return m_settings; }

    // Keeps what `path` holds now as its newest version, replaced by
    // `command`, and drops the oldest versions beyond the limits. Nothing is
    // kept for a missing file, for contents equal to the newest version, or
    // when the settings keep no versions. A history that cannot be written
    // (a full disk, a state folder that is not one) never stops the write it
    // comes before: the failure is logged, told once through the failure
    // notice, and false returned.
    bool keep(const QString &path, const QString &command);

    // The versions kept of `path`, oldest first (none when there are none).
    // Throws AppError when the history cannot be read.
    QList<FileVersion> versions(const QString &path) const;
    // The bytes of version `number` of `path`. Throws AppError when there
    // is no such version, or it is damaged (not the size it was kept with).
    QByteArray contents(const QString &path, qint64 number) const;

    // Called with a message for the person the first time a version cannot
    // be kept, and only then, however many more fail.
    void setFailureNotice(std::function<void(const QString &)> notice) { m_notice = std::move(notice); }

private:
    void keepVersion(const QString &path, const QString &command);

    HistorySettings m_settings;
    std::function<void(const QString &)> m_notice;
    bool m_noticed = false;
};

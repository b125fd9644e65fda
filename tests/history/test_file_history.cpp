#include "app_error.h"
#include "file_history.h"
#include "test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// The version history on disk: private modes, the caps, no version for
// contents the newest one holds, no symbolic link followed, and a history
// that cannot be written failing alone (the caller's write goes on).
class TestFileHistory : public QObject {
    Q_OBJECT

    static HistorySettings settings(const QString &stateHome, qint64 versions = 50, qint64 bytes = qint64(64) << 20)
    {
        HistorySettings s;
        s.stateHome = stateHome;
        s.maxVersions = versions;
        s.maxBytes = bytes;
        return s;
    }
    static mode_t modeOf(const QString &path)
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
    }
    static QList<qint64> numbers(const FileHistory &history, const QString &file)
    {
        QList<qint64> out;
        for (const FileVersion &version : history.versions(file))
            out.append(version.number);
        return out;
    }
    // The one folder of a file's versions below the state folder.
    static QString fileFolder(const QString &stateHome)
    {
        const QDir root(stateHome + QStringLiteral("/larkspur/history"));
        const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        return folders.size() == 1 ? root.filePath(folders[0]) : QString();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static void ignoreNotKept() { QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was kept"))); }

private Q_SLOTS:
    void versionsAreReadableByTheirOwnerOnly()
    {
        TestStateHome state;
        TestFolder dir;
        const mode_t umask = ::umask(0);
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        const QString file = dir.write(QStringLiteral("app.ini"), "[Db]\r\npassword=secret\r\n");
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
        // A history folder somebody left open to all is made private.
        QVERIFY(QDir().mkpath(state.path() + QStringLiteral("/larkspur/history")));
        QVERIFY(::chmod(QFile::encodeName(state.path() + QStringLiteral("/larkspur/history")).constData(), 0755) == 0);

        FileHistory history(HistorySettings::fromEnvironment());
        QVERIFY(history.keep(file, QStringLiteral("set [Db] password")));
        write(file, "[Db]\r\npassword=other\r\n");
        QVERIFY(history.keep(file, QStringLiteral("set [Db] password")));
        QCOMPARE(numbers(history, file), (QList<qint64>{1, 2}));
        const QStringList entries = state.entries();
        QCOMPARE(entries.size(), 3 + 1 + 4);
        for (const QString &entry : entries) {
            const mode_t mode = modeOf(state.path() + QLatin1Char('/') + entry);
            QVERIFY2(S_ISDIR(mode) ? (mode & 07777) == 0700 : S_ISREG(mode) && (mode & 07777) == 0600,
                     qPrintable(entry + QStringLiteral(" %1").arg(mode & 07777, 0, 8)));
        }
        QCOMPARE(modeOf(file) & 07777, mode_t(0666));
    }

    // Versions and folders chmod-ed open by hand are made private again the
    // next time the history lists or reads them.
    void widenedModesAreNarrowedAgain()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("app.ini"), "[Db]\r\npassword=secret\r\n");
        FileHistory history(settings(state.path()));
        QVERIFY(history.keep(file, QStringLiteral("set [Db] password")));
        const QString folder = fileFolder(state.path());
        QVERIFY(!folder.isEmpty());
        const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(names.size() >= 2);
        const auto widen = [&] {
            for (const QString &name : names)
                QVERIFY(::chmod(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), 0644) == 0);
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        };
        const auto checkPrivate = [&] {
            QCOMPARE(modeOf(folder) & 07777, mode_t(0700));
            for (const QString &name : names)
                QCOMPARE(modeOf(folder + QLatin1Char('/') + name) & 07777, mode_t(0600));
        };
        widen();
        QCOMPARE(numbers(history, file), QList<qint64>{1});
        checkPrivate();
        widen();
        QCOMPARE(history.contents(file, 1), QByteArray("[Db]\r\npassword=secret\r\n"));
        checkPrivate();
    }

    void identicalContentsMakeNoVersion()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "a=1\r\n");
        const QString link = dir.path(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(file, link));
        FileHistory history(settings(state.path()));
        const QDateTime start = QDateTime::currentDateTimeUtc().addMSecs(-1);
        QVERIFY(history.keep(file, QStringLiteral("first")));
        QVERIFY(history.keep(link, QStringLiteral("same through a link")));
        QCOMPARE(numbers(history, file), QList<qint64>{1});
        write(file, "a=2\r\n");
        QVERIFY(history.keep(link, QStringLiteral("second")));
        QVERIFY(history.keep(file, QStringLiteral("same again")));
        // Only the newest version counts: older contents come back as new.
        write(file, "a=1\r\n");
        QVERIFY(history.keep(file, QStringLiteral("third")));
        const QList<FileVersion> versions = history.versions(link);
        QCOMPARE(versions.size(), 3);
        const QStringList commands{"first", "second", "third"};
        const QList<QByteArray> contents{"a=1\r\n", "a=2\r\n", "a=1\r\n"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(versions[i].number, i + 1);
            QCOMPARE(versions[i].command, commands[i]);
            QCOMPARE(versions[i].size, 5);
            QVERIFY(versions[i].time >= start && versions[i].time <= QDateTime::currentDateTimeUtc());
            QCOMPARE(history.contents(file, i + 1), contents[i]);
        }
        QVERIFY_THROWS_EXCEPTION(AppError, history.contents(file, 4));
    }

    // Random caps and contents of random sizes: after each keep, the versions
    // left are the newest ones that fit, as a plain walk over them finds.
    void theOldestGoFirstBeyondTheCaps()
    {
        QRandomGenerator random(4242);
        for (int round = 0; round < 12; ++round) {
            TestStateHome state;
            TestFolder dir;
            const qint64 maxVersions = 1 + random.bounded(6);
            const qint64 maxBytes = 50 + random.bounded(400);
            FileHistory history(settings(state.path(), maxVersions, maxBytes));
            const QString file = dir.path(QStringLiteral("a.ini"));
            QList<QByteArray> kept;
            for (int i = 0; i < 15; ++i) {
                const QByteArray bytes = QByteArray::number(i) + QByteArray(random.bounded(160), 'x');
                write(file, bytes);
                QVERIFY(history.keep(file, QStringLiteral("write %1").arg(i)));
                kept.append(bytes);
                QList<qint64> expected;
                qint64 total = 0;
                for (qsizetype n = kept.size(); n >= 1; --n) {
                    total += kept[n - 1].size();
                    if (!expected.isEmpty() && (expected.size() >= maxVersions || total > maxBytes))
                        break;
                    expected.prepend(n);
                }
                QCOMPARE(numbers(history, file), expected);
                for (qint64 n : std::as_const(expected))
                    QCOMPARE(history.contents(file, n), kept[n - 1]);
            }
            QCOMPARE(QDir(fileFolder(state.path())).entryList(QDir::Files | QDir::Hidden).size(),
                     1 + 2 * numbers(history, file).size());
        }
    }

    void theCapsComeFromTheEnvironment()
    {
        TestStateHome state;
        const auto unset = qScopeGuard([] {
            qunsetenv("LARKSPUR_HISTORY_MAX_VERSIONS");
            qunsetenv("LARKSPUR_HISTORY_MAX_BYTES");
        });
        qputenv("LARKSPUR_HISTORY_MAX_VERSIONS", "3");
        qputenv("LARKSPUR_HISTORY_MAX_BYTES", "2k");
        HistorySettings s = HistorySettings::fromEnvironment();
        QCOMPARE(s.stateHome, state.path());
        QCOMPARE(s.maxVersions, 3);
        QCOMPARE(s.maxBytes, 2048);
        qputenv("LARKSPUR_HISTORY_MAX_VERSIONS", "many");
        qputenv("LARKSPUR_HISTORY_MAX_BYTES", "12M");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("LARKSPUR_HISTORY_MAX_VERSIONS")));
        s = HistorySettings::fromEnvironment();
        QCOMPARE(s.maxVersions, 50);
        QCOMPARE(s.maxBytes, qint64(12) << 20);
        QCOMPARE(parseByteCount(QStringLiteral("1G")), qint64(1) << 30);
        QCOMPARE(parseByteCount(QStringLiteral("64")), 64);
        for (const char *bad : {"", "K", "-1", "1.5M", "1KM", "99999999999999999999"})
            QCOMPARE(parseByteCount(QString::fromLatin1(bad)), -1);

        // No versions: nothing is written at all.
        qputenv("LARKSPUR_HISTORY_MAX_VERSIONS", "0");
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "a=1\r\n");
        FileHistory off(HistorySettings::fromEnvironment());
        QVERIFY(off.keep(file, QStringLiteral("set [] a")));
        QCOMPARE(state.entries(), QStringList());

        // A relative XDG_STATE_HOME is passed over for the home's.
        qputenv("XDG_STATE_HOME", "relative/state");
        QCOMPARE(HistorySettings::fromEnvironment().stateHome, QDir::homePath() + QStringLiteral("/.local/state"));
    }

    void aSymbolicLinkInTheHistoryIsNeverFollowed()
    {
        TestStateHome state;
        TestFolder dir;
        TestFolder outside;
        const QString file = dir.write(QStringLiteral("a.ini"), "a=1\r\n");
        FileHistory history(settings(state.path()));
        QVERIFY(history.keep(file, QStringLiteral("first")));
        const QString folder = fileFolder(state.path());
        QVERIFY(!folder.isEmpty());

        // A version pointed at another file: neither given back nor listed.
        const QString secret = outside.write(QStringLiteral("secret"), "a=1\r\n");
        QVERIFY(QFile::remove(folder + QStringLiteral("/000001.data")));
        QVERIFY(QFile::link(secret, folder + QStringLiteral("/000001.data")));
        QVERIFY_THROWS_EXCEPTION(AppError, history.contents(file, 1));
        QCOMPARE(numbers(history, file), QList<qint64>());

        // The file's folder, or the program's, pointed elsewhere: nothing
        // is written there, and the failure is the history's alone.
        for (const QString &linked : {folder, state.path() + QStringLiteral("/larkspur")}) {
            QVERIFY(QDir(linked).removeRecursively());
            QVERIFY(QFile::link(outside.path(QString()), linked));
            write(file, "a=" + QFile::encodeName(linked) + "\r\n");
            ignoreNotKept();
            QVERIFY(!history.keep(file, QStringLiteral("next")));
            QCOMPARE(QDir(outside.path(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList{"secret"});
            QVERIFY_THROWS_EXCEPTION(AppError, history.versions(file));
            QVERIFY(QFile::remove(linked));
        }
        QCOMPARE(TestFolder::read(secret), QByteArray("a=1\r\n"));
    }

    void aHistoryThatCannotBeWrittenSaysSoOnce()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "a=1\r\n");
        // A regular file where the program's state folder should be.
        write(state.path() + QStringLiteral("/larkspur"), "not a folder");
        FileHistory history(settings(state.path()));
        QStringList notices;
        history.setFailureNotice([&](const QString &text) { notices.append(text); });
        for (int i = 0; i < 3; ++i) {
            write(file, "a=" + QByteArray::number(i) + "\r\n");
            ignoreNotKept();
            QVERIFY(!history.keep(file, QStringLiteral("set [] a")));
        }
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices[0].contains(file) && notices[0].contains(QStringLiteral("written all the same")),
                 qPrintable(notices[0]));
        QCOMPARE(TestFolder::read(state.path() + QStringLiteral("/larkspur")), QByteArray("not a folder"));
    }

    void aFullDiskLeavesNoHalfVersion()
    {
        TestFolder dir;
        TestFolder disk;
        const QByteArray mountPoint = QFile::encodeName(disk.path(QString()));
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small disk needs root");
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        const QString file = dir.write(QStringLiteral("a.ini"), QByteArray(200 * 1024, 'x'));
        FileHistory history(settings(disk.path(QString())));
        ignoreNotKept();
        QVERIFY(!history.keep(file, QStringLiteral("set [] x")));
        const QString folder = fileFolder(disk.path(QString()));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"path"});
        // Room again: the next version is kept whole.
        write(file, "a=1\r\n");
        QVERIFY(history.keep(file, QStringLiteral("set [] a")));
        QCOMPARE(history.contents(file, 1), QByteArray("a=1\r\n"));
    }

    void aDamagedVersionIsNotGivenBack()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        FileHistory history(settings(state.path()));
        QVERIFY(history.keep(file, QStringLiteral("set [A] k")));
        QVERIFY(::truncate(QFile::encodeName(fileFolder(state.path()) + QStringLiteral("/000001.data")).constData(), 3)
                == 0);
        try {
            history.contents(file, 1);
            QFAIL("a damaged version must not be given back");
        } catch (const AppError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("damaged")), qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileHistory)
#include "test_file_history.moc"

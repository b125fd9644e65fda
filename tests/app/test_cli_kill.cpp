#include "cli_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

// larkspur-cli killed (SIGKILL) at random moments while it writes a large
// file, in a folder it may write to (the file is replaced by a new one) and
// in one it may not (the file is rewritten in place). Whatever the moment,
// the file is the old or the new version, or else the old contents survive
// whole in the backup or in the copy kept in the writer's data folder; the
// lock dies with the writer; the next write leaves no leftovers.
// A third of the kills fall anywhere in the run, a third within the write,
// timed from its first change to a folder involved, and a third within the
// writing of the file's own contents: those take a few milliseconds of a
// run that takes hundreds.
// LARKSPUR_KILL_TRIALS sets the number of kills per command and folder
// (one, while the file's own contents are written, unless it is set).
class TestCliKill : public QObject {
    Q_OBJECT

    static constexpr int kLines = 100000;

    // New names, changed contents and removed names in the folders watched.
    class Changes {
    public:
        explicit Changes(const QStringList &folders) : m_fd(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
        {
            for (const QString &folder : folders)
                if (::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                        IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_DELETE)
                    < 0)
                    qFatal("cannot watch %s", qPrintable(folder));
        }
        ~Changes() { ::close(m_fd); }
        Changes(const Changes &) = delete;
        Changes &operator=(const Changes &) = delete;
        // What the changes since the last look were: any at all, and
        // whether the file's own new contents were being written (into the
        // file, or into its temporary file beside it).
        struct Seen {
            bool any = false;
            bool file = false;
        };
        Seen take()
        {
            Seen seen;
            alignas(inotify_event) char buffer[8192];
            ssize_t n = 0;
            while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
                for (const char *p = buffer; p < buffer + n;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(p);
                    const QByteArray name = event->len ? QByteArray(event->name) : QByteArray();
                    seen.any = true;
                    seen.file =
                        seen.file || ((event->mask & IN_MODIFY) && (name == "a.ini" || name.startsWith(".a.ini.")));
                    p += sizeof(inotify_event) + event->len;
                }
            }
            return seen;
        }
        bool wait(int ms)
        {
            pollfd p{m_fd, POLLIN, 0};
            return ::poll(&p, 1, ms) > 0;
        }

    private:
        int m_fd;
    };

    // A configuration file as people keep them: sections of a few dozen
    // keys, comments, blank lines, CR LF.
    static QByteArray generate()
    {
        QRandomGenerator random(20261207);
        QByteArray text;
        text.reserve(kLines * 40);
        int lines = 0;
        for (int section = 0; lines < kLines; ++section) {
            text += "[Section" + QByteArray::number(section) + "]\r\n";
            ++lines;
            const int keys = random.bounded(3, 40);
            for (int key = 0; key < keys && lines < kLines; ++key, ++lines) {
                if (random.bounded(10) == 0) {
                    text += "; note " + QByteArray::number(random.generate()) + "\r\n";
                    ++lines;
                }
                text += "key" + QByteArray::number(key) + "=value " + QByteArray::number(random.generate()) + ' '
                        + QByteArray(random.bounded(40), 'x') + "\r\n";
            }
            if (lines < kLines) {
                text += "\r\n";
                ++lines;
            }
        }
        return text;
    }

    static QByteArray read(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    static QStringList hidden(const QString &folder)
    {
        return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System);
    }

    // The copies in the writer's data folder, by name.
    static QMap<QString, QByteArray> copiesIn(const QString &folder)
    {
        QMap<QString, QByteArray> copies;
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            copies.insert(name, read(folder + QLatin1Char('/') + name));
        return copies;
    }

    static int trials()
    {
        bool ok = false;
        const int n = qEnvironmentVariableIntValue("LARKSPUR_KILL_TRIALS", &ok);
        return ok && n > 0 ? n : 1;
    }

public:
    TestCliKill()
    {
        // Hundreds of kills take longer than Qt Test's five minutes a test.
        if (qEnvironmentVariableIsSet("LARKSPUR_KILL_TRIALS") && !qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
            qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("acting as other users and owning files for them needs root");
    }

    void killedWritesLeaveTheOldOrNewFile_data()
    {
        QTest::addColumn<bool>("unprivileged");
        QTest::addColumn<QStringList>("command");
        const QStringList commands[] = {{"set", "Section2", "key1", "v"},
                                        {"delete", "Section1", "key2"},
                                        {"delete-section", "Section3"},
                                        // Takes one line out, the file's other bytes as they were.
                                        {"remove", "Section1", "key2"},
                                        // A batch rewrites once, after its last operation; the backup
                                        // holds the file before its only rebuild, the delete.
                                        {"batch", "--delete", "Section1", "key2", "--set", "Section2", "key1", "v"}};
        for (const bool unprivileged : {false, true})
            for (const QStringList &command : commands)
                QTest::addRow("%s, %s", qPrintable(command[0]),
                              unprivileged ? "folder not writable" : "folder writable")
                    << unprivileged << command;
    }

    void killedWritesLeaveTheOldOrNewFile()
    {
        QFETCH(bool, unprivileged);
        QFETCH(QStringList, command);
        static const QByteArray old = generate();
        const QByteArray earlier = "; the earlier backup\r\n[A]\r\nk=1\r\n";
        const bool rewrites = command[0] != QLatin1String("set") && command[0] != QLatin1String("remove");

        // The unprivileged writer owns the file and its backup but not the
        // folder, root's 0755: it must rewrite them in place.
        const uid_t owner = unprivileged ? 65534 : 0;
        SharedFolder dir;
        const CliUser user{unprivileged, {}, dir.folder(QStringLiteral("data"), 0700, owner, owner)};
        dir.folder(QStringLiteral("data/larkspur"), 0700, owner, owner);
        const QString copies = dir.folder(QStringLiteral("data/larkspur/old-contents"), 0700, owner, owner);
        const QString conf = dir.folder(QStringLiteral("conf"), 0755);
        const QString file = dir.path(QStringLiteral("conf/a.ini"));
        const QString backup = dir.path(QStringLiteral("conf/a.old"));
        auto reset = [&] {
            // The backup may be a second name of the file (killed after linking it).
            QFile::remove(backup);
            dir.file(QStringLiteral("conf/a.ini"), old, 0644, owner, owner);
            dir.file(QStringLiteral("conf/a.old"), earlier, 0644, owner, owner);
            for (const QString &name : QDir(copies).entryList(QDir::Files | QDir::Hidden))
                QFile::remove(copies + QLatin1Char('/') + name);
        };
        Changes changes({conf, copies});
        const QStringList args = QStringList{command[0], file} + command.mid(1);

        // A run to its end: the new version, how long it takes, when its
        // write starts (its first change), when it starts on the file's own
        // contents and when it ends (its last change).
        reset();
        changes.take();
        QElapsedTimer clock;
        clock.start();
        QProcess run;
        startCli(run, user, args);
        qint64 writeStarted = -1;
        qint64 fileStarted = -1;
        qint64 writeEnded = -1;
        while (!run.waitForFinished(0)) {
            if (!changes.wait(1))
                continue;
            const Changes::Seen seen = changes.take();
            const qint64 now = clock.nsecsElapsed() / 1000;
            if (seen.any)
                writeEnded = now;
            if (seen.any && writeStarted < 0)
                writeStarted = now;
            if (seen.file && fileStarted < 0)
                fileStarted = now;
        }
        const qint64 took = clock.nsecsElapsed() / 1000;
        QVERIFY(writeStarted >= 0 && fileStarted >= 0);
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        const QByteArray fresh = read(file);
        QVERIFY(fresh != old);
        QCOMPARE(read(backup), rewrites ? old : earlier);

        QRandomGenerator random(quint32(qHash(args.join(u' '))) ^ quint32(unprivileged));
        int outcomes[3] = {0, 0, 0}; // old, new, only the copy whole
        for (int trial = 0; trial < trials(); ++trial) {
            reset();
            changes.take();
            QProcess writer;
            clock.restart();
            startCli(writer, user, args);
            QVERIFY(writer.waitForStarted(10000));
            // While the file's own contents are written, anywhere in the run, or anywhere in the write.
            const int when = (trial + 2) % 3;
            qint64 at = random.bounded(took + took / 5);
            if (when > 0) {
                while (changes.wait(60000) && !(changes.take().file || when == 1)) {}
                const qint64 span = writeEnded - (when == 1 ? writeStarted : fileStarted);
                at = clock.nsecsElapsed() / 1000 + random.bounded(span + span / 5 + 1);
            }
            const qint64 left = at - clock.nsecsElapsed() / 1000;
            if (left > 0)
                QThread::usleep(quint64(left));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));

            const QByteArray now = read(file);
            const QByteArray backupNow = read(backup);
            const QMap<QString, QByteArray> kept = copiesIn(copies);
            const bool fileMixed = now != old && now != fresh;
            const bool backupMixed = backupNow != earlier && backupNow != old;
            ++outcomes[now == old ? 0 : now == fresh ? 1 : 2];
            // Every copy is whole: the file's old contents or the earlier backup.
            for (const QByteArray &copy : kept)
                QVERIFY(copy == old || copy == earlier);
            if (fileMixed)
                QVERIFY2((rewrites && backupNow == old) || kept.values().contains(old), "the old contents are lost");
            if (rewrites) {
                QVERIFY2(!backupMixed || kept.values().contains(earlier),
                         qPrintable(QStringLiteral("the earlier backup is lost: %1 bytes, file %2 bytes, %3")
                                        .arg(backupNow.size())
                                        .arg(now.size())
                                        .arg(namesIn(conf).join(u' '))));
                // The backup is complete before the file is touched.
                if (now != old)
                    QCOMPARE(backupNow, old);
            } else {
                QCOMPARE(backupNow, earlier);
            }

            // The killed writer's lock went with it: the next write goes
            // through at once (a held lock makes it give up after seconds).
            const CliResult next = runCli(user, {QStringLiteral("set"), file, QStringLiteral("Section0"),
                                                 QStringLiteral("key0"), QStringLiteral("next %1").arg(trial)});
            QVERIFY2(next.code == 0, next.err.constData());
            QVERIFY2(hidden(conf).isEmpty(), qPrintable(hidden(conf).join(u' ')));
            QVERIFY2(hidden(copies).isEmpty(), qPrintable(hidden(copies).join(u' ')));
            QStringList needed;
            for (auto copy = kept.cbegin(); copy != kept.cend(); ++copy)
                if ((fileMixed && *copy == old) || (backupMixed && *copy == earlier))
                    needed.append(copy.key());
            QCOMPARE(copiesIn(copies).keys(), needed);
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
            QCOMPARE(st.st_nlink, nlink_t(1));
            QCOMPARE(st.st_uid, owner);
            QCOMPARE(st.st_mode & 07777, mode_t(0644));
        }
        qInfo("%s, %s: %d kills (run %lld us, write from %lld us, file from %lld us to %lld us): file old %d, "
              "new %d, only the copy whole %d",
              qPrintable(command[0]), unprivileged ? "folder not writable" : "folder writable", trials(), took,
              writeStarted, fileStarted, writeEnded, outcomes[0], outcomes[1], outcomes[2]);
    }
};

QTEST_GUILESS_MAIN(TestCliKill)
#include "test_cli_kill.moc"

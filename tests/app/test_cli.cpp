#include "cli_process.h"
#include "reference_encodings.h"
#include "test_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// larkspur-cli through its process interface: arguments in; stdout, stderr
// and the exit code out.
class TestCli : public QObject {
    Q_OBJECT

    struct Result {
        int code;
        QByteArray out;
        QByteArray err;
    };

    static Result run(const QStringList &args)
    {
        QProcess process;
        process.start(QStringLiteral(LARKSPUR_CLI_PATH), args);
        if (!process.waitForFinished(30000))
            qFatal("larkspur-cli did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

private Q_SLOTS:
    // A batch leaves what its operations, run as commands one after the
    // other, leave: file and backup. Random operations on random files.
    void aBatchEqualsItsCommandsInTurn()
    {
        QRandomGenerator random(20261207);
        const QStringList sections{"A", "B", "C"};
        const QStringList keys{"k", "j", "m"};
        for (int round = 0; round < 30; ++round) {
            QByteArray text = "; a comment\r\n";
            for (const QString &section : sections + QStringList{sections[random.bounded(3)].toLower()}) {
                if (random.bounded(4) == 0)
                    continue;
                text += "[" + section.toLatin1() + "]\r\n";
                for (const QString &key : keys + QStringList{keys[random.bounded(3)]})
                    if (random.bounded(2))
                        text += key.toLatin1() + "=v" + QByteArray::number(random.bounded(9)) + "\r\n";
            }
            QList<QStringList> operations;
            for (int n = 1 + random.bounded(5); n > 0; --n) {
                const QString section = sections[random.bounded(3)];
                const QString key = keys[random.bounded(3)];
                const QString fresh = QStringLiteral("new%1").arg(n);
                const QString value = QStringLiteral("x%1").arg(random.bounded(100));
                switch (random.bounded(7)) {
                case 0:
                    operations.append({"set", section, key, value});
                    break;
                case 1:
                    operations.append({"delete", section, key});
                    break;
                case 2:
                    operations.append({"add-section", fresh});
                    break;
                case 3:
                    operations.append({"add-key", section, fresh, value});
                    break;
                case 4:
                    operations.append({"remove", section, key});
                    break;
                case 5:
                    operations.append({"remove-section", section});
                    break;
                default:
                    operations.append({"delete-section", section});
                    break;
                }
            }
            TestFolder dir;
            const QString one = dir.write(QStringLiteral("one.ini"), text);
            const QString each = dir.write(QStringLiteral("each.ini"), text);
            QStringList batch{QStringLiteral("batch"), one};
            bool allRan = true;
            for (const QStringList &operation : operations) {
                batch << QStringLiteral("--") + operation[0] << operation.mid(1);
                allRan = run(QStringList{operation[0], each} + operation.mid(1)).code == 0 && allRan;
            }
            const Result r = run(batch);
            if (!allRan) {
                // A refused operation (a missing section to delete) leaves the file as it was.
                QCOMPARE(r.code, 1);
                QCOMPARE(TestFolder::read(one), text);
                QVERIFY(!QFileInfo::exists(dir.path(QStringLiteral("one.old"))));
                continue;
            }
            QCOMPARE(r.code, 0);
            QCOMPARE(TestFolder::read(one), TestFolder::read(each));
            QCOMPARE(QFileInfo::exists(dir.path(QStringLiteral("one.old"))),
                     QFileInfo::exists(dir.path(QStringLiteral("each.old"))));
            if (QFileInfo::exists(dir.path(QStringLiteral("one.old"))))
                QCOMPARE(TestFolder::read(dir.path(QStringLiteral("one.old"))),
                         TestFolder::read(dir.path(QStringLiteral("each.old"))));
        }
    }

    // Two programs setting different keys of one file at the same moment:
    // each must find the other's value in the file afterwards.
    void concurrentSetsLoseNoUpdate()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "; shared\r\n[A]\r\nx=0\r\ny=0\r\n");
        for (int round = 1; round <= 200; ++round) {
            const QString value = QString::number(round);
            QProcess first;
            QProcess second;
            first.start(QStringLiteral(LARKSPUR_CLI_PATH),
                        {QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), value});
            second.start(QStringLiteral(LARKSPUR_CLI_PATH),
                         {QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("y"), value});
            QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
            QCOMPARE(first.exitCode(), 0);
            QCOMPARE(second.exitCode(), 0);
            const QByteArray expected =
                "; shared\r\n[A]\r\nx=" + value.toLatin1() + "\r\ny=" + value.toLatin1() + "\r\n";
            QCOMPARE(TestFolder::read(file), expected);
        }
    }

    // A writer that keeps the file locked as lockf does (a record lock
    // through a descriptor open for writing) makes a set give up with a clear
    // error and write nothing; once it is killed, nothing stays locked.
    void aLockedFileWaitsForItsWriter()
    {
        TestFolder dir;
        const QByteArray text = "[A]\r\nx=0\r\n";
        const QString file = dir.write(QStringLiteral("a.ini"), text);
        const QByteArray name = QFile::encodeName(file);
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t holder = ::fork();
        QVERIFY(holder >= 0);
        if (holder == 0) {
            const int fd = ::open(name.constData(), O_RDWR);
            if (fd < 0 || ::lockf(fd, F_LOCK, 0) != 0 || ::write(ready[1], "l", 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char locked = 0;
        QCOMPARE(::read(ready[0], &locked, 1), ssize_t(1));
        ::close(ready[0]);

        const Result refused =
            run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")});
        ::kill(holder, SIGKILL); // the kernel drops its lock
        QCOMPARE(::waitpid(holder, nullptr, 0), holder);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("is being written by another program; nothing was written"),
                 refused.err.constData());
        QCOMPARE(TestFolder::read(file), text);
        QCOMPARE(run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")}).code,
                 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nx=1\r\n"));
    }

    // A writer that locks the file with lockf and a set wait for each other:
    // the set starts from what that writer left once it lets go, so its
    // line is not lost in a file the set replaced meanwhile.
    void aSetWaitsForARecordLockWriter()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=0\r\n");
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR);
        QVERIFY(fd >= 0);
        QCOMPARE(::lockf(fd, F_LOCK, 0), 0);
        QProcess set;
        set.start(QStringLiteral(LARKSPUR_CLI_PATH),
                  {QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")});
        QVERIFY(set.waitForStarted(10000));
        QThread::sleep(1);
        const QByteArray line = "y=2\r\n";
        QCOMPARE(::pwrite(fd, line.constData(), size_t(line.size()), ::lseek(fd, 0, SEEK_END)), ssize_t(line.size()));
        ::close(fd); // lets go of the lock
        QVERIFY(set.waitForFinished(30000));
        QCOMPARE(set.exitCode(), 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));
    }

    // Whoever can read the file may flock it, so a reader's flock holds up
    // no write.
    void aReadersFlockHoldsUpNoWrite()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=0\r\n");
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX), 0);
        const Result set =
            run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")});
        ::close(fd);
        QVERIFY2(set.code == 0, set.err.constData());
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nx=1\r\n"));
    }

    // Temporary files of a write that was killed half-way (beside the file
    // and its backup) are removed by the next write; nothing else is: not a
    // user's file of a like name, not a symbolic link, not another user's
    // file, and nothing at all during a set refused as the file is read-only.
    void theNextWriteRemovesOnlyLeftoversOfKilledWrites()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=0\r\n");
        const QStringList leftovers{".a.ini.larkspur-Ab12Cd", ".a.old.larkspur-Xy34Zw"};
        QStringList others{".a.ini.backup",          ".a.ini.orig01",         ".a.old.saved1",
                           ".a.ini.Ab12Cd",          ".a.ini.note",           ".a.ini.larkspur-Ab12Cd.keep",
                           ".b.ini.larkspur-Ab12Cd", "a.ini.larkspur-Ab12Cd", ".a.ini.larkspur-Ab12C"};
        for (const QString &name : leftovers + others)
            dir.write(name, "half a file");
        const QString linked = dir.write(QStringLiteral("linked"), "kept");
        for (const QString &name : {QStringLiteral(".a.ini.larkspur-Link12"), QStringLiteral(".a.ini.saved1")}) {
            QVERIFY(QFile::link(linked, dir.path(name)));
            others.append(name);
        }
        if (::geteuid() == 0) {
            const QString foreign = dir.write(QStringLiteral(".a.ini.larkspur-Other1"), "another user's");
            QCOMPARE(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
            others.append(QFileInfo(foreign).fileName());
        }
        auto everyNameStays = [&](const QStringList &names) {
            for (const QString &name : names)
                if (!QFileInfo(dir.path(name)).exists() && !QFileInfo(dir.path(name)).isSymLink())
                    return name;
            return QString();
        };

        TestFolder::makeReadOnly(file);
        const Result refused =
            run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")});
        QVERIFY(refused.err.contains("Read Only"));
        QCOMPARE(everyNameStays(leftovers + others), QString());

        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")}).code,
                 0);
        for (const QString &name : leftovers)
            QVERIFY2(!QFileInfo::exists(dir.path(name)), qPrintable(name));
        QCOMPARE(everyNameStays(others), QString());
        QVERIFY(QFileInfo(dir.path(QStringLiteral(".a.ini.larkspur-Link12"))).isSymLink());
        QCOMPARE(TestFolder::read(linked), QByteArray("kept"));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nx=1\r\n"));
    }

    void aFailedBatchWritesNothing()
    {
        TestFolder dir;
        const QByteArray text = "; kept\r\n[A]\r\nk=1\r\nj=2\r\n";
        const QString file = dir.write(QStringLiteral("a.ini"), text);
        const QString backup = dir.write(QStringLiteral("a.old"), "the earlier backup\r\n");
        const Result r =
            run({QStringLiteral("batch"), file, QStringLiteral("--delete"), QStringLiteral("A"), QStringLiteral("k"),
                 QStringLiteral("--set"), QStringLiteral("A"), QStringLiteral("[x"), QStringLiteral("y]")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.startsWith("larkspur-cli: operation 2 (--set A [x y]) failed"), r.err.constData());
        QCOMPARE(TestFolder::read(file), text);
        QCOMPARE(TestFolder::read(backup), QByteArray("the earlier backup\r\n"));

        // A read-only file refuses the batch before anything runs.
        TestFolder::makeReadOnly(file);
        const Result ro = run({QStringLiteral("batch"), file, QStringLiteral("--add-section"), QStringLiteral("N")});
        QCOMPARE(ro.code, 1);
        QVERIFY2(ro.err.contains("is read only"), ro.err.constData());
        QCOMPARE(TestFolder::read(file), text);
        // So does every line-removing write, and a check says it would.
        const QList<QStringList> refused = {{"remove", file, "A", "k"},
                                            {"remove-section", file, "A"},
                                            {"batch", file, "--remove", "A", "j"},
                                            {"remove", file, "A", "k", "--check"}};
        for (const QStringList &args : refused) {
            const Result r = run(args);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains("is read only"), r.err.constData());
            QCOMPARE(TestFolder::read(file), text);
            QCOMPARE(TestFolder::read(backup), QByteArray("the earlier backup\r\n"));
        }

        for (const QStringList &usage : {QStringList{}, QStringList{"--set", "A", "k"}, QStringList{"--get", "A"}}) {
            const Result bad = run(QStringList{QStringLiteral("batch"), file} + usage);
            QCOMPARE(bad.code, 2);
            QVERIFY(bad.err.contains("usage: larkspur-cli batch FILE"));
        }
    }

    // A batch whose last operation fails writes nothing at all: a set of
    // another key made while it runs is kept, and no reader ever sees the
    // file with some of the batch's operations done.
    void aFailingBatchBesideAConcurrentSetLosesNothing()
    {
        QByteArray text = "; shared\r\n[A]\r\n";
        QStringList batch{QStringLiteral("batch"), QString()};
        for (int i = 0; i < 30; ++i) {
            text += "k" + QByteArray::number(i) + "=0\r\n";
            batch << QStringLiteral("--set") << QStringLiteral("A") << QStringLiteral("k%1").arg(i)
                  << QStringLiteral("batch");
        }
        batch << QStringLiteral("--delete-section") << QStringLiteral("Nope");
        text += "[B]\r\nx=0\r\n[Pad]\r\n";
        // Enough lines that each write of the file takes a while.
        for (int i = 0; i < 40000; ++i)
            text += "p" + QByteArray::number(i) + "=padding\r\n";
        QByteArray afterSet = text;
        afterSet.replace("[B]\r\nx=0\r\n", "[B]\r\nx=1\r\n");
        for (int round = 0; round < 3; ++round) {
            TestFolder dir;
            const QString file = dir.write(QStringLiteral("a.ini"), text);
            batch[1] = file;
            QProcess batchRun;
            batchRun.start(QStringLiteral(LARKSPUR_CLI_PATH), batch);
            QVERIFY(batchRun.waitForStarted(10000));
            const QStringList setArgs{QStringLiteral("set"), file, QStringLiteral("B"), QStringLiteral("x"),
                                      QStringLiteral("1")};
            QProcess set;
            bool setStarted = false;
            QElapsedTimer clock;
            clock.start();
            while (batchRun.state() != QProcess::NotRunning) {
                const QByteArray seen = TestFolder::read(file);
                QVERIFY2(seen == text || seen == afterSet, "the file shows part of the batch");
                // The set starts once the batch is under way.
                if (!setStarted && clock.elapsed() > 150) {
                    set.start(QStringLiteral(LARKSPUR_CLI_PATH), setArgs);
                    setStarted = true;
                }
                batchRun.waitForFinished(5);
            }
            if (!setStarted)
                set.start(QStringLiteral(LARKSPUR_CLI_PATH), setArgs);
            QVERIFY(set.waitForFinished(30000));
            QCOMPARE(set.exitCode(), 0);
            QCOMPARE(batchRun.exitCode(), 1);
            const QByteArray err = batchRun.readAllStandardError();
            QVERIFY2(err.startsWith("larkspur-cli: operation 31 (--delete-section Nope) failed, so the file is left as "
                                    "it was: "),
                     err.constData());
            QVERIFY2(TestFolder::read(file) == afterSet,
                     "the concurrent set was lost or the batch left some of its work");
            QVERIFY(!QFileInfo::exists(dir.path(QStringLiteral("a.old"))));
        }
    }

    // A batch that cannot get the file's lock from another process gives up
    // without touching the file: it is still the same file (inode), unchanged.
    void aBatchRefusedByTheLockLeavesTheFileAlone()
    {
        TestFolder dir;
        const QByteArray text = "[A]\r\nx=0\r\n";
        const QString file = dir.write(QStringLiteral("a.ini"), text);
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            // Whole-file locks of both kinds a writer may take, held until killed.
            const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR);
            struct flock range {};
            range.l_type = F_WRLCK;
            range.l_whence = SEEK_SET;
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::fcntl(fd, F_SETLK, &range) != 0)
                ::_exit(1);
            if (::write(ready[1], "x", 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        QVERIFY(holder > 0);
        ::close(ready[1]);
        char byte = 0;
        const bool locked = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        const Result r = locked ? run({QStringLiteral("batch"), file, QStringLiteral("--set"), QStringLiteral("A"),
                                       QStringLiteral("x"), QStringLiteral("1")})
                                : Result{-2, {}, {}};
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(locked);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("is being written by another program; nothing was written"), r.err.constData());
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(TestFolder::read(file), text);
        QVERIFY(!QFileInfo::exists(dir.path(QStringLiteral("a.old"))));
    }

    void dumpPrintsOneJsonObjectPerRecord()
    {
        TestFolder dir;
        const QString file =
            dir.write(QStringLiteral("a.ini"), "top=1\r\n[S \"q\"]\r\nk\\=a\tb\x01\r\n;x=\xC3\xA9\r\n");
        const Result r = run({QStringLiteral("dump"), file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
                 QByteArray("{\"id\":1,\"section\":\"\",\"key\":\"top\",\"value\":\"1\"}\n"
                            "{\"id\":2,\"section\":\"S \\\"q\\\"\",\"key\":\"\",\"value\":\"\"}\n"
                            "{\"id\":3,\"section\":\"S \\\"q\\\"\",\"key\":\"k\\\\\",\"value\":\"a\\tb\\u0001\"}\n"
                            "{\"id\":4,\"section\":\"S \\\"q\\\"\",\"key\":\";x\",\"value\":\"\xC3\xA9\"}\n"));
        QVERIFY(r.err.isEmpty());

        // A Windows-1252 file comes out as UTF-8.
        const Result latin = run({QStringLiteral("dump"), dir.write(QStringLiteral("l.ini"), "k=\xE9\r\n")});
        QCOMPARE(latin.out, QByteArray("{\"id\":1,\"section\":\"\",\"key\":\"k\",\"value\":\"\xC3\xA9\"}\n"));
    }

    void getAndSet()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[Net]\r\nHost=a b\r\n");
        QCOMPARE(run({QStringLiteral("get"), file, QStringLiteral("NET"), QStringLiteral("host")}).out,
                 QByteArray("a b\n"));
        // A missing key is no empty value.
        const Result none = run({QStringLiteral("get"), file, QStringLiteral("Net"), QStringLiteral("none")});
        QCOMPARE(none.code, 1);
        QCOMPARE(none.out, QByteArray());
        QCOMPARE(none.err, QByteArray("larkspur-cli: no key none in [Net]\n"));

        const Result set =
            run({QStringLiteral("set"), file, QStringLiteral("net"), QStringLiteral("HOST"), QStringLiteral("c")});
        QCOMPARE(set.code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[Net]\r\nHost=c\r\n"));

        const Result bad = run(
            {QStringLiteral("set"), file, QStringLiteral("Net"), QStringLiteral("Host"), QStringLiteral("x\n[Evil]")});
        QCOMPARE(bad.code, 1);
        QVERIFY(bad.err.startsWith("larkspur-cli: The value holds a line break"));
        QCOMPARE(TestFolder::read(file), QByteArray("[Net]\r\nHost=c\r\n"));
    }

    // A UTF-16 file stays UTF-16, in its own byte order, through set and add-section.
    void setKeepsAUtf16FileUtf16()
    {
        TestFolder dir;
        const QString value = QString::fromUtf8("\xC4\x89\xE2\x82\xAC");
        const QString before = QString::fromUtf8("; \xC3\xBC\r\n[Net]\r\nHost=a\r\n");
        const QString after = QString::fromUtf8("; \xC3\xBC\r\n[Net]\r\nHost=") + value + QStringLiteral("\r\n");
        for (const ReferenceEncoding e : {ReferenceEncoding::Utf16LE, ReferenceEncoding::Utf16BE}) {
            const QString file = dir.write(QStringLiteral("u.ini"), *referenceFileBytes(before, e));
            const Result set = run({QStringLiteral("set"), file, QStringLiteral("NET"), QStringLiteral("host"), value});
            QCOMPARE(set.code, 0);
            QCOMPARE(TestFolder::read(file), *referenceFileBytes(after, e));
            QCOMPARE(run({QStringLiteral("get"), file, QStringLiteral("Net"), QStringLiteral("Host")}).out,
                     value.toUtf8() + "\n");
            QCOMPARE(run({QStringLiteral("add-section"), file, QStringLiteral("Neu")}).code, 0);
            QCOMPARE(TestFolder::read(file), *referenceFileBytes(after + QStringLiteral("[Neu]\r\n"), e));
        }
    }

    // UTF-32 (either mark) and UTF-16 without a mark are read as such, and
    // every write to them is refused with nothing written: no byte of the
    // file, no backup, no version.
    void aUtf32OrUnmarkedUtf16FileIsReadButNeverWritten()
    {
        const QString text = QString::fromUtf8("[Net]\r\nHost=\xC3\xBC\r\n");
        const auto encoded = [&text](QStringConverter::Encoding encoding, bool mark) {
            QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
            return QByteArray(encoder.encode(text));
        };
        const struct {
            QByteArray bytes;
            const char *message;
        } files[] = {
            {encoded(QStringConverter::Utf32LE, true), "holds UTF-32 text, which Larkspur reads but does not write"},
            {encoded(QStringConverter::Utf32BE, true), "holds UTF-32 text, which Larkspur reads but does not write"},
            {encoded(QStringConverter::Utf16LE, false), "holds UTF-16 text without a byte-order mark"},
            {encoded(QStringConverter::Utf16BE, false), "holds UTF-16 text without a byte-order mark"},
        };
        QVERIFY(files[0].bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)));
        QVERIFY(files[1].bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)));
        const QList<QStringList> writes{{"set", "Net", "Host", "x"},
                                        {"set", "New", "k", "v"},
                                        {"delete", "Net", "Host"},
                                        {"add-section", "New"},
                                        {"add-key", "Net", "k", "v"},
                                        {"delete-section", "Net"},
                                        {"batch", "--set", "Net", "Host", "x"}};
        for (const auto &[bytes, message] : files) {
            TestFolder dir;
            TestStateHome state;
            const QString file = dir.write(QStringLiteral("u.ini"), bytes);
            const Result dump = run({QStringLiteral("dump"), file});
            QCOMPARE(dump.code, 0);
            QCOMPARE(dump.out, QByteArray("{\"id\":1,\"section\":\"Net\",\"key\":\"\",\"value\":\"\"}\n"
                                          "{\"id\":2,\"section\":\"Net\",\"key\":\"Host\",\"value\":\"\xC3\xBC\"}\n"));
            for (const QStringList &write : writes) {
                const Result r = run(QStringList{write[0], file} + write.mid(1));
                QCOMPARE(r.code, 1);
                QVERIFY2(r.err.contains(message) && r.err.contains("nothing was written"), r.err.constData());
                QCOMPARE(TestFolder::read(file), bytes);
                QCOMPARE(QDir(dir.path(QString())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                         QStringList{QStringLiteral("u.ini")});
            }
            QCOMPARE(run({QStringLiteral("history"), file}).out, QByteArray());
        }
    }

    void setOnAReadOnlyFileFails()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        TestFolder::makeReadOnly(file);
        const Result r =
            run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QByteArray("larkspur-cli: Cannot save setting, file is Read Only\n"));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=1\r\n"));
    }

    void deleteRewritesWithABackup()
    {
        TestFolder dir;
        const QByteArray original = "; c\r\n[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=1\r\n";
        const QString file = dir.write(QStringLiteral("conf.ini"), original);
        QCOMPARE(run({QStringLiteral("delete"), file, QStringLiteral("a"), QStringLiteral("K")}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nj=2\r\n[B]\r\nx=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("conf.old"))), original);
        QCOMPARE(run({QStringLiteral("delete"), file, QStringLiteral("B"), QString()}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nj=2\r\n[B]\r\nx=1\r\n"));
    }

    void addSectionAndKeyAsTheAddDialogDoes()
    {
        TestFolder dir;
        // The last line has no line end: it is ended before the header goes on.
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\nk=1");
        QCOMPARE(run({QStringLiteral("add-section"), file, QStringLiteral("  New  ")}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=1\n[New]\n"));

        QCOMPARE(run({QStringLiteral("add-key"), file, QStringLiteral("New"), QStringLiteral(" key "), QString()}).code,
                 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=1\n[New]\nkey=\n"));
        // An existing key (letter case ignored) keeps one line, with the new value.
        QCOMPARE(
            run({QStringLiteral("add-key"), file, QStringLiteral("a"), QStringLiteral("K"), QStringLiteral("2")}).code,
            0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=2\n[New]\nkey=\n"));

        const Result blank = run({QStringLiteral("add-section"), file, QStringLiteral("   ")});
        QCOMPARE(blank.code, 1);
        QCOMPARE(blank.err, QByteArray("larkspur-cli: The section name is blank\n"));
        const Result broken =
            run({QStringLiteral("add-key"), file, QStringLiteral("A"), QStringLiteral("x\ny"), QStringLiteral("1")});
        QCOMPARE(broken.code, 1);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=2\n[New]\nkey=\n"));
    }

    void deleteSectionDeletesWhatTheTreeShowsUnderIt()
    {
        TestFolder dir;
        // The repeated [Net] lands under Disp in the tree, so its key stays.
        const QByteArray text =
            "[Net]\r\nhost=a\r\nNet=self\r\n[NET]\r\nport=1\r\n[Disp]\r\nw=1\r\n[Net]\r\nlate=2\r\n";
        const QString file = dir.write(QStringLiteral("a.ini"), text);
        const Result r = run({QStringLiteral("delete-section"), file, QStringLiteral("Net")});
        QCOMPARE(r.code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[NET]\r\nport=1\r\nlate=2\r\n[Disp]\r\nw=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))), text);

        const Result missing = run({QStringLiteral("delete-section"), file, QStringLiteral("net")});
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, QByteArray("larkspur-cli: Section not selected or invalid\n"));
    }

    void findListsTheHitsAsTheOptionsSay()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[Alpha]\r\nk=alpha\r\nj=Alpha beta\r\n");
        const QString text = QStringLiteral("alpha");
        QCOMPARE(run({QStringLiteral("find"), file, text}).out, QByteArray("1\n2\n3\n"));
        QCOMPARE(run({QStringLiteral("find"), file, text, QStringLiteral("--case")}).out, QByteArray("2\n"));
        QCOMPARE(run({QStringLiteral("find"), file, text, QStringLiteral("--fields=section,key")}).out,
                 QByteArray("1\n"));
        const Result whole = run({QStringLiteral("find"), file, QStringLiteral("Alpha"), QStringLiteral("--whole"),
                                  QStringLiteral("--case"), QStringLiteral("--fields=value")});
        QCOMPARE(whole.code, 0);
        QCOMPARE(whole.out, QByteArray("3\n"));
        const Result none = run({QStringLiteral("find"), file, QStringLiteral("zeta")});
        QCOMPARE(none.code, 1);
        QVERIFY(none.out.isEmpty());
        QVERIFY(none.err.isEmpty());
    }

    void usageErrorsExitWithTwoAndTheUsageLine()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        const QByteArray findUsage =
            "usage: larkspur-cli find FILE TEXT [--case] [--whole] [--fields=section,key,value]\n";

        const Result empty = run({QStringLiteral("find"), file, QStringLiteral("k"), QString()});
        QCOMPARE(empty.code, 2);
        QCOMPARE(empty.err, "larkspur-cli: Unknown option ''\n" + findUsage);
        QVERIFY(empty.out.isEmpty());
        const Result unknown = run({QStringLiteral("find"), file, QStringLiteral("k"), QStringLiteral("--all")});
        QCOMPARE(unknown.code, 2);
        QCOMPARE(unknown.err, "larkspur-cli: Unknown option '--all'\n" + findUsage);
        const Result field =
            run({QStringLiteral("find"), file, QStringLiteral("k"), QStringLiteral("--fields=key,name")});
        QCOMPARE(field.code, 2);
        QCOMPARE(field.err, "larkspur-cli: Unknown field 'name': use section, key or value\n" + findUsage);
        QVERIFY(field.out.isEmpty());
        // The command line is checked before the file: a missing one makes no difference.
        QCOMPARE(run({QStringLiteral("find"), dir.path(QStringLiteral("none.ini")), QStringLiteral("k"),
                      QStringLiteral("-x")})
                     .code,
                 2);

        const Result many =
            run({QStringLiteral("get"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("more")});
        QCOMPARE(many.code, 2);
        QCOMPARE(many.err, QByteArray("larkspur-cli: Unknown option 'more': use --default TEXT\n"
                                      "usage: larkspur-cli get FILE SECTION KEY [--default TEXT]\n"));
        const Result few = run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k")});
        QCOMPARE(few.code, 2);
        QCOMPARE(few.err, QByteArray("usage: larkspur-cli set FILE SECTION KEY VALUE [--check] [--diff]\n"));
        const Result unknownWriteOption = run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"),
                                               QStringLiteral("v"), QStringLiteral("--checkerboard-of-long-names")});
        QCOMPARE(unknownWriteOption.code, 2);
        // Cut after 20 characters (an ellipsis, as the locale spells it).
        QVERIFY(unknownWriteOption.err.startsWith("larkspur-cli: Unknown option '--checkerboard-of-lo"));
        QVERIFY(!unknownWriteOption.err.contains("long-names"));
        QVERIFY(
            unknownWriteOption.err.endsWith("': use --check or --diff\nusage: larkspur-cli set FILE SECTION KEY VALUE "
                                            "[--check] [--diff]\n"));
        const Result options =
            run({QStringLiteral("find"), file, QStringLiteral("k"), QStringLiteral("--case"), QStringLiteral("--whole"),
                 QStringLiteral("--fields=key"), QStringLiteral("--case")});
        QCOMPARE(options.code, 2);
        QCOMPARE(options.err, findUsage);

        QCOMPARE(run({}).code, 2);
        QCOMPARE(run({QStringLiteral("frobnicate"), file}).code, 2);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=1\r\n"));
        const Result help = run({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains("delete FILE SECTION KEY"));
    }

    void aFileThatCannotBeLoadedIsNamedWithTheReason()
    {
        TestFolder dir;
        auto failsWith = [](const QString &path, const QString &reason) {
            const Result r = run({QStringLiteral("dump"), path});
            QCOMPARE(r.code, 1);
            QCOMPARE(QString::fromLocal8Bit(r.err), QStringLiteral("larkspur-cli: ") + path + reason + u'\n');
            QVERIFY(r.out.isEmpty());
        };
        failsWith(dir.path(QStringLiteral("missing.ini")), QStringLiteral(": no such file"));
        failsWith(dir.path(QStringLiteral("missing/a.ini")), QStringLiteral(": no such file"));
        QVERIFY(QDir().mkpath(dir.path(QStringLiteral("conf.ini"))));
        failsWith(dir.path(QStringLiteral("conf.ini")), QStringLiteral(": is a folder"));
        // Loading a FIFO would wait for a writer that never comes.
        const QString fifo = dir.path(QStringLiteral("pipe.ini"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        failsWith(fifo, QStringLiteral(": not a regular file"));
        failsWith(QStringLiteral("/dev/null"), QStringLiteral(": not a regular file"));
        const QString socketPath = dir.path(QStringLiteral("s.ini"));
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketName = QFile::encodeName(socketPath);
        QVERIFY(size_t(socketName.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
        QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
        failsWith(socketPath, QStringLiteral(": not a regular file"));
        ::close(listener);
        failsWith(dir.write(QStringLiteral(".hidden.ini"), "[A]\r\n"),
                  QStringLiteral(": hidden file names (starting with \".\") are not opened"));

        // A name the store refuses for its own reasons gets the store's message.
        const Result wildcard = run({QStringLiteral("dump"), dir.write(QStringLiteral("a?.ini"), "[A]\r\n")});
        QCOMPARE(wildcard.code, 1);
        QCOMPARE(wildcard.err, QByteArray("larkspur-cli: Filename is missing\n"));
    }

    // A kernel file reports a size of 0 and may never end: it is read up to
    // a bound and refused beyond it, not read until memory runs out.
    void aFileThatNeverEndsIsRefused()
    {
        QProcess process;
        startCli(process, CliUser{}, {QStringLiteral("dump"), QStringLiteral("/proc/self/pagemap")});
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            QFAIL("dump of /proc/self/pagemap did not end");
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(
            err.startsWith("larkspur-cli: /proc/self/pagemap is larger than 64 MiB or never ends; nothing was read"),
            err.constData());
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }

    void aBackslashIsPartOfTheFileName()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a\\b.ini"), "[A]\r\nk=1\r\n");
        const Result r = run({QStringLiteral("dump"), file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("{\"id\":1,\"section\":\"A\",\"key\":\"\",\"value\":\"\"}\n"
                                   "{\"id\":2,\"section\":\"A\",\"key\":\"k\",\"value\":\"1\"}\n"));
        QCOMPARE(run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")}).code,
                 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"

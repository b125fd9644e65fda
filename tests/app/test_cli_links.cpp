#include "cli_process.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// What stands around a configuration file stays as it was through a write:
// its other names (hard links), its owner, group and mode, wherever the
// writer may or may not put a new file in its place.
class TestCliLinks : public QObject {
    Q_OBJECT

    static struct stat statOf(const QString &path)
    {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            qFatal("cannot stat %s", qPrintable(path));
        return st;
    }

    static QByteArray read(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    // The group the file belongs to and the writer is a member of, but not
    // in its own group.
    static constexpr gid_t kGroup = 100;

private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("acting as other users and owning files for them needs root");
    }

    // A file with a second name: both names show each write, and the
    // backup is a file of its own with the contents before the delete.
    void bothNamesOfAFileShowTheWrite()
    {
        SharedFolder dir;
        const CliUser root{false, {}, dir.folder(QStringLiteral("data"), 0700)};
        const QString first = dir.file(QStringLiteral("a.ini"), "; c\r\n[A]\r\nk=1\r\nj=2\r\n", 0644);
        const QString second = dir.path(QStringLiteral("b.ini"));
        QVERIFY(::link(QFile::encodeName(first).constData(), QFile::encodeName(second).constData()) == 0);

        QCOMPARE(runCli(root, {QStringLiteral("set"), first, QStringLiteral("A"), QStringLiteral("k"),
                               QStringLiteral("changed")})
                     .code,
                 0);
        QCOMPARE(read(second), QByteArray("; c\r\n[A]\r\nk=changed\r\nj=2\r\n"));
        QCOMPARE(read(first), read(second));

        const QByteArray before = read(second);
        QCOMPARE(runCli(root, {QStringLiteral("delete"), second, QStringLiteral("A"), QStringLiteral("j")}).code, 0);
        QCOMPARE(read(first), QByteArray("[A]\r\nk=changed\r\n"));
        QCOMPARE(read(second), read(first));
        QCOMPARE(read(dir.path(QStringLiteral("b.old"))), before);
        QCOMPARE(statOf(first).st_nlink, nlink_t(2));
        QCOMPARE(statOf(dir.path(QStringLiteral("b.old"))).st_nlink, nlink_t(1));
        QCOMPARE(namesIn(dir.path(QString())), (QStringList{"a.ini", "b.ini", "b.old", "data"}));
        // The copy of the old contents each write kept while writing is gone.
        QCOMPARE(namesIn(root.dataHome + QStringLiteral("/larkspur/old-contents")), QStringList());
    }

    // A root-owned file its group may write, written by a member of that
    // group, in a folder the member may not write to and in a sticky one
    // (where a member may add names but not replace root's).
    void aGroupMemberKeepsOwnerGroupAndMode_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::newRow("folder not writable") << 0755;
        QTest::newRow("sticky folder") << 01777;
    }

    void aGroupMemberKeepsOwnerGroupAndMode()
    {
        QFETCH(int, folderMode);
        SharedFolder dir;
        const CliUser member{true, {kGroup}, dir.folder(QStringLiteral("data"), 0700, 65534, 65534)};
        const QString conf = dir.folder(QStringLiteral("conf"), mode_t(folderMode));
        const QByteArray original = "; c\r\n[A]\r\nk=1\r\nj=2\r\n";
        const QString file = dir.file(QStringLiteral("conf/a.ini"), original, 0660, 0, kGroup);
        const QString backup = dir.file(QStringLiteral("conf/a.old"), "earlier\r\n", 0660, 0, kGroup);
        const struct stat was = statOf(file);
        const struct stat backupWas = statOf(backup);
        auto unchangedButContents = [](const struct stat &now, const struct stat &then) {
            return now.st_ino == then.st_ino && now.st_uid == 0 && now.st_gid == kGroup && (now.st_mode & 07777) == 0660
                   && now.st_nlink == 1;
        };

        const CliResult set = runCli(
            member, {QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")});
        QVERIFY2(set.code == 0, set.err.constData());
        QCOMPARE(read(file), QByteArray("; c\r\n[A]\r\nk=2\r\nj=2\r\n"));
        QVERIFY(unchangedButContents(statOf(file), was));

        const CliResult del =
            runCli(member, {QStringLiteral("delete"), file, QStringLiteral("A"), QStringLiteral("j")});
        QVERIFY2(del.code == 0, del.err.constData());
        QCOMPARE(read(file), QByteArray("[A]\r\nk=2\r\n"));
        QCOMPARE(read(backup), QByteArray("; c\r\n[A]\r\nk=2\r\nj=2\r\n"));
        QVERIFY(unchangedButContents(statOf(file), was));
        QVERIFY(unchangedButContents(statOf(backup), backupWas));
        QCOMPARE(namesIn(conf), (QStringList{"a.ini", "a.old"}));
        QCOMPARE(namesIn(member.dataHome + QStringLiteral("/larkspur/old-contents")), QStringList());

        // Where the member may add a backup, it shows the file to no one
        // the file does not show it to.
        if (folderMode & S_ISVTX) {
            QVERIFY(QFile::remove(backup));
            QCOMPARE(runCli(member, {QStringLiteral("delete"), file, QStringLiteral("A"), QStringLiteral("k")}).code,
                     0);
            QCOMPARE(read(backup), QByteArray("[A]\r\nk=2\r\n"));
            QCOMPARE(statOf(backup).st_mode & 07777, mode_t(0660));
            QCOMPARE(statOf(backup).st_uid, uid_t(65534));
        }
    }

    // Where the old contents cannot be kept (the member's data folder is a
    // regular file), a write that would have to go in place is refused and
    // touches nothing: not the file, not the earlier backup, no new names.
    void aWriteThatCannotKeepTheOldContentsTouchesNothing()
    {
        SharedFolder dir;
        const CliUser member{true, {kGroup}, dir.file(QStringLiteral("data"), "not a folder", 0644, 65534, 65534)};
        const QString conf = dir.folder(QStringLiteral("conf"), 01777);
        const QByteArray original = "; c\r\n[A]\r\nk=1\r\nj=2\r\n";
        const QString file = dir.file(QStringLiteral("conf/a.ini"), original, 0660, 0, kGroup);
        const QString backup = dir.file(QStringLiteral("conf/a.old"), "earlier\r\n", 0660, 0, kGroup);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const CliResult del =
                runCli(member, {QStringLiteral("delete"), file, QStringLiteral("A"), QStringLiteral("j")});
            QCOMPARE(del.code, 1);
            QVERIFY2(del.err.contains("larkspur/old-contents"), del.err.constData());
            const CliResult set = runCli(
                member, {QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")});
            QCOMPARE(set.code, 1);
        }
        QCOMPARE(read(file), original);
        QCOMPARE(read(backup), QByteArray("earlier\r\n"));
        QCOMPARE(namesIn(conf), (QStringList{"a.ini", "a.old"}));
    }
};

QTEST_GUILESS_MAIN(TestCliLinks)
#include "test_cli_links.moc"

#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "old_contents.h"
#include "output_buffer.h"
#include "posix_io.h"
#include "profile_writer.h"
#include "test_files.h"
#include "text_format.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

class TestFileAccess : public QObject {
    Q_OBJECT

    static ino_t inodeOf(const QString &path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
    }

    static mode_t modeOf(const QString &path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    // A POSIX ACL as the kernel stores it in system.posix_acl_access and
    // system.posix_acl_default: a version, then (tag, permissions, id)
    // entries sorted by tag. Owner rw, group r, `reader` r, mask r, others
    // nothing: what 0640 shows, and one user more.
    static QByteArray aclGrantingRead(uid_t reader)
    {
        QByteArray acl;
        auto add = [&acl](quint32 value, int size) { acl.append(reinterpret_cast<const char *>(&value), size); };
        add(2, 4);
        const quint32 entries[][3] = {{0x01, 6, quint32(-1)},
                                      {0x02, 4, reader},
                                      {0x04, 4, quint32(-1)},
                                      {0x10, 4, quint32(-1)},
                                      {0x20, 0, quint32(-1)}};
        for (const auto &entry : entries) {
            add(entry[0], 2);
            add(entry[1], 2);
            add(entry[2], 4);
        }
        return acl;
    }

    // The value of the extended attribute `name`, or a null array when the
    // file has none of that name.
    static QByteArray attributeOf(const QString &path, const char *name)
    {
        const QByteArray native = QFile::encodeName(path);
        const ssize_t size = ::getxattr(native.constData(), name, nullptr, 0);
        if (size < 0)
            return QByteArray();
        QByteArray value(qsizetype(size), Qt::Uninitialized);
        const ssize_t got = ::getxattr(native.constData(), name, value.data(), size_t(size));
        return got < 0 ? QByteArray() : value.left(got);
    }

    static void setAttribute(const QString &path, const char *name, const QByteArray &value)
    {
        if (::setxattr(QFile::encodeName(path).constData(), name, value.constData(), size_t(value.size()), 0) != 0)
            QSKIP(qPrintable(QStringLiteral("this file system keeps no %1 attributes: %2")
                                 .arg(QLatin1String(name), QString::fromLocal8Bit(std::strerror(errno)))));
    }

private Q_SLOTS:
    void readOnlyMeansNoWriteBit()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "x");
        QVERIFY(!isReadOnlyFile(file));
        TestFolder::makeReadOnly(file);
        QVERIFY(isReadOnlyFile(file));
        QVERIFY(!isReadOnlyFile(dir.path(QStringLiteral("missing.ini"))));
    }

    void replaceKeepsModeAndLeavesNoTemporaryFile()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "old contents");
        ::chmod(QFile::encodeName(file).constData(), 0640);
        replaceFileContents(file, "new");
        QCOMPARE(TestFolder::read(file), QByteArray("new"));
        QCOMPARE(modeOf(file), mode_t(0640));
        QCOMPARE(QDir(dir.path(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.ini")});
    }

    void replaceWritesThroughASymbolicLink()
    {
        TestFolder dir;
        const QString real = dir.write(QStringLiteral("real.ini"), "a");
        const QString link = dir.path(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(real, link));
        replaceFileContents(link, "b");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFolder::read(real), QByteArray("b"));
    }

    // A rewrite by a new file gives it the old file's extended attributes,
    // its ACL among them, so that who may read it stays as it was: a set
    // (one key) and a rewrite of the whole file, as delete, restore and
    // batch do.
    void aRewriteKeepsTheFilesAttributesAndAcl()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\nk=1\n");
        ::chmod(QFile::encodeName(file).constData(), 0640);
        const QByteArray acl = aclGrantingRead(65534);
        setAttribute(file, "user.origin", "kept");
        setAttribute(file, "system.posix_acl_access", acl);
        const ino_t inode = inodeOf(file);

        QVERIFY(writeProfileValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"), file));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=2\n"));
        QVERIFY2(inodeOf(file) != inode, "the set must have put a new file in place");
        QCOMPARE(attributeOf(file, "user.origin"), QByteArray("kept"));
        QCOMPARE(attributeOf(file, "system.posix_acl_access"), acl);

        replaceFileContents(file, "[A]\n");
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\n"));
        QCOMPARE(attributeOf(file, "user.origin"), QByteArray("kept"));
        QCOMPARE(attributeOf(file, "system.posix_acl_access"), acl);
        QCOMPARE(modeOf(file), mode_t(0640));
    }

    // A folder's default ACL is for files made new in it: a file without an
    // ACL that is rewritten stays without one, its mode exactly as it was,
    // and its backup shows no more than it does.
    void aFoldersDefaultAclDoesNotWidenARewrittenFile()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\nk=1\n");
        ::chmod(QFile::encodeName(file).constData(), 0640);
        setAttribute(dir.path(QString()), "system.posix_acl_default", aclGrantingRead(65534));
        QVERIFY(attributeOf(file, "system.posix_acl_access").isNull());

        QVERIFY(writeProfileValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"), file));
        replaceFileContents(file, "[A]\n");
        const QString backup = dir.path(QStringLiteral("a.ini.bak"));
        copyAsBackup(file, backup, "[A]\nk=2\n");
        for (const QString &written : {file, backup}) {
            QCOMPARE(attributeOf(written, "system.posix_acl_access"), QByteArray());
            QCOMPARE(modeOf(written), mode_t(0640));
        }
    }

    // A file with a second name is rewritten through its inode, so both
    // names show the write, and the copy of its old contents is gone after.
    // Where that copy cannot be made, nothing is written.
    void aFileWithTwoNamesIsRewrittenInPlaceAfterACopy()
    {
        const TestDataHome home;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "old contents");
        const QString other = dir.path(QStringLiteral("b.ini"));
        QCOMPARE(plannedWrite(file), FileWrite::NewFile);
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()) == 0);
        QCOMPARE(plannedWrite(other), FileWrite::InPlace);
        QVERIFY(!replaceFileContents(other, "new"));
        QCOMPARE(TestFolder::read(file), QByteArray("new"));
        QCOMPARE(TestFolder::read(other), QByteArray("new"));
        QCOMPARE(QDir(oldContentsFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());

        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.write(QStringLiteral("not-a-folder"), "x")));
        QVERIFY_THROWS_EXCEPTION(AppError, replaceFileContents(file, "newer"));
        qputenv("XDG_DATA_HOME", dataHome);
        QCOMPARE(TestFolder::read(other), QByteArray("new"));
        QCOMPARE(QDir(dir.path(QString())).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"a.ini", "b.ini", "not-a-folder"}));
    }

    // The copies' names tell which files were written: their folder is its
    // owner's alone whatever the umask, and made so again when found open.
    void theOldContentsFolderIsPrivate()
    {
        const TestDataHome home;
        TestFolder dir;
        const mode_t umask = ::umask(022);
        const QString file = QFileInfo(dir.write(QStringLiteral("a.ini"), "old")).canonicalFilePath();
        const QString first = saveOldContents(file, "old", "new");
        const mode_t made = modeOf(oldContentsFolder());
        QVERIFY(::chmod(QFile::encodeName(oldContentsFolder()).constData(), 0755) == 0);
        const QString second = saveOldContents(file, "old", "newer");
        ::umask(umask);
        QCOMPARE(made, mode_t(0700));
        QCOMPARE(modeOf(oldContentsFolder()), mode_t(0700));
        QCOMPARE(modeOf(first), mode_t(0600));
        QVERIFY(QFile::remove(first) && QFile::remove(second));
    }

    // What killed writes left in the copies folder and beside the file goes
    // with the next lock of the file, unless it is the only whole version.
    void theNextLockKeepsOnlyTheCopiesStillNeeded()
    {
        const TestDataHome home;
        TestFolder dir;
        const QString file = QFileInfo(dir.write(QStringLiteral("a.ini"), "current")).canonicalFilePath();
        const QString neverStarted = saveOldContents(file, "current", "what was to be written");
        const QString finished = saveOldContents(file, "before", "current");
        const QString interrupted = saveOldContents(file, "before", "half written");
        const QString otherFile = saveOldContents(file + QStringLiteral("x"), "current", "y");
        const QString halfSaved =
            oldContentsFolder() + QStringLiteral("/.") + QFileInfo(interrupted).fileName() + QStringLiteral(".Ab12Cd");
        QVERIFY(QFile::copy(interrupted, halfSaved));
        // A rewrite killed between linking its backup and replacing the file.
        const QString backup = dir.path(QStringLiteral("a.old"));
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(backup).constData()) == 0);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("kept in.*") + QFileInfo(interrupted).fileName()));
        {
            const FileLock lock(file);
        }
        QVERIFY(!QFileInfo::exists(neverStarted));
        QVERIFY(!QFileInfo::exists(finished));
        QVERIFY(!QFileInfo::exists(halfSaved));
        QCOMPARE(TestFolder::read(interrupted), QByteArray("before"));
        QCOMPARE(TestFolder::read(otherFile), QByteArray("current"));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(backup).constData(), &st), 0);
        QCOMPARE(st.st_nlink, nlink_t(1));
        QCOMPARE(TestFolder::read(backup), QByteArray("current"));
        QCOMPARE(TestFolder::read(file), QByteArray("current"));
    }

    // The temporary file of a write to a file of its own whose name is this
    // file's backup name is no leftover while its writer holds it locked.
    void aTemporaryFileItsWriterHoldsStays()
    {
        TestFolder dir;
        const QString file = QFileInfo(dir.write(QStringLiteral("a.ini"), "x")).canonicalFilePath();
        dir.write(QStringLiteral("a.old"), "y");
        const QString live = dir.write(QStringLiteral(".a.old.larkspur-Live12"), "half written");
        const int fd = ::open(QFile::encodeName(live).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QCOMPARE(lockWholeFile(fd, F_WRLCK, false), 0);
        {
            const FileLock lock(file);
        }
        QCOMPARE(TestFolder::read(live), QByteArray("half written"));
        ::close(fd); // its writer was killed
        {
            const FileLock lock(file);
        }
        QVERIFY(!QFileInfo::exists(live));
        QCOMPARE(TestFolder::read(file), QByteArray("x"));
    }

    // On a full disk a write fails with "disk full" and leaves the file as
    // it was, whether it would have been replaced or rewritten in place.
    void aFullDiskLeavesTheFileAsItWas()
    {
        const TestDataHome home;
        TestFolder dir;
        const QString disk = dir.path(QStringLiteral("disk"));
        QVERIFY(QDir().mkdir(disk));
        const QByteArray native = QFile::encodeName(disk);
        if (::mount("tmpfs", native.constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("mounting a small disk needs root");
        const auto unmount = qScopeGuard([&] { ::umount2(native.constData(), MNT_DETACH); });
        const QByteArray old(64 * 1024, 'o');
        QString file;
        for (const QString &name : {QStringLiteral("a.ini"), QStringLiteral("c.ini")}) {
            QFile out(disk + QLatin1Char('/') + name);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(old) == old.size());
            file = out.fileName();
        }
        const QString linked = disk + QStringLiteral("/a.ini");
        QVERIFY(::link(QFile::encodeName(linked).constData(),
                       QFile::encodeName(disk + QStringLiteral("/b.ini")).constData())
                == 0);
        QFile filler(disk + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {}
        filler.close();

        for (const QString &path : {linked, file}) {
            QCOMPARE(plannedWrite(path), path == linked ? FileWrite::InPlace : FileWrite::NewFile);
            try {
                replaceFileContents(path, QByteArray(128 * 1024, 'n'));
                QFAIL("a write to a full disk must fail");
            } catch (const AppError &e) {
                QCOMPARE(e.kind(), ErrorKind::DiskFull);
            }
        }
        // Written a piece at a time, the disk fills up part-way through.
        try {
            replaceWithNewFile(file, [](OutputBuffer &out) {
                for (int i = 0; i < 4096; ++i)
                    out.put(QByteArray(100, 'n'));
                out.flush();
            });
            QFAIL("a write to a full disk must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::DiskFull);
        }
        for (const char *name : {"a.ini", "b.ini", "c.ini"})
            QCOMPARE(TestFolder::read(disk + QLatin1Char('/') + name), old);
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.ini", "b.ini", "c.ini", "filler"}));
        QCOMPARE(QDir(oldContentsFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // The piecewise reading must find what decoding the whole file finds,
    // above all where a UTF-8 sequence or a CR LF straddles two pieces.
    void theFormatReadInPiecesIsTheWholeFilesFormat()
    {
        TestFolder dir;
        const QList<QByteArray> parts{
            "a",    "=",    "\r",   "\n",           "\r\n",     "\xC3\xA9",     "\xE2\x82\xAC",     "\xF0\x9F\x98\x80",
            "\xE9", "\xC3", "\x80", "\xEF\xBB\xBF", "\xFF\xFE", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC0\xAF"};
        constexpr qsizetype kPiece = qsizetype(1) << 20;
        QRandomGenerator random(20261207);
        for (int trial = 0; trial < 300; ++trial) {
            QByteArray bytes;
            const int opening = random.bounded(6);
            if (opening == 0)
                bytes = "\xEF\xBB\xBF";
            else if (opening == 1)
                bytes = "\xFF\xFE";
            // Most files reach into the second piece, a few bytes either side
            // of its start; the rest are short.
            const bool long_ = random.bounded(3) != 0;
            if (long_)
                bytes.append(QByteArray(kPiece - 8 + random.bounded(8), random.bounded(2) ? 'x' : '\n'));
            if (long_ && random.bounded(2))
                bytes.replace(random.bounded(bytes.size()), 1, "\xE9");
            for (int n = random.bounded(12); n > 0; --n)
                bytes.append(parts[random.bounded(parts.size())]);
            const QString file = dir.write(QStringLiteral("f.ini"), bytes);
            const TextFormat whole = decodeFile(bytes).format;
            const TextFormat pieces = formatOfFile(file);
            const QByteArray shown = bytes.right(24).toHex(' ');
            QVERIFY2(pieces.fileEncoding == whole.fileEncoding, shown.constData());
            QVERIFY2(pieces.bom == whole.bom, shown.constData());
            QVERIFY2(pieces.eol == whole.eol, shown.constData());
            QVERIFY2(pieces.exact == whole.exact, shown.constData());
        }
    }

    void replaceCreatesAMissingFile()
    {
        TestFolder dir;
        const QString file = dir.path(QStringLiteral("new.ini"));
        replaceFileContents(file, "");
        QVERIFY(QFileInfo(file).isFile());
        QCOMPARE(QFileInfo(file).size(), 0);
    }

    // The numbers users read in error boxes are the ones they always read.
    void everyKindShowsItsKnownNumber()
    {
        QCOMPARE(errorNumber(ErrorKind::InvalidArgument), 5);
        QCOMPARE(errorNumber(ErrorKind::OutOfMemory), 7);
        QCOMPARE(errorNumber(ErrorKind::OutOfRange), 9);
        QCOMPARE(errorNumber(ErrorKind::BadFileName), 52);
        QCOMPARE(errorNumber(ErrorKind::FileNotFound), 53);
        QCOMPARE(errorNumber(ErrorKind::DiskFull), 61);
        QCOMPARE(errorNumber(ErrorKind::PermissionDenied), 70);
        QCOMPARE(errorNumber(ErrorKind::PathFileAccess), 75);
        QCOMPARE(errorNumber(ErrorKind::PathNotFound), 76);
        QCOMPARE(errorNumber(ErrorKind::ObjectNotSet), 91);
        QCOMPARE(errorNumber(ErrorKind::ElementNotFound), 35601);
        QCOMPARE(errorNumber(ErrorKind::KeyNotUnique), 35602);
        QCOMPARE(errorNumber(ErrorKind::InvalidKey), 35603);
        QCOMPARE(errorNumber(ErrorKind::Store), 3000);
        QCOMPARE(errorNumber(ErrorKind::LoadFailed), -2147220504);
    }

    void failuresAreReportedWithKindAndPath()
    {
        TestFolder dir;
        const QString blocker = dir.write(QStringLiteral("blocker"), "x");
        const QString inside = blocker + QStringLiteral("/a.ini");
        try {
            replaceFileContents(inside, "x");
            QFAIL("a write below a regular file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::PathNotFound);
            QVERIFY(e.description().endsWith(inside));
        }
        try {
            readWholeFile(dir.path(QStringLiteral("missing.ini")));
            QFAIL("reading a missing file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::FileNotFound);
        }
        QVERIFY_THROWS_EXCEPTION(AppError, replaceFileContents(dir.path(QString()), "x"));
        QCOMPARE(TestFolder::read(blocker), QByteArray("x"));
    }
};

QTEST_APPLESS_MAIN(TestFileAccess)
#include "test_file_access.moc"

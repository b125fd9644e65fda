#include "app_error.h"
#include "file_access.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

class TestFileAccess : public QObject {
    Q_OBJECT

    static mode_t modeOf(const QString &path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
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
        replaceFileContents(file, "new", QStringLiteral("test"));
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
        replaceFileContents(link, "b", QStringLiteral("test"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFolder::read(real), QByteArray("b"));
    }

    void replaceCreatesAMissingFile()
    {
        TestFolder dir;
        const QString file = dir.path(QStringLiteral("new.ini"));
        replaceFileContents(file, "", QStringLiteral("test"));
        QVERIFY(QFileInfo(file).isFile());
        QCOMPARE(QFileInfo(file).size(), 0);
    }

    void failuresAreReportedWithNumberAndPath()
    {
        TestFolder dir;
        const QString blocker = dir.write(QStringLiteral("blocker"), "x");
        const QString inside = blocker + QStringLiteral("/a.ini");
        try {
            replaceFileContents(inside, "x", QStringLiteral("test"));
            QFAIL("a write below a regular file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 76);
            QVERIFY(e.description().endsWith(inside));
            QCOMPARE(e.source(), QStringLiteral("test"));
        }
        try {
            readWholeFile(dir.path(QStringLiteral("missing.ini")), QStringLiteral("test"));
            QFAIL("reading a missing file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 53);
        }
        QVERIFY_THROWS_EXCEPTION(AppError, replaceFileContents(dir.path(QString()), "x", QStringLiteral("test")));
        QCOMPARE(TestFolder::read(blocker), QByteArray("x"));
    }
};

QTEST_APPLESS_MAIN(TestFileAccess)
#include "test_file_access.moc"

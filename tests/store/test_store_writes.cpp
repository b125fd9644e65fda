#include "app_error.h"
#include "append_line.h"
#include "ini_store.h"
#include "reference_encodings.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

class TestStoreWrites : public QObject {
    Q_OBJECT

    struct Opened {
        TestFolder dir;
        // Talks through the test's own scripted person, made before it.
        IniStore store{ScriptedUi::currentOrConsole()};
        QString file;
        QString backup;
        explicit Opened(const QByteArray &bytes, const QString &name = QStringLiteral("app.ini"))
        {
            file = dir.write(name, bytes);
            backup = dir.path(name.left(name.size() - 3) + QStringLiteral("old"));
            store.setFileName(file);
            store.load();
        }
        QByteArray bytes() const { return TestFolder::read(file); }
    };

    static QStringList values(const IniStore &store)
    {
        QStringList out;
        for (IniRecord *r : *store.records())
            out.append(r->section() + QLatin1Char('|') + r->key() + QLatin1Char('|') + r->value());
        return out;
    }

private Q_SLOTS:
    void setValueWritesOneLineAndTheFirstRecord()
    {
        ScriptedUi ui;
        Opened o("; c\r\n[Net]\r\nHost=a\r\nHost=b\r\n");
        QCOMPARE(o.store.setValue(QStringLiteral("NET"), QStringLiteral("host"), QStringLiteral("z")),
                 WriteResult::Written);
        QCOMPARE(o.bytes(), QByteArray("; c\r\n[Net]\r\nHost=z\r\nHost=b\r\n"));
        QCOMPARE(values(o.store), (QStringList{"Net||", "Net|Host|z", "Net|Host|b"}));
        QVERIFY(!QFileInfo::exists(o.backup));

        QCOMPARE(o.store.setValue(QStringLiteral("Net"), QStringLiteral("Host"), QString()), WriteResult::Written);
        QCOMPARE(o.bytes(), QByteArray("; c\r\n[Net]\r\nHost=\r\nHost=b\r\n"));

        // A key without a record is written but no record is made.
        o.store.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
        QCOMPARE(o.bytes(), QByteArray("; c\r\n[Net]\r\nHost=\r\nHost=b\r\n[New]\r\nk=v\r\n"));
        QCOMPARE(o.store.records()->count(), 3);
        QVERIFY(ui.messages.isEmpty());
    }

    void setValueOnAReadOnlyFileWarnsAndKeepsTheFile()
    {
        ScriptedUi ui;
        Opened o("[A]\r\nk=1\r\n");
        TestFolder::makeReadOnly(o.file);
        QCOMPARE(o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")),
                 WriteResult::ReadOnly);
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        // Memory takes the value; the window puts the old text back on screen.
        QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("2"));
    }

    void setValueRefusesBadInputAndAMissingFile()
    {
        ScriptedUi ui;
        Opened o("[A]\r\nk=1\r\n");
        QVERIFY_THROWS_EXCEPTION(
            AppError, o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2\r\n[B]")));
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));

        QFile::remove(o.file);
        try {
            o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
            QFAIL("a vanished file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::FileNotFound);
        }
        QVERIFY(!QFileInfo::exists(o.file));
        QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));
    }

    void deleteRewritesTheFileAfterABackup()
    {
        ScriptedUi ui;
        const QByteArray original =
            "top=1\r\n; "
            "note\r\n\r\n[Net]\r\n;k=v\r\nHost=a\r\nPort=1\r\n[Only]\r\nx=1\r\n[net]\r\nhost=b\r\n[Empty]\r\n";
        Opened o(original);
        o.store.deleteKey(QStringLiteral("Only"), QStringLiteral("x"));
        QCOMPARE(TestFolder::read(o.backup), original);
        // Comments go; key lines that look like comments stay; repeated
        // sections merge under the first header; empty sections vanish;
        // the later of two equal keys gives the value.
        QCOMPARE(o.bytes(), QByteArray("top=1\r\n[Net]\r\n;k=v\r\nHost=b\r\nPort=1\r\n"));
        QCOMPARE(values(o.store), (QStringList{"|top|1", "Net||", "Net|;k|v", "Net|Host|b", "Net|Port|1", "Only||",
                                               "net||", "net|host|b", "Empty||"}));

        const QByteArray before = o.bytes();
        o.store.deleteKey(QStringLiteral("NET"), QStringLiteral("HOST"));
        QCOMPARE(TestFolder::read(o.backup), before);
        // The remaining "host" now comes from the second block, after Port.
        QCOMPARE(o.bytes(), QByteArray("top=1\r\n[Net]\r\n;k=v\r\nPort=1\r\nhost=b\r\n"));
        QCOMPARE(o.store.records()->count(), 8);

        // An empty key removes the section's first header record.
        o.store.deleteKey(QStringLiteral("only"), QString());
        QCOMPARE(o.store.records()->count(), 7);
        // Nothing matching still rewrites.
        o.store.deleteKey(QStringLiteral("nosuch"), QStringLiteral("k"));
        QCOMPARE(o.store.records()->count(), 7);
        QCOMPARE(o.bytes(), QByteArray("top=1\r\n[Net]\r\n;k=v\r\nPort=1\r\nhost=b\r\n"));
    }

    void rewriteKeepsEncodingMarkAndLineEnds()
    {
        ScriptedUi ui;
        Opened latin("[A]\nk=caf\xE9\nj=1\n");
        latin.store.deleteKey(QStringLiteral("A"), QStringLiteral("j"));
        QCOMPARE(latin.bytes(), QByteArray("[A]\nk=caf\xE9\n"));

        Opened bom("\xEF\xBB\xBF[A]\rk=\xE2\x82\xAC\rj=1\r");
        bom.store.deleteKey(QStringLiteral("A"), QStringLiteral("j"));
        QCOMPARE(bom.bytes(), QByteArray("\xEF\xBB\xBF[A]\rk=\xE2\x82\xAC\r"));
    }

    // The five bytes Windows-1252 leaves unassigned read as the C1 controls
    // of the same numbers and stay as they were when another line is set.
    void unassignedWindows1252BytesSurviveASet()
    {
        ScriptedUi ui;
        const QByteArray unassigned = "\x81\x8D\x8F\x90\x9D";
        Opened o("[A]\r\nc1=" + unassigned + "\r\nk=1\r\n");
        QString c1;
        for (const char b : unassigned) {
            QVERIFY(!referenceWindows1252Assigned(static_cast<unsigned char>(b)));
            c1 += QChar(static_cast<unsigned char>(b));
        }
        QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("c1")), c1);
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        QCOMPARE(o.bytes(), "[A]\r\nc1=" + unassigned + "\r\nk=2\r\n");
    }

    // What is typed into a Windows-1252 file is written in its bytes; what
    // the code page cannot hold is refused.
    void euroSignGoesIntoAWindows1252FileAsItsByte()
    {
        ScriptedUi ui;
        Opened o("[A]\r\nk=caf\xE9\r\n");
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QString::fromUtf8("5 \xE2\x82\xAC"));
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=5 \x80\r\n"));
        try {
            o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QString::fromUtf8("\xC4\x81"));
            QFAIL("a character without a Windows-1252 byte must be refused");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::InvalidArgument);
            QVERIFY(e.description().contains(QStringLiteral("(Windows-1252)")));
            QVERIFY(e.description().endsWith(QStringLiteral("nothing was written")));
        }
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=5 \x80\r\n"));
    }

    // A UTF-16 file that would not convert back to its own bytes still
    // loads, but no write touches it.
    void inexactUtf16FileIsNeverWritten()
    {
        ScriptedUi ui;
        const QByteArray good =
            *referenceFileBytes(QStringLiteral("[A]\r\nk=1\r\nj=2\r\n"), ReferenceEncoding::Utf16LE);
        const QByteArray lone = referenceUtf16Units(QString(QChar(0xD800)), false);
        for (const QByteArray &bytes : {good + "x", QByteArray(good).insert(good.size() - 4, lone)}) {
            Opened o(bytes);
            QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));
            try {
                o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
                QFAIL("an inexact UTF-16 file must not be written");
            } catch (const AppError &e) {
                QCOMPARE(e.kind(), ErrorKind::InvalidArgument);
                QVERIFY(e.description().endsWith(QStringLiteral("nothing was written")));
            }
            QVERIFY_THROWS_EXCEPTION(AppError, o.store.deleteKey(QStringLiteral("A"), QStringLiteral("j")));
            QVERIFY_THROWS_EXCEPTION(AppError, appendLine(o.file, QStringLiteral("[B]")));
            QCOMPARE(o.bytes(), bytes);
            QVERIFY(!QFileInfo::exists(o.backup));
        }
    }

    void rewriteReadsBackToTheSameRecords()
    {
        ScriptedUi ui;
        for (int round = 0; round < 30; ++round) {
            QRandomGenerator random{quint32(round) + 100};
            QByteArray text;
            const int sections = random.bounded(1, 6);
            for (int s = 0; s < sections; ++s) {
                text += "[S" + QByteArray::number(s) + "]\r\n";
                const int keys = random.bounded(0, 6);
                for (int k = 0; k < keys; ++k)
                    text += "k" + QByteArray::number(k) + "=" + QByteArray(random.bounded(0, 10), 'v') + " x\r\n";
                if (random.bounded(3) == 0)
                    text += "; comment\r\n\r\n";
            }
            Opened o(text + "[Last]\r\ndrop=me\r\n");
            o.store.deleteKey(QStringLiteral("Last"), QStringLiteral("drop"));
            IniStore again(ui);
            again.setFileName(o.file);
            again.load();
            QStringList expected;
            for (const QString &row : values(o.store))
                if (!row.contains(QStringLiteral("||")) || !row.startsWith(QStringLiteral("Last")))
                    expected.append(row);
            // Sections without keys vanish from the file.
            QStringList withKeys;
            for (const QString &row : expected) {
                const QString section = row.section(QLatin1Char('|'), 0, 0);
                bool hasKey = false;
                for (const QString &other : expected)
                    hasKey = hasKey
                             || (other.startsWith(section + QLatin1Char('|')) && !other.endsWith(QStringLiteral("||")));
                if (hasKey)
                    withKeys.append(row);
            }
            QCOMPARE(values(again), withKeys);
        }
    }

    // "a=b" as a key name would be written as "a=b=v" and read back as key
    // "a" with value "b=v", taking over the real "a": refused, nothing written.
    void aKeyNameHoldingEqualsIsRefused()
    {
        ScriptedUi ui;
        const QByteArray text = "[A]\r\na=1\r\n";
        Opened o(text);
        try {
            o.store.setValue(QStringLiteral("A"), QStringLiteral("a=b"), QStringLiteral("v"));
            QFAIL("a key name holding \"=\" must be refused");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::InvalidArgument);
            QVERIFY2(e.description().contains(QStringLiteral("\"a=b\" holds \"=\"")), qPrintable(e.description()));
        }
        QCOMPARE(o.bytes(), text);
        QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("a")), QStringLiteral("1"));
    }

    void failedRewriteLeavesTheFile()
    {
        ScriptedUi ui;
        {
            Opened o("[A]\r\nk=1\r\nj=2\r\n");
            TestFolder::makeReadOnly(o.file);
            QVERIFY_THROWS_EXCEPTION(AppError, o.store.deleteKey(QStringLiteral("A"), QStringLiteral("k")));
            QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=1\r\nj=2\r\n"));
            // Refused before any backup is made; the record stays, as in the file.
            QVERIFY(!QFileInfo::exists(o.backup));
            QCOMPARE(o.store.records()->count(), 3);
            QCOMPARE(o.store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));
        }
        {
            Opened o("[A]\r\nk=1\r\nj=2\r\n");
            o.dir.write(QStringLiteral("app.old"), "earlier backup");
            TestFolder::makeReadOnly(o.backup);
            QVERIFY_THROWS_EXCEPTION(AppError, o.store.deleteKey(QStringLiteral("A"), QStringLiteral("k")));
            QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=1\r\nj=2\r\n"));
            QCOMPARE(TestFolder::read(o.backup), QByteArray("earlier backup"));
        }
        {
            Opened o("[A]\r\nk=1\r\nj=2\r\n");
            QFile::remove(o.file);
            QVERIFY_THROWS_EXCEPTION(AppError, o.store.deleteKey(QStringLiteral("A"), QStringLiteral("k")));
            QVERIFY(!QFileInfo::exists(o.file));
            // Nothing was written: the store keeps what it loaded.
            QCOMPARE(o.store.records()->count(), 3);
        }
        {
            // A record that cannot be written stops the rewrite before anything
            // is replaced, the backup of an earlier rewrite included.
            Opened o("[A]\r\nk=caf\xE9\r\nj=2\r\n");
            o.dir.write(QStringLiteral("app.old"), "earlier backup");
            o.store.records()->at(2)->setValue(QString::fromUtf8("\xC4\x81"));
            QVERIFY_THROWS_EXCEPTION(AppError, o.store.deleteKey(QStringLiteral("A"), QStringLiteral("j")));
            QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=caf\xE9\r\nj=2\r\n"));
            QCOMPARE(TestFolder::read(o.backup), QByteArray("earlier backup"));
        }
    }

    // The backup is made as a second name of the old file where it can be;
    // it must stay the old contents whatever is written afterwards.
    void backupKeepsTheOldContentsThroughLaterWrites()
    {
        ScriptedUi ui;
        const QByteArray original = "[A]\r\nk=1\r\nj=2\r\n";
        Opened o(original);
        o.store.deleteKey(QStringLiteral("A"), QStringLiteral("j"));
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("changed"));
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=changed\r\n"));
        QCOMPARE(TestFolder::read(o.backup), original);
        QCOMPARE(QFileInfo(o.file).fileName(), QStringLiteral("app.ini"));
        // No stray names are left beside them.
        QCOMPARE(QDir(o.dir.path(QString())).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"app.ini", "app.old"}));

        // A configuration file reached through a symbolic link: the link
        // stays a link to the edited file, the backup is a file of its own.
        TestFolder dir;
        const QString real = dir.write(QStringLiteral("real.ini"), original);
        const QString link = dir.path(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(real, link));
        IniStore store{ScriptedUi::currentOrConsole()};
        store.setFileName(link);
        store.load();
        store.deleteKey(QStringLiteral("A"), QStringLiteral("k"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFolder::read(real), QByteArray("[A]\r\nj=2\r\n"));
        const QString backup = dir.path(QStringLiteral("link.old"));
        QVERIFY(!QFileInfo(backup).isSymLink());
        QCOMPARE(TestFolder::read(backup), original);
        store.setValue(QStringLiteral("A"), QStringLiteral("j"), QStringLiteral("3"));
        QCOMPARE(TestFolder::read(backup), original);
    }

    // A refused rewrite leaves the backup an earlier rewrite made: it may hold
    // the only copy of the comments that rewrite dropped.
    void aReadOnlyFileLeavesTheEarlierBackup()
    {
        ScriptedUi ui;
        const QByteArray original = "[A]\r\nk=1\r\n";
        Opened o(original);
        const QByteArray earlier = "; the commented original\r\n[A]\r\nk=1\r\nold=2\r\n";
        o.dir.write(QStringLiteral("app.old"), earlier);
        TestFolder::makeReadOnly(o.file);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                o.store.deleteKey(QStringLiteral("A"), QStringLiteral("k"));
                QFAIL("a read-only file must not be rewritten");
            } catch (const AppError &e) {
                QCOMPARE(e.kind(), ErrorKind::PathFileAccess);
            }
        }
        QCOMPARE(o.bytes(), original);
        QCOMPARE(TestFolder::read(o.backup), earlier);
        QVERIFY(QFileInfo(o.backup).permissions() & QFileDevice::WriteOwner);
    }

    void backupNeverReplacesTheFileItself()
    {
        ScriptedUi ui;
        Opened o("[A]\r\nk=1\r\nj=2\r\n", QStringLiteral("settings.old"));
        o.store.deleteKey(QStringLiteral("A"), QStringLiteral("j"));
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(TestFolder::read(o.dir.path(QStringLiteral("settings.old.old"))), QByteArray("[A]\r\nk=1\r\nj=2\r\n"));

        Opened shortName("[A]\r\nk=1\r\nj=2\r\n", QStringLiteral("ab"));
        shortName.store.deleteKey(QStringLiteral("A"), QStringLiteral("j"));
        QCOMPARE(TestFolder::read(shortName.dir.path(QStringLiteral("ab.old"))), QByteArray("[A]\r\nk=1\r\nj=2\r\n"));
    }

    void rebuildIntoTheExistingFileWhenNoNameIsGiven()
    {
        ScriptedUi ui;
        Opened o("; keep\r\n[A]\r\nk=1\r\n");
        o.store.records()->at(2)->setValue(QStringLiteral("2"));
        o.store.rewriteFile(QString());
        QCOMPARE(o.bytes(), QByteArray("; keep\r\n[A]\r\nk=2\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestStoreWrites)
#include "test_store_writes.moc"

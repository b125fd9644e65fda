#include "app_error.h"
#include "ini_store.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtTest>

// A store that loaded its file long ago, while other programs kept changing
// it, must write what a store loading the file just now would write: no
// line of theirs lost, no change of theirs undone.
class TestStoreFollowsFile : public QObject {
    Q_OBJECT

    struct Line {
        QByteArray section; // empty for a key line
        QByteArray key;
        QByteArray value;
        QByteArray text() const { return section.isEmpty() ? key + '=' + value : '[' + section + ']'; }
    };

    static QByteArray join(const QList<Line> &lines)
    {
        QByteArray out;
        for (const Line &line : lines)
            out += line.text() + "\r\n";
        return out;
    }

    // Sections and keys of unique names, so that a store's records and a
    // fresh read of the file it wrote say the same.
    static QList<Line> randomFile(QRandomGenerator &random, int &serial)
    {
        QList<Line> lines;
        const int sections = 1 + random.bounded(5);
        for (int s = 0; s < sections; ++s) {
            lines.append({"S" + QByteArray::number(serial++), {}, {}});
            const int keys = random.bounded(5);
            for (int k = 0; k < keys; ++k)
                lines.append({{}, "k" + QByteArray::number(serial++), QByteArray::number(random.bounded(100))});
        }
        return lines;
    }

    // What another program does to the file: a key added, a value changed,
    // a line removed, a section appended; some write in place, some replace.
    static void changeByOther(const QString &path, QList<Line> &lines, QRandomGenerator &random, int &serial)
    {
        const int what = random.bounded(4);
        if (what == 0 && !lines.isEmpty()) {
            const auto at = random.bounded(lines.size()) + 1;
            lines.insert(at, {{}, "o" + QByteArray::number(serial++), "x"});
        } else if (what == 1) {
            for (Line &line : lines)
                if (line.section.isEmpty() && random.bounded(2))
                    line.value += "y";
        } else if (what == 2 && lines.size() > 1) {
            lines.removeAt(random.bounded(lines.size()));
        } else {
            lines.append({"T" + QByteArray::number(serial++), {}, {}});
            lines.append({{}, "t" + QByteArray::number(serial++), "z"});
        }
        if (random.bounded(2)) {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(join(lines));
            QVERIFY(file.commit());
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray bytes = join(lines);
            QCOMPARE(file.write(bytes), bytes.size());
            QVERIFY(file.resize(bytes.size()));
        }
    }

    static QList<Line> linesOf(const QByteArray &bytes)
    {
        QList<Line> lines;
        for (const QByteArray &text : bytes.split('\n')) {
            const QByteArray line = text.endsWith('\r') ? text.chopped(1) : text;
            if (line.startsWith('[') && line.endsWith(']'))
                lines.append({line.mid(1, line.size() - 2), {}, {}});
            else if (const auto eq = line.indexOf('='); eq >= 0)
                lines.append({{}, line.left(eq), line.mid(eq + 1)});
        }
        return lines;
    }

private Q_SLOTS:
    void aLongOpenStoreWritesWhatAFreshOneWould()
    {
        ScriptedUi ui;
        QRandomGenerator random(20261207);
        for (int trial = 0; trial < 40; ++trial) {
            TestFolder dir;
            int serial = 0;
            QList<Line> lines = randomFile(random, serial);
            const QString path = dir.write(QStringLiteral("a.ini"), join(lines));
            const QString twin = dir.path(QStringLiteral("b.ini"));
            IniStore kept(ui);
            kept.setFileName(path);
            kept.load();
            for (int step = 0; step < 6; ++step) {
                const QByteArray context = "trial " + QByteArray::number(trial) + " step " + QByteArray::number(step);
                if (random.bounded(3))
                    changeByOther(path, lines, random, serial);
                QVERIFY(QFile::remove(twin) || !QFile::exists(twin));
                QVERIFY(QFile::copy(path, twin));
                IniStore fresh(ui);
                fresh.setFileName(twin);
                fresh.load();

                // A command on names of the file as it is now.
                QList<QByteArray> keys;
                QList<QByteArray> sections;
                QByteArray section;
                for (const Line &line : lines)
                    (line.section.isEmpty() ? keys : sections).append(line.section.isEmpty() ? line.key : line.section);
                const QString s = sections.isEmpty() ? QStringLiteral("S0")
                                                     : QString::fromLatin1(sections[random.bounded(sections.size())]);
                const QString k =
                    keys.isEmpty() ? QStringLiteral("k0") : QString::fromLatin1(keys[random.bounded(keys.size())]);
                const int command = random.bounded(3);
                for (IniStore *store : {&kept, &fresh}) {
                    if (command == 0)
                        store->deleteKey(s, k);
                    else if (command == 1)
                        store->deleteKeys(s, {k, QStringLiteral("k1"), s});
                    else
                        store->setValue(s, k, QStringLiteral("set") + QString::number(step));
                }
                QVERIFY2(TestFolder::read(path) == TestFolder::read(twin), context.constData());
                if (command < 2)
                    QVERIFY2(TestFolder::read(dir.path(QStringLiteral("a.old")))
                                 == TestFolder::read(dir.path(QStringLiteral("b.old"))),
                             context.constData());
                // A value set for a key without a record goes to the file only.
                if (fresh.findRecord(s, k))
                    QCOMPARE(kept.value(s, k), fresh.value(s, k));
                lines = linesOf(TestFolder::read(path));
            }
        }
        QVERIFY(ui.messages.isEmpty());
    }

    // The records read again for a command stay when its write fails.
    void aRefusedRewriteKeepsTheFreshRecords()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\na=1\r\n");
        IniStore store(ui);
        store.setFileName(path);
        store.load();
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[A]\r\na=1\r\nb=2\r\n");
        QVERIFY(file.commit());
        TestFolder::makeReadOnly(path);
        QVERIFY(store.fileChanged());
        QVERIFY_THROWS_EXCEPTION(AppError, store.deleteKey(QStringLiteral("A"), QStringLiteral("a")));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na=1\r\nb=2\r\n"));
        QCOMPARE(store.value(QStringLiteral("A"), QStringLiteral("a")), QStringLiteral("1"));
        QCOMPARE(store.value(QStringLiteral("A"), QStringLiteral("b")), QStringLiteral("2"));
        QVERIFY(!store.fileChanged());
    }
};

QTEST_MAIN(TestStoreFollowsFile)
#include "test_store_follows_file.moc"

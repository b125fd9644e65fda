#include "append_line.h"
#include "file_history.h"
#include "ini_store.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "undo_journal.h"

#include <QRandomGenerator>
#include <QtTest>

// Undo and redo against a simple reference: the list of the file's states
// and a position in it. Whatever mix of writes, undos and redos runs, the
// file is always the state at the position, and undo and redo are possible
// exactly when the reference moves.
class TestStoreUndo : public QObject {
    Q_OBJECT

    struct Opened {
        TestStateHome state;
        TestFolder dir;
        UndoJournal journal;
        IniStore store{ScriptedUi::currentOrConsole(), FileHistory::fromEnvironment()};
        QString file;
        explicit Opened(const QByteArray &bytes)
        {
            file = dir.write(QStringLiteral("app.ini"), bytes);
            store.setUndoJournal(&journal);
            store.setFileName(file);
            store.load();
        }
        QByteArray bytes() const { return TestFolder::read(file); }
    };

    // One write of the kinds the window makes, picked by `random`; it may
    // leave the file as it was.
    static void randomWrite(IniStore &store, QRandomGenerator &random)
    {
        const QString section = QStringLiteral("S%1").arg(random.bounded(3));
        const QString key = QStringLiteral("k%1").arg(random.bounded(4));
        switch (random.bounded(4)) {
        case 0:
        case 1:
            store.setValue(section, key, QString::number(random.bounded(1000)));
            break;
        case 2:
            if (store.findRecord(section, key))
                store.deleteKey(section, key);
            break;
        case 3:
            store.writeFollowing(
                [&] {
                    appendLine(store.fileName(), QStringLiteral("[%1]").arg(section));
                    return true;
                },
                QStringLiteral("add section [%1]").arg(section));
            break;
        }
    }

private Q_SLOTS:
    void walksBackAndForthAsTheReference()
    {
        ScriptedUi ui;
        Opened o("; comment\r\n[S0]\r\nk0=a ; kept by a set\r\n\r\n[S1]\r\nk1=b\r\n");
        QRandomGenerator random(20261208);
        QList<QByteArray> states{o.bytes()};
        qsizetype at = 0;
        for (int round = 0; round < 300; ++round) {
            const quint32 choice = random.bounded(5);
            if (choice < 2) {
                QCOMPARE(o.store.undoWrite(), at > 0);
                at = std::max<qsizetype>(at - 1, 0);
            } else if (choice < 3) {
                QCOMPARE(o.store.redoWrite(), at + 1 < states.size());
                at = std::min(at + 1, states.size() - 1);
            } else {
                randomWrite(o.store, random);
                const QByteArray now = o.bytes();
                // A write that left the bytes as they were is no step.
                if (now != states[at]) {
                    states.resize(at + 1);
                    states.append(now);
                    ++at;
                }
            }
            QCOMPARE(o.bytes(), states[at]);
            QCOMPARE(o.journal.canUndo(), at > 0);
            QCOMPARE(o.journal.canRedo(), at + 1 < states.size());
        }
        QVERIFY(ui.messages.isEmpty());
    }

    void keepsTheNewestSteps()
    {
        ScriptedUi ui;
        Opened o("[S]\r\nk=0\r\n");
        const qsizetype writes = UndoJournal::kMaxSteps + 5;
        for (qsizetype i = 1; i <= writes; ++i)
            o.store.setValue(QStringLiteral("S"), QStringLiteral("k"), QString::number(i));
        qsizetype undone = 0;
        while (o.store.undoWrite())
            ++undone;
        QCOMPARE(undone, UndoJournal::kMaxSteps);
        QCOMPARE(o.bytes(), QByteArray("[S]\r\nk=") + QByteArray::number(writes - UndoJournal::kMaxSteps) + "\r\n");
    }
};

QTEST_MAIN(TestStoreUndo)
#include "test_store_undo.moc"

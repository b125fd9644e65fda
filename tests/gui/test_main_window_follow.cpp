#include "add_entry_dialog.h"
#include "find_dialog.h"
#include "ini_store.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QtTest>

// The window and another program at work on the same file: the window shows
// what the other one wrote, keeps what the person was looking at, waits
// while the person is editing, and never writes the other's lines away.
class TestMainWindowFollow : public QObject {
    Q_OBJECT

    // Another program's write that replaces the file (as most editors do).
    static void replaceByOther(const QString &path, const QByteArray &bytes)
    {
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        QVERIFY(file.commit());
    }
    // Another program's write into the file itself.
    static void appendByOther(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QString selectedText(const MainWindow &w)
    {
        const NodeCollection &nodes = w.tree()->nodes();
        return nodes.selectedNode() ? nodes.text(nodes.selectedNode()) : QString();
    }
    static void editValue(MainWindow &w, const QString &text, const std::function<void()> &meanwhile)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.valuePane()->setFocus();
        w.valuePane()->setCurrentItem(w.valuePane()->topLevelItem(0));
        QTest::keyClick(w.valuePane(), Qt::Key_F2);
        QVERIFY(w.editing());
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        meanwhile();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.valuePane()->isEditing());
    }

private Q_SLOTS:

    void anOutsideChangeShowsWithinASecondAndKeepsTheView()
    {
        ScriptedUi ui;
        TestFolder dir;
        QByteArray text = "[A]\r\na1=1\r\na2=2\r\n[B]\r\nb1=1\r\n";
        for (int i = 0; i < 60; ++i)
            text += "[S" + QByteArray::number(i) + "]\r\nk=v\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = windowtest::start(path);
        QVERIFY(w);
        NodeCollection &nodes = w->tree()->nodes();
        nodes.setExpanded(windowtest::nodeByText(*w, QStringLiteral("B")), false);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a2"));
        w->tree()->verticalScrollBar()->setValue(3);
        const int scroll = w->tree()->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        const quint64 loads = w->store()->loadCount();

        // Replaced by a new file: a new section, a new value for the selected key.
        text.replace("a2=2", "a2=changed");
        replaceByOther(path, text + "[New]\r\nn=1\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("New"), QStringLiteral("n")), 1000);
        QCOMPARE(w->store()->loadCount(), loads + 1);
        QCOMPARE(selectedText(*w), QStringLiteral("a2"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("changed"));
        QVERIFY(!nodes.isExpanded(windowtest::nodeByText(*w, QStringLiteral("B"))));
        QVERIFY(nodes.isExpanded(windowtest::nodeByText(*w, QStringLiteral("A"))));
        QCOMPARE(w->tree()->verticalScrollBar()->value(), scroll);

        // Written into the same file; the selected key is gone: its section stays selected.
        replaceByOther(path, "[A]\r\na1=1\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!windowtest::nodeByText(*w, QStringLiteral("New")), 1000);
        appendByOther(path, "[C]\r\nc=3\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("C"), QStringLiteral("c")), 1000);
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  a1", "C", "  c"}));
        QCOMPARE(selectedText(*w), QStringLiteral("A"));
        QVERIFY(ui.messages.isEmpty());
    }

    void ownWritesAreNotReadAgain()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\na1=1\r\na2=2\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        const quint64 loads = w->store()->loadCount();
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a1"));
        editValue(*w, QStringLiteral("9"), [] {});
        ui.answers.enqueue(Answer::Yes);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a2"));
        w->menus()->deleteKeyAction()->trigger();
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->sectionEdit(), QStringLiteral("N"));
            dialog->okButton()->click();
        });
        w->menus()->newSectionAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na1=9\r\n[N]\r\n"));
        QTest::qWait(400);
        QCOMPARE(w->store()->loadCount(), loads);
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  a1", "N"}));
    }

    void aLineWrittenByAnotherProgramSurvivesTheWindowsDelete()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\na1=1\r\na2=2\r\n[B]\r\nb=1\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a1"));
        // Before the window can have looked at it.
        appendByOther(path, "x=other\r\n");
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na2=2\r\n[B]\r\nb=1\r\nx=other\r\n"));
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  a2", "B", "  b", "  x"}));
        QCOMPARE(selectedText(*w), QStringLiteral("A"));

        // Delete > Section means the section as the file holds it now.
        replaceByOther(path, "[A]\r\nearly=0\r\na2=2\r\n[B]\r\nb=1\r\nx=other\r\n");
        windowtest::select(*w, QStringLiteral("A"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[B]\r\nb=1\r\nx=other\r\n"));
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"B", "  b", "  x"}));
    }

    void aChangeDuringAnEditWaitsForItsEnd()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\na1=1\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a1"));
        const quint64 loads = w->store()->loadCount();
        editValue(*w, QStringLiteral("mine"), [&] {
            replaceByOther(path, "[A]\r\na1=1\r\nb=2\r\n");
            QTest::qWait(600);
            QVERIFY(w->editing());
            QCOMPARE(w->store()->loadCount(), loads);
        });
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("b")), 1000);
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na1=mine\r\nb=2\r\n"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("mine"));
    }

    // Read again after another program's change, the file's records are
    // numbered anew: F3 goes on behind the record last found, and from its
    // place when that record is gone.
    void findNextGoesOnBehindTheLastHitAfterAnOutsideChange()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=foo\r\ny=foo\r\nz=foo\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        w->menus()->findAction()->trigger();
        FindDialog *find = w->findDialog();
        QVERIFY(find);
        QTest::keyClicks(find->textEdit(), QStringLiteral("foo"));
        QTest::mouseClick(find->findButton(), Qt::LeftButton);
        QCOMPARE(selectedText(*w), QStringLiteral("x"));

        quint64 loads = w->store()->loadCount();
        replaceByOther(path, "[P]\r\np=1\r\nq=2\r\n[A]\r\nx=foo\r\ny=foo\r\nz=foo\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(w->store()->loadCount() != loads, 5000);
        QTRY_COMPARE(windowtest::treeRows(*w).size(), 7);
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F3);
        QCOMPARE(selectedText(*w), QStringLiteral("y"));

        // The hit's line goes: the next one after its place is found.
        loads = w->store()->loadCount();
        replaceByOther(path, "[P]\r\np=1\r\n[A]\r\nx=foo\r\nz=foo\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(w->store()->loadCount() != loads, 5000);
        QTRY_COMPARE(windowtest::treeRows(*w).size(), 5);
        QTest::keyClick(w->tree(), Qt::Key_F3);
        QCOMPARE(selectedText(*w), QStringLiteral("z"));
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_MAIN(TestMainWindowFollow)
#include "test_main_window_follow.moc"

#include "cls_ini_registry.h"
#include "frm_add.h"
#include "frm_ini.h"
#include "g_registry.h"
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
class TestFrmIniFollow : public QObject {
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
    static QString selectedText(const frmINI &w)
    {
        const NodeCollection &nodes = w.tvw->Nodes();
        return nodes.SelectedItem() ? nodes.Text(nodes.SelectedItem()) : QString();
    }
    static void editValue(frmINI &w, const QString &text, const std::function<void()> &meanwhile)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.lvw->setFocus();
        w.lvw->setCurrentItem(w.lvw->topLevelItem(0));
        QTest::keyClick(w.lvw, Qt::Key_F2);
        QVERIFY(w.editing());
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        meanwhile();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.lvw->isEditing());
    }

private Q_SLOTS:
    void cleanup() { gRegistry.reset(); }

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
        NodeCollection &nodes = w->tvw->Nodes();
        nodes.setExpanded(windowtest::nodeByText(*w, QStringLiteral("B")), false);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a2"));
        w->tvw->verticalScrollBar()->setValue(3);
        const int scroll = w->tvw->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        const quint64 loads = gRegistry->LoadCount();

        // Replaced by a new file: a new section, a new value for the selected key.
        text.replace("a2=2", "a2=changed");
        replaceByOther(path, text + "[New]\r\nn=1\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("New"), QStringLiteral("n")), 1000);
        QCOMPARE(gRegistry->LoadCount(), loads + 1);
        QCOMPARE(selectedText(*w), QStringLiteral("a2"));
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("changed"));
        QVERIFY(!nodes.Expanded(windowtest::nodeByText(*w, QStringLiteral("B"))));
        QVERIFY(nodes.Expanded(windowtest::nodeByText(*w, QStringLiteral("A"))));
        QCOMPARE(w->tvw->verticalScrollBar()->value(), scroll);

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
        const quint64 loads = gRegistry->LoadCount();
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a1"));
        editValue(*w, QStringLiteral("9"), [] {});
        ui.answers.enqueue(vbYes);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("a2"));
        w->mnuDelKey->trigger();
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<frmAdd *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->Text1, QStringLiteral("N"));
            dialog->btnOK->click();
        });
        w->mnuNewSection->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na1=9\r\n[N]\r\n"));
        QTest::qWait(400);
        QCOMPARE(gRegistry->LoadCount(), loads);
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
        ui.answers.enqueue(vbYes);
        w->mnuDelKey->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na2=2\r\n[B]\r\nb=1\r\nx=other\r\n"));
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  a2", "B", "  b", "  x"}));
        QCOMPARE(selectedText(*w), QStringLiteral("A"));

        // Delete > Section means the section as the file holds it now.
        replaceByOther(path, "[A]\r\nearly=0\r\na2=2\r\n[B]\r\nb=1\r\nx=other\r\n");
        windowtest::select(*w, QStringLiteral("A"));
        ui.answers.enqueue(vbYes);
        w->mnuDelSection->trigger();
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
        const quint64 loads = gRegistry->LoadCount();
        editValue(*w, QStringLiteral("mine"), [&] {
            replaceByOther(path, "[A]\r\na1=1\r\nb=2\r\n");
            QTest::qWait(600);
            QVERIFY(w->editing());
            QCOMPARE(gRegistry->LoadCount(), loads);
        });
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("b")), 1000);
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\na1=mine\r\nb=2\r\n"));
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("mine"));
    }
};

QTEST_MAIN(TestFrmIniFollow)
#include "test_frm_ini_follow.moc"

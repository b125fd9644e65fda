#include "add_entry_dialog.h"
#include "app_error.h"
#include "file_history.h"
#include "ini_store.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

// Undo and redo of the window's writes, by their keys, through the real
// window: every step back gives the file's earlier bytes exactly.
class TestMainWindowUndo : public QObject {
    Q_OBJECT

    static void key(MainWindow &w, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.tree()->setFocus();
        QTest::keyClick(w.tree(), key, modifiers);
    }
    static void undo(MainWindow &w) { key(w, Qt::Key_Z, Qt::ControlModifier); }
    static void redo(MainWindow &w) { key(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    // Opens the selected key's value editor with F2; the editor is returned
    // with its text selected.
    static QLineEdit *openEditor(MainWindow &w)
    {
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            return nullptr;
        w.valuePane()->setFocus();
        w.valuePane()->setCurrentItem(w.valuePane()->topLevelItem(0));
        QTest::keyClick(w.valuePane(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        if (editor)
            editor->selectAll();
        return editor;
    }

    static void editValue(MainWindow &w, const QString &text)
    {
        QLineEdit *editor = openEditor(w);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.valuePane()->isEditing());
    }

    // Types into the add dialog that `trigger` opens and presses OK.
    static void addThroughDialog(QAction *trigger, const QString &section, const QString &key, const QString &value)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->activateWindow();
            QTRY_VERIFY(dialog->isActiveWindow());
            if (dialog->sectionEdit()->isEnabled())
                QTest::keyClicks(dialog->sectionEdit(), section);
            if (dialog->keyEdit()->isEnabled()) {
                QTest::keyClicks(dialog->keyEdit(), key);
                QTest::keyClicks(dialog->valueEdit(), value);
            }
            dialog->okButton()->click();
            ran = true;
        });
        trigger->trigger();
        QVERIFY(ran);
    }

    static QString selectedText(const MainWindow &w)
    {
        const NodeCollection &nodes = w.tree()->nodes();
        return nodes.selectedNode() ? nodes.text(nodes.selectedNode()) : QString();
    }

private Q_SLOTS:

    void everyWriteIsUndoneAndRedoneByteForByte()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray original = "; written by hand\r\n[Net]\r\nhost=example.org\r\n; the proxy's port\r\n"
                                    "port=8080\r\n\r\n[Disp]\r\nw=1024\r\n";
        const QString path = dir.write(QStringLiteral("app.ini"), original);
        auto w = windowtest::start(path);
        QVERIFY(w);
        QVERIFY(!w->menus()->undoAction()->isEnabled());
        QVERIFY(!w->menus()->redoAction()->isEnabled());
        QList<QByteArray> states{TestFolder::read(path)};
        QList<QStringList> rows{windowtest::treeRows(*w)};
        auto keep = [&] {
            states << TestFolder::read(path);
            rows << windowtest::treeRows(*w);
            QCOMPARE_NE(states.constLast(), states[states.size() - 2]);
        };

        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("port"));
        editValue(*w, QStringLiteral("9090"));
        keep();
        QVERIFY(w->menus()->undoAction()->isEnabled());

        // Ctrl+Z and Ctrl+Shift+Z in the open editor take back and bring
        // again what was typed there, not the file's write.
        QLineEdit *editor = openEditor(*w);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("typed"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("9090"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor->text(), QStringLiteral("typed"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!w->valuePane()->isEditing());
        QCOMPARE(TestFolder::read(path), states[1]);

        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("host"));
        addThroughDialog(w->menus()->newKeyAction(), {}, QStringLiteral("proxy"), QStringLiteral("none"));
        keep();
        addThroughDialog(w->menus()->newSectionAction(), QStringLiteral("Extra"), {}, {});
        keep();
        // Delete rewrites the file from its records: the comments go.
        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("host"));
        ui.answers.enqueue(Answer::Yes);
        key(*w, Qt::Key_Delete, Qt::NoModifier);
        keep();
        QVERIFY(!states.constLast().contains("; written by hand"));
        // The empty section went with the comments; a tree built from the
        // file, as after a redo, no longer shows it.
        QCOMPARE(states.constLast(), QByteArray("[Net]\r\nport=9090\r\nproxy=none\r\n[Disp]\r\nw=1024\r\n"));
        rows.last() = QStringList{"Net", "  port", "  proxy", "Disp", "  w"};

        // Back step by step, to the commented original; the selected key stays.
        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("proxy"));
        for (qsizetype i = states.size() - 2; i >= 0; --i) {
            undo(*w);
            QCOMPARE(TestFolder::read(path), states[i]);
            QCOMPARE(windowtest::treeRows(*w), rows[i]);
            QVERIFY(w->menus()->redoAction()->isEnabled());
            QCOMPARE(w->menus()->undoAction()->isEnabled(), i > 0);
        }
        QCOMPARE(states[0], original);
        // The key added in the second step is gone: its section is selected.
        QCOMPARE(selectedText(*w), QStringLiteral("Net"));
        QCOMPARE(w->store()->value(QStringLiteral("Net"), QStringLiteral("port")), QStringLiteral("8080"));
        undo(*w);
        QCOMPARE(TestFolder::read(path), original);

        // And forward again, by both keys of Redo.
        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("host"));
        for (qsizetype i = 1; i < states.size(); ++i) {
            if (i % 2)
                redo(*w);
            else
                key(*w, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(TestFolder::read(path), states[i]);
            QCOMPARE(windowtest::treeRows(*w), rows[i]);
        }
        QVERIFY(!w->menus()->redoAction()->isEnabled());
        QCOMPARE(selectedText(*w), QStringLiteral("Net"));
        // Only the delete asked; no undo or redo did.
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("'host' Key")));
        // Each undo and redo was a write that kept what it replaced.
        const QList<FileVersion> versions = w->store()->history()->versions(path);
        QCOMPARE(versions.size(), 12);
        QCOMPARE(versions.constLast().command, QStringLiteral("redo delete key [Net] host"));
        QCOMPARE(w->store()->history()->contents(path, versions[4].number), states[4]);
        QCOMPARE(versions[4].command, QStringLiteral("undo delete key [Net] host"));
    }

    void anUndoOfAReadOnlyFileIsRefusedAndKeepsItsStep()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray original = "[A]\r\nk=1 ; one\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), original);
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("k"));
        editValue(*w, QStringLiteral("2"));
        const QByteArray edited = TestFolder::read(path);
        QCOMPARE(edited, QByteArray("[A]\r\nk=2\r\n"));
        const qsizetype versions = w->store()->history()->versions(path).size();

        TestFolder::makeReadOnly(path);
        undo(*w);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QString::number(errorNumber(ErrorKind::PathFileAccess))
                                          + QStringLiteral(" - Path/File access error: ") + path);
        QCOMPARE(TestFolder::read(path), edited);
        QCOMPARE(w->store()->history()->versions(path).size(), versions);
        QVERIFY(w->menus()->undoAction()->isEnabled());
        QVERIFY(!w->menus()->redoAction()->isEnabled());
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("2"));

        // Writable again, the same step is undone.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        undo(*w);
        QCOMPARE(TestFolder::read(path), original);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1 ; one"));
    }

    void anUndoOverAnotherProgramsChangeAsksFirst()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray original = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("app.ini"), original);
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("k"));
        editValue(*w, QStringLiteral("2"));
        const QByteArray edited = TestFolder::read(path);
        const QByteArray outside = edited + "other=3\r\n";
        dir.write(QStringLiteral("app.ini"), outside);

        ui.answers.enqueue(Answer::No);
        undo(*w);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("app.ini was changed by another program since your last edit. "
                                                     "Undo anyway and lose that change?"));
        QCOMPARE(ui.messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(TestFolder::read(path), outside);
        QVERIFY(w->menus()->undoAction()->isEnabled());
        QVERIFY(!w->menus()->redoAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("other")), 1000);

        ui.answers.enqueue(Answer::Yes);
        undo(*w);
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(TestFolder::read(path), original);
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  k"}));
        // What the undo left is on disk: the redo asks nothing.
        redo(*w);
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(TestFolder::read(path), edited);
    }

    void theTreesContextMenuOffersUndoAndRedo()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("k"));
        editValue(*w, QStringLiteral("2"));
        const QRect rect = w->tree()->nodeRect(windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("k")));
        const QPoint pos(rect.left() + 60, rect.center().y());
        auto rightClick = [&](const std::function<void(QMenu &)> &act) {
            bool ran = false;
            QTimer::singleShot(0, [&] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                act(*menu);
                ran = true;
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, w->tree()->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(w->tree()->viewport(), &event);
            QVERIFY(ran);
        };
        rightClick([&](QMenu &menu) {
            QCOMPARE(menu.actions().value(0), w->menus()->undoAction());
            QCOMPARE(menu.actions().value(1), w->menus()->redoAction());
            QVERIFY(menu.actions().value(2)->isSeparator());
            QVERIFY(menu.actions().value(0)->isEnabled());
            QVERIFY(!menu.actions().value(1)->isEnabled());
            QTest::keyClick(&menu, Qt::Key_U);
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n"));
        rightClick([&](QMenu &menu) {
            QVERIFY(!menu.actions().value(0)->isEnabled());
            QVERIFY(menu.actions().value(1)->isEnabled());
            QTest::keyClick(&menu, Qt::Key_R);
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=2\r\n"));
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_MAIN(TestMainWindowUndo)
#include "test_main_window_undo.moc"

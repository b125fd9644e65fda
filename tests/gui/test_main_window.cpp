#include "main_window.h"
#include "node_tree_view.h"
#include "splitter_bar.h"
#include "test_files.h"
#include "twips.h"
#include "value_list.h"
#include "window_test.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

// The main window driven through its real widgets: start-up, the tree, the
// value pane's in-place edit, closing, and the layout.
class TestMainWindow : public QObject {
    Q_OBJECT

    static constexpr const char *kSample =
        "[Net]\r\nhost=example.org\r\nport=8080\r\n[Empty]\r\n[Disp]\r\nw=1024\r\nh=\r\n";

    static std::unique_ptr<MainWindow> start(const QString &command) { return windowtest::start(command); }
    static QStringList treeRows(const MainWindow &w) { return windowtest::treeRows(w); }
    static qsizetype nodeByText(const MainWindow &w, const QString &section, const QString &key = QString())
    {
        return windowtest::nodeByText(w, section, key);
    }
    static void click(MainWindow &w, qsizetype node) { QVERIFY(windowtest::clickNode(w, node)); }

    // Opens the value item's editor with F2, types `text` and ends with `endKey`.
    static void editValue(MainWindow &w, const QString &text, Qt::Key endKey)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.valuePane()->setFocus();
        w.valuePane()->setCurrentItem(w.valuePane()->topLevelItem(0));
        QTest::keyClick(w.valuePane(), Qt::Key_F2);
        QVERIFY(w.valuePane()->isEditing());
        QVERIFY(w.editing());
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, endKey);
        // Return commits through a queued call.
        QTRY_VERIFY(!w.valuePane()->isEditing());
    }

private Q_SLOTS:

    void startsWithAWritableFile()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + path);
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(ui.dialogs.isEmpty());
        QCOMPARE(treeRows(*w), (QStringList{"Net", "  host", "  port", "Empty", "Disp", "  w", "  h"}));
        QCOMPARE(w->tree()->nodes().selectedNode(), 0);
        QCOMPARE(w->valuePane()->itemCount(), 0);
        QVERIFY(w->menus()->deleteSectionAction()->isEnabled());
        QVERIFY(w->menus()->deleteKeyAction()->isEnabled());

        // Later activations do nothing once a file is open.
        w->activate();
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + path);
        QVERIFY(ui.messages.isEmpty());
    }

    void theTreeModelStaysConsistent()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), "a=1\r\n[A]\r\nx=1\r\n[B]\r\n[A]\r\ny=2\r\n"));
        QVERIFY(w);
        QAbstractItemModelTester tester(w->tree()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(treeRows(*w), (QStringList{"", "A", "  x", "B", "  ", "  y"}));
        w->tree()->setNodeExpanded(nodeByText(*w, "A"), false);
        QCOMPARE(treeRows(*w), (QStringList{"", "A", "B", "  ", "  y"}));
        w->tree()->setNodeExpanded(nodeByText(*w, "A"), true);
        w->tree()->nodes().removeAt(nodeByText(*w, "B"));
        QCOMPARE(treeRows(*w), (QStringList{"", "A", "  x"}));
    }

    void startsWithoutAFileAndPromptsAgain()
    {
        ScriptedUi ui;
        auto w = start(QString());
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral("Invalid command line arguments:  File Not Found\r\nSource= clsINIRegistry: FileName"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(ui.dialogs.size(), 1);
        QCOMPARE(ui.messages[1].text, QStringLiteral("Filename is missing"));
        QCOMPARE(ui.messages[1].icon, MessageIcon::Critical);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor"));
        QCOMPARE(w->tree()->nodes().count(), 0);

        // The next activation asks again; this time a file is picked.
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("picked.ini"), kSample);
        ui.dialogAnswers.enqueue(path);
        w->activate();
        QCOMPARE(ui.dialogs.size(), 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + path);
        QCOMPARE(w->tree()->nodes().count(), 7);
    }

    void openFileAfterACancelledStart()
    {
        ScriptedUi ui;
        auto w = start(QString());
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 2);

        // Cancelled in the dialog: nothing changes.
        w->menus()->openAction()->trigger();
        QCOMPARE(ui.dialogs.size(), 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor"));

        TestFolder dir;
        QStringList paths;
        for (const char *name : {"one.ini", "two.ini", "three.ini"})
            paths << dir.write(QLatin1StringView(name), QByteArray("[") + name + "]\r\nk=v\r\n");
        for (const QString &path : paths) {
            ui.dialogAnswers.enqueue(path);
            w->menus()->openAction()->trigger();
            QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + path);
        }
        QCOMPARE(treeRows(*w), (QStringList{"three.ini", "  k"}));
        QCOMPARE(ui.dialogs[2].title, QStringLiteral("Open Configuration (INI) File"));
        QCOMPARE(ui.messages.size(), 2);

        // The store has a file now: activations leave it alone.
        w->activate();
        QCOMPARE(ui.dialogs.size(), 5);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + paths.last());
    }

    void openFileRebuildsTheTreeAndPointsOutReadOnly()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        click(*w, nodeByText(*w, "Net", "host"));
        QCOMPARE(w->valuePane()->itemCount(), 1);

        // The same file again shows what another program wrote meanwhile.
        dir.write(QStringLiteral("app.ini"), "[Other]\r\nx=1\r\n");
        TestFolder::makeReadOnly(path);
        ui.dialogAnswers.enqueue(path);
        w->menus()->openAction()->trigger();
        QCOMPARE(treeRows(*w), (QStringList{"Other", "  x"}));
        QCOMPARE(w->valuePane()->itemCount(), 0);
        QCOMPARE(w->tree()->nodes().selectedNode(), 0);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, path + QStringLiteral(" is read only"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + path);
    }

    // A file that passes the name test but cannot be read (reading this one
    // fails with an I/O error even for root): the file that was open stays
    // open, its name and its records read again from disk, and no later
    // activation asks for a file or loads the command line's.
    void aFailedOpenKeepsTheOpenFile()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        const QString other = dir.write(QStringLiteral("other.ini"), "[Other]\r\no=1\r\n");
        ui.dialogAnswers.enqueue(other);
        w->menus()->openAction()->trigger();
        QCOMPARE(treeRows(*w), (QStringList{"Other", "  o"}));
        const QByteArray changed = "[Other]\r\no=1\r\n[More]\r\nm=2\r\n";
        dir.write(QStringLiteral("other.ini"), changed);

        const QString unreadable = QStringLiteral("/proc/self/mem");
        ui.dialogAnswers.enqueue(unreadable);
        w->menus()->openAction()->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY2(ui.messages[0].text.contains(unreadable), qPrintable(ui.messages[0].text));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
        QVERIFY(w->store());
        QCOMPARE(w->store()->fileName(), other);
        QCOMPARE(w->store()->records()->count(), 4);
        QCOMPARE(treeRows(*w), (QStringList{"Other", "  o", "More", "  m"}));
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + other);

        // Closing the find dialog activates the window again: nothing is
        // asked and the file stays the one being edited.
        w->menus()->findAction()->trigger();
        QVERIFY(w->findDialog());
        w->findDialog()->cancelButton()->click();
        QTRY_VERIFY(!w->findDialog());
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.dialogs.size(), 2);
        QCOMPARE(w->store()->fileName(), other);
        QCOMPARE(treeRows(*w), (QStringList{"Other", "  o", "More", "  m"}));
        QCOMPARE(TestFolder::read(other), changed);
        QCOMPARE(TestFolder::read(path), QByteArray(kSample));
    }

    void startsWithAMissingOrEmptyFile()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.path(QStringLiteral("missing.ini")));
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.dialogs.size(), 1);
        QCOMPARE(ui.dialogs[0].title, QStringLiteral("Open Configuration (INI) File"));
        QCOMPARE(ui.messages[0].text, QStringLiteral("Filename is missing"));
        w.reset();

        // An empty file opens with an empty tree and no message.
        ScriptedUi quiet;
        const QString empty = dir.write(QStringLiteral("empty.ini"), "");
        w = start(empty);
        QVERIFY(w);
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + empty);
        QVERIFY(quiet.messages.isEmpty());
        QCOMPARE(w->tree()->nodes().count(), 0);
        w.reset(); // before the person it talks to goes
    }

    void aReadOnlyFileIsPointedOutOnce()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("ro.ini"), kSample);
        TestFolder::makeReadOnly(path);
        auto w = start(path);
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, path + QStringLiteral(" is read only"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QCOMPARE(w->tree()->nodes().count(), 7);
        w->activate();
        QCOMPARE(ui.messages.size(), 1);
    }

    void nodeClicksFillThePaneAndSwitchTheDeleteItems()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);

        click(*w, nodeByText(*w, "Net", "port"));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemKey(1), QStringLiteral("RegValue"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("8080"));
        QVERIFY(!w->menus()->deleteSectionAction()->isEnabled());
        QVERIFY(w->menus()->deleteKeyAction()->isEnabled());

        click(*w, nodeByText(*w, "Disp", "h"));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemText(1), QString());

        click(*w, nodeByText(*w, "Empty"));
        QCOMPARE(w->valuePane()->itemCount(), 0);
        QVERIFY(w->menus()->deleteSectionAction()->isEnabled());
        QVERIFY(!w->menus()->deleteKeyAction()->isEnabled());

        // Moving with the keyboard keeps the pane in step with the selection.
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_Down);
        QTest::keyClick(w->tree(), Qt::Key_Down);
        QCOMPARE(w->tree()->nodes().selectedNode(), nodeByText(*w, "Disp", "w"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1024"));
        QVERIFY(w->menus()->deleteKeyAction()->isEnabled());
    }

    void aPressReleasedElsewhereStillShowsItsNode()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        click(*w, nodeByText(*w, "Net", "host"));
        const QRect r = w->tree()->nodeRect(nodeByText(*w, "Disp", "w"));
        QTest::mousePress(w->tree()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 60, r.center().y()));
        QTest::mouseRelease(w->tree()->viewport(), Qt::LeftButton, {}, QPoint(-50, -50));
        QCOMPARE(w->tree()->nodes().selectedNode(), nodeByText(*w, "Disp", "w"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1024"));
        // So an edit goes to the key the tree shows selected.
        editValue(*w, QStringLiteral("800"), Qt::Key_Return);
        QCOMPARE(TestFolder::read(path),
                 QByteArray("[Net]\r\nhost=example.org\r\nport=8080\r\n[Empty]\r\n[Disp]\r\nw=800\r\nh=\r\n"));
    }

    void collapsingAnySectionEmptiesThePane()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);
        click(*w, nodeByText(*w, "Disp", "w"));
        QCOMPARE(w->valuePane()->itemCount(), 1);

        // A click on the branch arrow of another section collapses it.
        const qsizetype net = nodeByText(*w, "Net");
        const QRect r = w->tree()->nodeRect(net);
        QTest::mouseClick(w->tree()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 5, r.center().y()));
        QVERIFY(!w->tree()->nodes().isExpanded(net));
        QCOMPARE(w->valuePane()->itemCount(), 0);
        QCOMPARE(w->tree()->nodes().selectedNode(), nodeByText(*w, "Disp", "w"));
        QCOMPARE(treeRows(*w), (QStringList{"Net", "Empty", "Disp", "  w", "  h"}));

        // The keyboard opens it again.
        click(*w, net);
        QTest::keyClick(w->tree(), Qt::Key_Right);
        QVERIFY(w->tree()->nodes().isExpanded(net));
    }

    void treeLabelsAreNeverEdited()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        click(*w, nodeByText(*w, "Net", "host"));
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F2);
        QVERIFY(!w->tree()->findChild<QLineEdit *>());
        // F2 edits the key's value instead, in the value pane.
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QVERIFY(w->valuePane()->isAncestorOf(editor));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!w->editing());
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("app.ini"))), QByteArray(kSample));
    }

    void editingAValueWritesTheFile()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        const qsizetype port = nodeByText(*w, "Net", "port");
        click(*w, port);
        editValue(*w, QStringLiteral("9090"), Qt::Key_Return);
        QVERIFY(!w->editing());
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("9090"));
        QCOMPARE(TestFolder::read(path),
                 QByteArray("[Net]\r\nhost=example.org\r\nport=9090\r\n[Empty]\r\n[Disp]\r\nw=1024\r\nh=\r\n"));
        click(*w, nodeByText(*w, "Net", "host"));
        click(*w, port);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("9090"));

        // The empty text is a value like any other.
        editValue(*w, QString(), Qt::Key_Return);
        QCOMPARE(TestFolder::read(path),
                 QByteArray("[Net]\r\nhost=example.org\r\nport=\r\n[Empty]\r\n[Disp]\r\nw=1024\r\nh=\r\n"));
    }

    void abandonedEditsChangeNothing()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), "[Net]\r\nhost = example.org\r\n");
        auto w = start(path);
        QVERIFY(w);
        click(*w, nodeByText(*w, "Net", "host "));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral(" example.org"));

        editValue(*w, QStringLiteral("other"), Qt::Key_Escape);
        QVERIFY(!w->editing());
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral(" example.org"));

        // Committing the unchanged text rewrites nothing, not even the spacing.
        editValue(*w, QStringLiteral(" example.org"), Qt::Key_Return);
        QVERIFY(!w->editing());
        QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nhost = example.org\r\n"));
        QVERIFY(ui.messages.isEmpty());
    }

    void editingAReadOnlyFileRevertsThePane()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("ro.ini"), kSample);
        TestFolder::makeReadOnly(path);
        auto w = start(path);
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 1);
        const qsizetype host = nodeByText(*w, "Net", "host");
        click(*w, host);
        editValue(*w, QStringLiteral("changed"), Qt::Key_Return);
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(ui.messages[1].icon, MessageIcon::Warning);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("example.org"));
        QCOMPARE(TestFolder::read(path), QByteArray(kSample));
        QVERIFY(!w->editing());
        // The store keeps the new value in memory.
        click(*w, nodeByText(*w, "Net", "port"));
        click(*w, host);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("changed"));
    }

    void aFailedWriteIsReportedAndTheOldTextComesBack()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        auto w = start(path);
        QVERIFY(w);
        click(*w, nodeByText(*w, "Net", "host"));
        QFile::remove(path);
        editValue(*w, QStringLiteral("gone"), Qt::Key_Return);
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.startsWith(QStringLiteral("53 - ")));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
        // Not written: the pane shows the value the store and the file still hold.
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("example.org"));
        QVERIFY(!QFile::exists(path));
    }

    void closingIsRefusedWhileEditing()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);
        click(*w, nodeByText(*w, "Net", "host"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->valuePane()->setFocus();
        w->valuePane()->setCurrentItem(w->valuePane()->topLevelItem(0));
        QTest::keyClick(w->valuePane(), Qt::Key_F2);
        QVERIFY(w->editing());

        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QVERIFY(w->store());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w->editing());
        QVERIFY(w->close());
        QVERIFY(!w->store());
    }

    void resizeKeepsTheProportion()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);
        const WindowLayout &l = w->layoutTwips();
        const double ratio = l.bar.left / w->clientWidthTwips();
        QVERIFY(qAbs(ratio - 2325.0 / 4380.0) < 0.01);

        w->resize(w->width() * 2, w->height());
        QTRY_COMPARE(w->clientWidthTwips(), l.tree.width + l.bar.width + l.pane.width);
        QVERIFY(qAbs(l.bar.left / w->clientWidthTwips() - ratio) < 0.01);
        // The widgets stand where the layout says.
        QCOMPARE(w->tree()->width(), twipsToPixels(l.tree.width, w->logicalDpiX()));
        QCOMPARE(w->valuePane()->x(), twipsToPixels(l.pane.left, w->logicalDpiX()));
        QCOMPARE(w->valuePane()->height(), w->centralWidget()->height());
        QCOMPARE(w->valuePane()->columnWidth(0), twipsToPixels(l.pane.width - 100, w->logicalDpiX()));
    }

    void theSplitterDragsAndClamps()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("app.ini"), kSample));
        QVERIFY(w);
        const WindowLayout &l = w->layoutTwips();
        const int column = w->valuePane()->columnWidth(0);
        QCOMPARE(w->splitter()->cursor().shape(), Qt::SplitHCursor);

        // Other buttons do not start a drag.
        QTest::mousePress(w->splitter(), Qt::RightButton, {}, QPoint(1, 10));
        QVERIFY(!w->dragging());
        QTest::mouseRelease(w->splitter(), Qt::RightButton, {}, QPoint(1, 10));

        const double before = l.bar.left;
        QTest::mousePress(w->splitter(), Qt::LeftButton, {}, QPoint(1, 10));
        QVERIFY(w->dragging());
        QTest::mouseMove(w->splitter(), QPoint(-40, 10));
        QVERIFY(l.bar.left < before);
        QCOMPARE(w->tree()->width(), twipsToPixels(l.bar.left, w->logicalDpiX()));
        QTest::mouseMove(w->splitter(), QPoint(-10000, 10));
        QCOMPARE(l.bar.left, 0.0);
        QCOMPARE(w->tree()->width(), 0);
        QTest::mouseRelease(w->splitter(), Qt::LeftButton, {}, QPoint(20000, 10));
        QVERIFY(!w->dragging());
        QCOMPARE(l.bar.left, w->clientWidthTwips() - 45);
        QCOMPARE(w->valuePane()->width(), 0);
        QCOMPARE(w->valuePane()->columnWidth(0), column);

        // Moves after the release change nothing.
        QTest::mouseMove(w->splitter(), QPoint(-100, 10));
        QCOMPARE(l.bar.left, w->clientWidthTwips() - 45);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"

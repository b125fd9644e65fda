#include "add_entry_dialog.h"
#include "find_dialog.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "program_icon.h"
#include "qt_interaction.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>

namespace {
// A scripted person who also notes which cursor the program showed while
// each message was up.
class CursorWatchingUi : public WindowScriptedUi {
public:
    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        cursors << (cursor ? cursor->shape() : Qt::ArrowCursor);
        return WindowScriptedUi::messageBox(text, buttons, icon, title);
    }
    QList<Qt::CursorShape> cursors;
};

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(32).toImage();
}
} // namespace

// What the window offers beyond its menus, and how it looks: one row height,
// tooltips for cut-off texts, the tree's context menu, Enter, Delete and
// Ctrl+O, files dropped on it, the busy cursor, Find hits shown with their
// section, and the program's icon. Everything through real input where Qt
// can send it.
class TestMainWindowUsability : public QObject {
    Q_OBJECT

    static std::unique_ptr<MainWindow> start(const QString &path)
    {
        auto w = windowtest::start(path);
        if (w)
            w->tree()->setFocus();
        return w;
    }

    static void select(MainWindow &w, const QString &section, const QString &key = QString())
    {
        windowtest::select(w, section, key);
    }

    // The heights of every row the tree shows.
    static QSet<int> rowHeights(const MainWindow &w)
    {
        QSet<int> heights;
        const NodeCollection &nodes = w.tree()->nodes();
        for (int row = 0; row < nodes.rowCount(); ++row)
            heights << w.tree()->nodeRect(nodes.nodeAtRow(row)).height();
        return heights;
    }

    // Asks for a tooltip at the middle of `rect` of `view`; the text shown, or "" for none.
    static QString toolTipAt(QAbstractItemView *view, const QRect &rect)
    {
        // A hidden tooltip fades out for a moment before it is gone.
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("<a tooltip stayed up>");
        const QPoint pos(rect.left() + 4, rect.center().y());
        QHelpEvent event(QEvent::ToolTip, pos, view->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(view->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

private Q_SLOTS:

    void rowsHaveOneHeightThatFitsPicturesAndText()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"));
        QVERIFY(w);
        const QSet<int> before = rowHeights(*w);
        QCOMPARE(before.size(), 1);
        const int height = *before.begin();
        QVERIFY(height >= w->tree()->iconSize().height());
        QVERIFY(height >= w->tree()->fontMetrics().height());

        // A section without keys changes no row's height.
        ui.dialogAnswers.enqueue(dir.write(QStringLiteral("b.ini"), "[Empty]\r\n[A]\r\nx=1\r\n[Also]\r\n"));
        w->menus()->openAction()->trigger();
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"Empty", "A", "  x", "Also"}));
        QCOMPARE(rowHeights(*w), QSet<int>{height});
    }

    void cutOffTextsShowWholeInATooltip()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        const QString longKey(60, QLatin1Char('k'));
        const QString longValue = QStringLiteral("a value far too long for the pane ") + QString(80, QLatin1Char('v'));
        auto w = start(dir.write(QStringLiteral("a.ini"),
                                 "[A]\r\nk=1\r\n" + longKey.toLatin1() + "=" + longValue.toLatin1() + "\r\n"));
        QVERIFY(w);
        const qsizetype shortNode = windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("k"));
        const qsizetype longNode = windowtest::nodeByText(*w, QStringLiteral("A"), longKey);
        QCOMPARE(toolTipAt(w->tree(), w->tree()->nodeRect(longNode)), longKey);
        QCOMPARE(toolTipAt(w->tree(), w->tree()->nodeRect(shortNode)), QString());

        select(*w, QStringLiteral("A"), longKey);
        const QRect valueRect = w->valuePane()->visualItemRect(w->valuePane()->topLevelItem(0));
        QCOMPARE(toolTipAt(w->valuePane(), valueRect), longValue);
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        QCOMPARE(toolTipAt(w->valuePane(), w->valuePane()->visualItemRect(w->valuePane()->topLevelItem(0))), QString());
    }

    void theTreesContextMenuRunsTheEditCommands()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("x"));

        // A right press on another node selects it; the menu then acts on it.
        const QRect rect = w->tree()->nodeRect(windowtest::nodeByText(*w, QStringLiteral("A"), QStringLiteral("y")));
        const QPoint pos(rect.left() + 60, rect.center().y());
        QTest::mousePress(w->tree()->viewport(), Qt::RightButton, {}, pos);
        QList<QAction *> shown;
        bool separated = false;
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = menu->actions();
            // The separator belongs to the menu and goes with it.
            separated = shown.size() == 8 && shown[2]->isSeparator() && shown[5]->isSeparator();
            ui.answers.enqueue(Answer::Yes);
            w->menus()->deleteKeyAction()->trigger();
            menu->close();
            ran = true;
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, w->tree()->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(w->tree()->viewport(), &event);
        QVERIFY(ran);
        QCOMPARE(shown.size(), 8);
        QCOMPARE(shown[0], w->menus()->undoAction());
        QCOMPARE(shown[1], w->menus()->redoAction());
        QCOMPARE(shown[3], w->menus()->newMenu()->menuAction());
        QCOMPARE(shown[4], w->menus()->deleteMenu()->menuAction());
        QVERIFY(separated);
        QCOMPARE(shown[6], w->menus()->findAction());
        QCOMPARE(shown[7], w->menus()->findNextAction());
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("'y' Key")));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nx=1\r\n"));
    }

    void enterEditsDeleteDeletesCtrlOOpens()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("x"));

        QTest::keyClick(w->tree(), Qt::Key_Return);
        QVERIFY(w->editing());
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("42"));
        QTest::keyClick(editor, Qt::Key_Return);
        // Return commits through a queued call.
        QTRY_VERIFY(!w->editing());
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nx=42\r\ny=2\r\n[B]\r\nz=3\r\n"));

        w->tree()->setFocus();
        select(*w, QStringLiteral("B"));
        ui.answers.enqueue(Answer::Yes);
        QTest::keyClick(w->tree(), Qt::Key_Delete);
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.startsWith(QStringLiteral("You are about to delete the entire 'B' section")));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nx=42\r\ny=2\r\n"));

        const QString other = dir.write(QStringLiteral("b.ini"), "[Other]\r\nk=v\r\n");
        ui.dialogAnswers.enqueue(other);
        QTest::keyClick(w->tree(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(ui.dialogs.size(), 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + other);
    }

    void aDroppedFileIsOpened()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\n"));
        QVERIFY(w);
        const QString other = dir.write(QStringLiteral("b.ini"), "[Dropped]\r\nk=v\r\n");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        const QPoint pos = w->tree()->geometry().center();
        QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + other);
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"Dropped", "  k"}));

        // Two files at once, or no local file, are not taken.
        QMimeData two;
        two.setUrls({QUrl::fromLocalFile(other), QUrl::fromLocalFile(other)});
        QDragEnterEvent refused(pos, Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
        refused.ignore();
        QApplication::sendEvent(w.get(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void theBusyCursorShowsWhileLoadingAndGivesWayToQuestions()
    {
        // A load that fails shows its message while the load is still under way.
        CursorWatchingUi ui;
        auto w = start(QStringLiteral("/proc/self/mem"));
        QVERIFY(w);
        QTRY_VERIFY(!ui.cursors.isEmpty());
        QCOMPARE(ui.cursors.first(), Qt::WaitCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        w.reset();

        // The Qt boxes put the arrow back while they ask, and the busy cursor after.
        QtInteraction qt;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        Qt::CursorShape whileAsked = Qt::WaitCursor;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            whileAsked = QGuiApplication::overrideCursor()->shape();
            box->accept();
        });
        qt.messageBox(QStringLiteral("asked"), MessageButtons::Ok, MessageIcon::None, QString());
        QCOMPARE(whileAsked, Qt::ArrowCursor);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QGuiApplication::restoreOverrideCursor();
    }

    void aFindHitIsShownWithItsSection()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        QByteArray text;
        for (int s = 0; s < 60; ++s) {
            text += "[S" + QByteArray::number(s) + "]\r\n";
            for (int k = 0; k < 8; ++k)
                text += "k" + QByteArray::number(k) + "=" + (s == 45 && k == 7 ? "needle" : "v") + "\r\n";
        }
        auto w = start(dir.write(QStringLiteral("a.ini"), text));
        QVERIFY(w);
        w->menus()->findAction()->trigger();
        FindDialog *dialog = w->findDialog();
        QVERIFY(dialog);
        dialog->textEdit()->setText(QStringLiteral("needle"));
        dialog->findButton()->click();
        const qsizetype hit = windowtest::nodeByText(*w, QStringLiteral("S45"), QStringLiteral("k7"));
        QCOMPARE(w->tree()->nodes().selectedNode(), hit);
        const QRect viewport = w->tree()->viewport()->rect();
        QVERIFY(viewport.contains(w->tree()->nodeRect(hit)));
        QVERIFY(viewport.contains(w->tree()->nodeRect(windowtest::nodeByText(*w, QStringLiteral("S45")))));
    }

    void everyWindowCarriesTheProgramsIcon()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\n"));
        QVERIFY(w);
        const QImage icon = imageOf(programIcon());
        QVERIFY(!icon.isNull());
        QCOMPARE(imageOf(w->windowIcon()), icon);
        w->menus()->findAction()->trigger();
        QVERIFY(w->findDialog());
        QCOMPARE(imageOf(w->findDialog()->windowIcon()), icon);
        AddEntryDialog add(w.get(), ui, w->store());
        QCOMPARE(imageOf(add.windowIcon()), icon);
    }
};

QTEST_MAIN(TestMainWindowUsability)
#include "test_main_window_usability.moc"

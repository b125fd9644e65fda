#include "find_dialog.h"
#include "find_state.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// A person who lets go of the F3 key while a message box is up.
class ReleasingUi : public WindowScriptedUi {
public:
    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override
    {
        if (QWidget *focus = QApplication::focusWidget())
            QTest::keyRelease(focus, Qt::Key_F3);
        return WindowScriptedUi::messageBox(text, buttons, icon, title);
    }
};

// The find dialog, Find Next through the dialog, F3 and Edit > Next, the
// keys the main window catches, Exit and the About box.
class TestFindDialog : public QObject {
    Q_OBJECT

    static constexpr const char *kExample = "[General]\r\nName=Alpha\r\n[Other]\r\nMode=alpha beta\r\n";

    static std::unique_ptr<MainWindow> start(const QString &path)
    {
        auto w = windowtest::start(path);
        if (w)
            w->tree()->setFocus();
        return w;
    }

    static FindDialog *openFind(MainWindow &w)
    {
        w.menus()->findAction()->trigger();
        FindDialog *dialog = w.findDialog();
        if (dialog) {
            dialog->activateWindow();
            if (!QTest::qWaitFor([&] { return dialog->isActiveWindow(); }))
                return nullptr;
        }
        return dialog;
    }

    static QString selectedKey(const MainWindow &w)
    {
        const qsizetype n = w.tree()->nodes().selectedNode();
        return n ? w.tree()->nodes().key(n) : QString();
    }

private Q_SLOTS:
    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<FindDialog *>(widget))
                delete widget;
    }

    void aFreshDialog()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Find"));
        QVERIFY(!d->parentWidget());
        QVERIFY(!d->findButton()->isEnabled());
        QVERIFY(d->sectionsCheck()->isChecked() && d->keysCheck()->isChecked() && d->valuesCheck()->isChecked());
        QVERIFY(!d->wholeStringCheck()->isChecked() && !d->matchCaseCheck()->isChecked());
        QCOMPARE(d->wholeStringCheck()->text(), QStringLiteral("Match &whole sting only"));

        QTest::keyClicks(d->textEdit(), QStringLiteral("  "));
        QVERIFY(!d->findButton()->isEnabled());
        // Enter with a blank text runs nothing.
        QTest::keyClick(d->textEdit(), Qt::Key_Return);
        QVERIFY(ui.messages.isEmpty());
        QTest::keyClicks(d->textEdit(), QStringLiteral("x"));
        QVERIFY(d->findButton()->isEnabled());
        QTest::keyClick(d->textEdit(), Qt::Key_Backspace);
        QVERIFY(!d->findButton()->isEnabled());
        // Escape leaves the dialog where it is.
        QTest::keyClick(d->textEdit(), Qt::Key_Escape);
        QVERIFY(d->isVisible());
    }

    void hitsHideTheDialogAndF3GoesOn()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        QTest::keyClick(d->textEdit(), Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(w->findState().lastFoundId, 2);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("Alpha"));

        // F3 in the main window, with any modifier, while the dialog is hidden.
        QTest::keyClick(w->tree(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("alpha beta"));
        QVERIFY(!d->isVisible());

        w->menus()->findNextAction()->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Seaching has finished. Press F3 to find 'alpha' again"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QCOMPARE(w->findState().lastFoundId, 0);
        QVERIFY(!d->isVisible());

        QTest::keyClick(w->tree(), Qt::Key_F3, Qt::ControlModifier);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));

        // Ctrl+F brings the same dialog back with its text.
        QTest::keyClick(w->tree(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w->findDialog(), d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->textEdit()->text(), QStringLiteral("alpha"));
    }

    void oneF3IsOneRunEvenAcrossAMessageBox()
    {
        ReleasingUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        d->findButton()->click();
        w->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
        // The end of the run: one message, and the next run starts at the top.
        QTest::keyPress(w->tree(), Qt::Key_F3);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(w->findState().lastFoundId, 0);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
    }

    void aHitDuringAnEditEndsTheEdit()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), kExample);
        auto w = start(path);
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        d->findButton()->click();
        w->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        w->valuePane()->setFocus();
        w->valuePane()->setCurrentItem(w->valuePane()->topLevelItem(0));
        QTest::keyClick(w->valuePane(), Qt::Key_F2);
        QVERIFY(w->editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
        QVERIFY(!w->editing());
        QCOMPARE(TestFolder::read(path), QByteArray(kExample));
        QVERIFY(w->close());
    }

    void aSectionHitShowsTheSectionNode()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        d->keysCheck()->setChecked(false);
        d->valuesCheck()->setChecked(false);
        QTest::keyClicks(d->textEdit(), QStringLiteral("Other"));
        d->findButton()->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("RootKey=3"));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemKey(1), QStringLiteral("RegValue"));
        QCOMPARE(w->valuePane()->itemText(1), QString());
    }

    void notFoundAndTheCaseBox()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("zeta"));
        d->findButton()->click();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("'zeta' not found"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Warning);
        QVERIFY(d->isVisible());

        // After a hit, two clicks on the case box leave the option but restart at the top.
        d->textEdit()->setText(QStringLiteral("alpha"));
        d->findButton()->click();
        QCOMPARE(w->findState().lastFoundId, 2);
        w->menus()->findAction()->trigger();
        QTest::mouseClick(d->matchCaseCheck(), Qt::LeftButton);
        QTest::mouseClick(d->matchCaseCheck(), Qt::LeftButton);
        QVERIFY(!d->matchCaseCheck()->isChecked());
        QCOMPARE(w->findState().lastFoundId, 0);
        d->findButton()->click();
        QCOMPARE(w->findState().lastFoundId, 2);
    }

    void cancelForgetsTheDialogButNotTheLastHit()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        // Before the dialog was ever opened F3 and Next do nothing.
        QTest::keyClick(w->tree(), Qt::Key_F3);
        w->menus()->findNextAction()->trigger();
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(w->tree()->nodes().selectedNode(), 0);

        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        d->findButton()->click();
        w->menus()->findAction()->trigger();
        QPointer<FindDialog> gone = d;
        d->cancelButton()->click();
        QTRY_VERIFY(!gone);
        QVERIFY(!w->findDialog());
        QTest::keyClick(w->tree(), Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));

        // A new dialog starts empty, yet goes on behind the old hit.
        d = openFind(*w);
        QCOMPARE(d->textEdit()->text(), QString());
        QVERIFY(d->sectionsCheck()->isChecked());
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        d->findButton()->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
    }

    void aHitAfterADeletionSelectsItsOwnNode()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=target\r\n"));
        QVERIFY(w);
        // Delete y: the node of z moves to position 4, its record keeps ID 5.
        NodeCollection &nodes = w->tree()->nodes();
        nodes.setSelectedNode(nodes.indexOf(QStringLiteral("TreeKey=3")));
        ui.answers.enqueue(Answer::Yes);
        w->deleteKey();
        QCOMPARE(nodes.count(), 4);
        FindDialog *d = openFind(*w);
        QTest::keyClicks(d->textEdit(), QStringLiteral("target"));
        d->findButton()->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=5"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("target"));
    }

    void exitEndsTheProgramWithTheDialogOpen()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        QVERIFY(openFind(*w));
        bool ended = false;
        QTimer::singleShot(0, w.get(), [&] { w->menus()->exitAction()->trigger(); });
        // A watchdog, in case Exit did not end the loop.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        ended = QApplication::exec() == 0;
        QVERIFY(ended);
        // Exit asks nothing and runs no unload handling.
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(w->store());
    }

    void theAboutBox()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        w->menus()->aboutAction()->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].title, QStringLiteral("About Us"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Information);
        const QStringList lines = ui.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Larkspur " LARKSPUR_VERSION));
        QVERIFY(lines[1].isEmpty() && lines[4].isEmpty());
        QVERIFY(!lines[2].isEmpty() && !lines[3].isEmpty());
        QVERIFY(lines[5].contains(QLatin1Char('@')));
    }
};

QTEST_MAIN(TestFindDialog)
#include "test_find_dialog.moc"

#include "find_state.h"
#include "frm_find.h"
#include "frm_ini.h"
#include "g_registry.h"
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
    int messageBox(const QString &text, int style, const QString &title) override
    {
        if (QWidget *focus = QApplication::focusWidget())
            QTest::keyRelease(focus, Qt::Key_F3);
        return WindowScriptedUi::messageBox(text, style, title);
    }
};

// The find dialog, Find Next through the dialog, F3 and Edit > Next, the
// keys the main window catches, Exit and the About box.
class TestFrmFind : public QObject {
    Q_OBJECT

    static constexpr const char *kExample = "[General]\r\nName=Alpha\r\n[Other]\r\nMode=alpha beta\r\n";

    static std::unique_ptr<frmINI> start(const QString &path)
    {
        auto w = windowtest::start(path);
        if (w)
            w->tvw->setFocus();
        return w;
    }

    static frmFind *openFind(frmINI &w)
    {
        w.mnuFind->trigger();
        frmFind *dialog = w.findDialog();
        if (dialog) {
            dialog->activateWindow();
            if (!QTest::qWaitFor([&] { return dialog->isActiveWindow(); }))
                return nullptr;
        }
        return dialog;
    }

    static QString selectedKey(const frmINI &w)
    {
        const qsizetype n = w.tvw->Nodes().SelectedItem();
        return n ? w.tvw->Nodes().Key(n) : QString();
    }

private Q_SLOTS:
    void cleanup()
    {
        gRegistry.reset();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<frmFind *>(widget))
                delete widget;
    }

    void aFreshDialog()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        frmFind *d = openFind(*w);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Find"));
        QVERIFY(!d->parentWidget());
        QVERIFY(!d->btnFind->isEnabled());
        QVERIFY(d->chkSection->isChecked() && d->chkKey->isChecked() && d->chkValue->isChecked());
        QVERIFY(!d->chkMatchString->isChecked() && !d->chkMatchCase->isChecked());
        QCOMPARE(d->chkMatchString->text(), QStringLiteral("Match &whole sting only"));

        QTest::keyClicks(d->txtString, QStringLiteral("  "));
        QVERIFY(!d->btnFind->isEnabled());
        // Enter with a blank text runs nothing.
        QTest::keyClick(d->txtString, Qt::Key_Return);
        QVERIFY(ui.messages.isEmpty());
        QTest::keyClicks(d->txtString, QStringLiteral("x"));
        QVERIFY(d->btnFind->isEnabled());
        QTest::keyClick(d->txtString, Qt::Key_Backspace);
        QVERIFY(!d->btnFind->isEnabled());
        // Escape leaves the dialog where it is.
        QTest::keyClick(d->txtString, Qt::Key_Escape);
        QVERIFY(d->isVisible());
    }

    void hitsHideTheDialogAndF3GoesOn()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("alpha"));
        QTest::keyClick(d->txtString, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(w->findState().LastFoundID, 2);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("Alpha"));

        // F3 in the main window, with any modifier, while the dialog is hidden.
        QTest::keyClick(w->tvw, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("alpha beta"));
        QVERIFY(!d->isVisible());

        w->mnuNext->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Seaching has finished. Press F3 to find 'alpha' again"));
        QCOMPARE(ui.messages[0].style, 64);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QCOMPARE(w->findState().LastFoundID, 0);
        QVERIFY(!d->isVisible());

        QTest::keyClick(w->tvw, Qt::Key_F3, Qt::ControlModifier);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));

        // Ctrl+F brings the same dialog back with its text.
        QTest::keyClick(w->tvw, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w->findDialog(), d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->txtString->text(), QStringLiteral("alpha"));
    }

    void oneF3IsOneRunEvenAcrossAMessageBox()
    {
        ReleasingUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("alpha"));
        d->btnFind->click();
        w->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        w->tvw->setFocus();
        QTest::keyClick(w->tvw, Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
        // The end of the run: one message, and the next run starts at the top.
        QTest::keyPress(w->tvw, Qt::Key_F3);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(w->findState().LastFoundID, 0);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
    }

    void aHitDuringAnEditEndsTheEdit()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), kExample);
        auto w = start(path);
        QVERIFY(w);
        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("alpha"));
        d->btnFind->click();
        w->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        w->lvw->setFocus();
        w->lvw->setCurrentItem(w->lvw->topLevelItem(0));
        QTest::keyClick(w->lvw, Qt::Key_F2);
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
        frmFind *d = openFind(*w);
        d->chkKey->setChecked(false);
        d->chkValue->setChecked(false);
        QTest::keyClicks(d->txtString, QStringLiteral("Other"));
        d->btnFind->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("RootKey=3"));
        QCOMPARE(w->lvw->itemCount(), 1);
        QCOMPARE(w->lvw->itemKey(1), QStringLiteral("RegValue"));
        QCOMPARE(w->lvw->itemText(1), QString());
    }

    void notFoundAndTheCaseBox()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("zeta"));
        d->btnFind->click();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("'zeta' not found"));
        QCOMPARE(ui.messages[0].style, 48);
        QVERIFY(d->isVisible());

        // After a hit, two clicks on the case box leave the option but restart at the top.
        d->txtString->setText(QStringLiteral("alpha"));
        d->btnFind->click();
        QCOMPARE(w->findState().LastFoundID, 2);
        w->mnuFind->trigger();
        QTest::mouseClick(d->chkMatchCase, Qt::LeftButton);
        QTest::mouseClick(d->chkMatchCase, Qt::LeftButton);
        QVERIFY(!d->chkMatchCase->isChecked());
        QCOMPARE(w->findState().LastFoundID, 0);
        d->btnFind->click();
        QCOMPARE(w->findState().LastFoundID, 2);
    }

    void cancelForgetsTheDialogButNotTheLastHit()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        // Before the dialog was ever opened F3 and Next do nothing.
        QTest::keyClick(w->tvw, Qt::Key_F3);
        w->mnuNext->trigger();
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(w->tvw->Nodes().SelectedItem(), 0);

        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("alpha"));
        d->btnFind->click();
        w->mnuFind->trigger();
        QPointer<frmFind> gone = d;
        d->btnCancel->click();
        QTRY_VERIFY(!gone);
        QVERIFY(!w->findDialog());
        QTest::keyClick(w->tvw, Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=2"));

        // A new dialog starts empty, yet goes on behind the old hit.
        d = openFind(*w);
        QCOMPARE(d->txtString->text(), QString());
        QVERIFY(d->chkSection->isChecked());
        QTest::keyClicks(d->txtString, QStringLiteral("alpha"));
        d->btnFind->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=4"));
    }

    void aHitAfterADeletionSelectsItsOwnNode()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=target\r\n"));
        QVERIFY(w);
        // Delete y: the node of z moves to position 4, its record keeps ID 5.
        NodeCollection &nodes = w->tvw->Nodes();
        nodes.setSelectedItem(nodes.Find(QStringLiteral("TreeKey=3")));
        ui.answers.enqueue(vbYes);
        w->mnuDelKey_Click();
        QCOMPARE(nodes.Count(), 4);
        frmFind *d = openFind(*w);
        QTest::keyClicks(d->txtString, QStringLiteral("target"));
        d->btnFind->click();
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=5"));
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("target"));
    }

    void exitEndsTheProgramWithTheDialogOpen()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        QVERIFY(openFind(*w));
        bool ended = false;
        QTimer::singleShot(0, w.get(), [&] { w->mnuExit->trigger(); });
        // A watchdog, in case Exit did not end the loop.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        ended = QApplication::exec() == 0;
        QVERIFY(ended);
        // Exit asks nothing and runs no unload handling.
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(gRegistry);
    }

    void theAboutBox()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kExample));
        QVERIFY(w);
        w->mnuAbout->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].title, QStringLiteral("About Us"));
        QCOMPARE(ui.messages[0].style, 64);
        const QStringList lines = ui.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Larkspur " LARKSPUR_VERSION));
        QVERIFY(lines[1].isEmpty() && lines[4].isEmpty());
        QVERIFY(!lines[2].isEmpty() && !lines[3].isEmpty());
        QVERIFY(lines[5].contains(QLatin1Char('@')));
    }
};

QTEST_MAIN(TestFrmFind)
#include "test_frm_find.moc"

#include "add_entry_dialog.h"
#include "find_dialog.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "qt_interaction.h"
#include "test_files.h"
#include "twips.h"
#include "value_list.h"
#include "window_test.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QWindow>
#include <QtTest>

#include <functional>

namespace {

// The person at the screen with Qt's own open dialog: each dialog the window
// shows gets the next scripted step, then Cancel if it is still up; message
// boxes are recorded and answered as the scripted person answers them.
class DialogPerson : public WindowScriptedUi {
public:
    using Step = std::function<void(QFileDialog &)>;

    QString openFileDialog(const OpenFileRequest &request) override
    {
        dialogs.append(request);
        const Step step = steps.isEmpty() ? Step() : steps.dequeue();
        QTimer::singleShot(0, qApp, [this, step] {
            QFileDialog *dialog = nullptr;
            const bool shown = QTest::qWaitFor(
                [&] { return (dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) != nullptr; });
            if (!shown) {
                // Nothing to answer: any file dialog that is up goes, so that no test waits for ever.
                ++unanswered;
                for (QWidget *widget : QApplication::topLevelWidgets())
                    if (auto *other = qobject_cast<QFileDialog *>(widget); other && other->isVisible())
                        other->reject();
                return;
            }
            const QPointer<QFileDialog> guard(dialog);
            // The offscreen platform activates no window by itself.
            dialog->activateWindow();
            if (!QTest::qWaitFor([&] { return guard && guard->isActiveWindow(); }))
                ++unanswered;
            else if (step)
                step(*dialog);
            if (guard && guard->isVisible())
                guard->reject();
        });
        return QtInteraction().openFileDialog(request);
    }

    QQueue<Step> steps;
    // Dialogs that never came up or never became active.
    int unanswered = 0;
};

// Types `path` into the dialog's file name box and presses Enter.
DialogPerson::Step typeName(const QString &path)
{
    return [path](QFileDialog &dialog) {
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->clear();
        QTest::keyClicks(name, path);
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
    };
}

// Clicks the dialog's Cancel button.
void clickCancel(QFileDialog &dialog)
{
    const auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
}

// Every record of the store as "section|key|value", in order.
QStringList storeRecords(const MainWindow &w)
{
    QStringList out;
    if (!w.store())
        return out;
    for (IniRecord *record : *w.store()->records())
        out << record->section() + u'|' + record->key() + u'|' + record->value();
    return out;
}

} // namespace

// Behaviours of the main window that cut across its commands: a refused name
// in File > Open, the find state across files, failed writes from the Edit
// menu, the layout while minimised, and closing with the find dialog loaded.
class TestMainWindowBehaviours : public QObject {
    Q_OBJECT

    static constexpr const char *kSample = "[Net]\r\nhost=example.org\r\nport=8080\r\n[Disp]\r\nw=1024\r\n";

    static std::unique_ptr<MainWindow> start(const QString &path) { return windowtest::start(path); }
    static QStringList treeRows(const MainWindow &w) { return windowtest::treeRows(w); }
    static void select(MainWindow &w, const QString &section, const QString &key = QString())
    {
        windowtest::select(w, section, key);
    }
    static QString selectedKey(const MainWindow &w)
    {
        const qsizetype n = w.tree()->nodes().selectedNode();
        return n ? w.tree()->nodes().key(n) : QString();
    }

    // Edit > Find, the dialog active and ready for typing.
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

private Q_SLOTS:
    void initTestCase()
    {
        // Qt's file dialog remembers its state in the user's settings; keep
        // test runs out of the real ones.
        QStandardPaths::setTestModeEnabled(true);
    }

    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<FindDialog *>(widget))
                delete widget;
    }

    void openWithARefusedNameAsksAgainAndCancelKeepsTheFile()
    {
        DialogPerson ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kSample);
        // Qt's dialog refuses a missing name itself and stays open; a hidden
        // file gets past it, and the store's name test refuses it.
        const QString hidden = dir.write(QStringLiteral(".hidden.ini"), "[Other]\r\nx=1\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("Net"), QStringLiteral("port"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("8080"));
        const QString caption = w->windowTitle();
        const QStringList rows = treeRows(*w);
        const QStringList records = storeRecords(*w);

        ui.steps << typeName(hidden) << clickCancel;
        w->menus()->openAction()->trigger();
        QCOMPARE(ui.unanswered, 0);
        QVERIFY(ui.steps.isEmpty());
        // The first dialog is File > Open's, the second the store's own.
        QCOMPARE(ui.dialogs.size(), 2);
        for (const OpenFileRequest &request : ui.dialogs)
            QCOMPARE(request.title, QStringLiteral("Open Configuration (INI) File"));
        QVERIFY(ui.messages.isEmpty());

        QCOMPARE(w->store()->fileName(), path);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(treeRows(*w), rows);
        QCOMPARE(storeRecords(*w), records);
        // The current file is read again, so the tree is built anew: no
        // node is selected and the value pane is empty.
        QCOMPARE(w->tree()->nodes().selectedNode(), 0);
        QCOMPARE(w->valuePane()->itemCount(), 0);
        QCOMPARE(TestFolder::read(path), QByteArray(kSample));
    }

    void theLastHitSurvivesOpeningAnotherFile()
    {
        DialogPerson ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[General]\r\nName=Alpha\r\n[Other]\r\nMode=alpha beta\r\n"));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QVERIFY(d);
        QTest::keyClicks(d->textEdit(), QStringLiteral("alpha"));
        QTest::keyClick(d->textEdit(), Qt::Key_Return);
        QCOMPARE(w->findState().lastFoundId, 2);
        QVERIFY(!d->isVisible());

        // Records 2, 3 and 4 of the other file all hold the text.
        const QString other =
            dir.write(QStringLiteral("b.ini"), "[X]\r\na=alpha one\r\nb=alpha two\r\nc=alpha three\r\n");
        ui.steps << typeName(other);
        w->menus()->openAction()->trigger();
        QCOMPARE(ui.unanswered, 0);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + other);
        QCOMPARE(w->findState().lastFoundId, 2);
        QCOMPARE(w->findDialog(), d);

        // F3 goes on behind ID 2: record 2 of the new file is passed over.
        w->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F3);
        QCOMPARE(selectedKey(*w), QStringLiteral("TreeKey=3"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("alpha two"));
        QCOMPARE(w->findState().lastFoundId, 3);
        QVERIFY(ui.messages.isEmpty());
    }

    void aSectionLineThatCannotBeWrittenIsReportedAndTheDialogCloses()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        TestFolder::makeReadOnly(path);

        bool typed = false;
        bool closedByItself = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->activateWindow();
            QTRY_VERIFY(dialog->isActiveWindow());
            QTest::keyClicks(dialog->sectionEdit(), QStringLiteral("New"));
            QTest::keyClick(dialog->sectionEdit(), Qt::Key_Return);
            typed = true;
            closedByItself = !dialog->isVisible();
            if (!closedByItself)
                dialog->cancelButton()->click();
        });
        w->menus()->newSectionAction()->trigger();
        QVERIFY(typed);
        QVERIFY(closedByItself);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Permission denied: ") + path);
        QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(TestFolder::read(path), text);
        // Not in the file, so neither in the store nor in the tree.
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(storeRecords(*w), (QStringList{"A||", "A|k|1"}));
    }

    void deletingAKeyOfAReadOnlyFileLeavesTheFileAsItWas()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "; note\r\n[A]\r\nk=1\r\nj=2\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        TestFolder::makeReadOnly(path);
        auto w = start(path);
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, path + QStringLiteral(" is read only"));
        select(*w, QStringLiteral("A"), QStringLiteral("k"));

        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(ui.messages.size(), 3);
        QCOMPARE(ui.messages[2].text, QStringLiteral("75 - Path/File access error: ") + path);
        QCOMPARE(ui.messages[2].icon, MessageIcon::Critical);
        QCOMPARE(TestFolder::read(path), text);
        // Refused before any backup was made.
        QVERIFY(!QFileInfo::exists(dir.path(QStringLiteral("a.old"))));
        // Store, tree and pane stay as the file is.
        QCOMPARE(storeRecords(*w), (QStringList{"A||", "A|k|1", "A|j|2"}));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  j"}));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1"));
    }

    void theLayoutWaitsWhileTheWindowIsMinimised()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kSample));
        QVERIFY(w);
        const WindowLayout &l = w->layoutTwips();
        const double tree = l.tree.width;
        const double pane = l.pane.width;
        const int treePixels = w->tree()->width();
        const QSize client = w->centralWidget()->size();
        const QSize size = w->size();
        QVERIFY(treePixels > 0);

        // Minimised, a window has no client area on some desktops, and gets
        // its size back when restored. The offscreen platform keeps both, so
        // the test plays the desktop's part. Laid out for no width, the tree
        // would have none after the restore.
        w->showMinimized();
        QTRY_VERIFY(w->isMinimized());
        w->resize(1, 1);
        w->centralWidget()->resize(0, 0);
        QCOMPARE(l.tree.width, tree);
        QCOMPARE(l.pane.width, pane);
        QCOMPARE(w->tree()->width(), treePixels);

        w->showNormal();
        QTRY_VERIFY(!w->isMinimized());
        w->resize(size);
        QTRY_COMPARE(w->centralWidget()->size(), client);
        QCOMPARE(l.tree.width, tree);
        QCOMPARE(w->tree()->width(), treePixels);
        QCOMPARE(w->valuePane()->x(), twipsToPixels(l.pane.left, w->logicalDpiX()));
        QCOMPARE(w->valuePane()->width(), twipsToPixels(pane, w->logicalDpiX()));
    }

    void closingTheWindowEndsTheProgramWithTheFindDialogLoaded_data()
    {
        QTest::addColumn<bool>("afterAHit");
        QTest::newRow("dialog shown") << false;
        QTest::newRow("dialog hidden after a hit") << true;
    }

    void closingTheWindowEndsTheProgramWithTheFindDialogLoaded()
    {
        QFETCH(bool, afterAHit);
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), kSample));
        QVERIFY(w);
        FindDialog *d = openFind(*w);
        QVERIFY(d);
        if (afterAHit) {
            QTest::keyClicks(d->textEdit(), QStringLiteral("example"));
            QTest::keyClick(d->textEdit(), Qt::Key_Return);
            QCOMPARE(w->findState().lastFoundId, 2);
        }
        QCOMPARE(d->isVisible(), !afterAHit);

        // The close box: the desktop asks the window to close.
        QTimer::singleShot(0, w.get(), [&] { w->windowHandle()->close(); });
        // In case the close does not end the loop.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!w->isVisible());
        // The window's unload ran: the store is gone.
        QVERIFY(!w->store());
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_MAIN(TestMainWindowBehaviours)
#include "test_main_window_behaviours.moc"

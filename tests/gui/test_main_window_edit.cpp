#include "add_entry_dialog.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The Edit menu's New and Delete commands through the real window and add
// dialog, with scripted answers to every question.
class TestMainWindowEdit : public QObject {
    Q_OBJECT

    static std::unique_ptr<MainWindow> start(const QString &path) { return windowtest::start(path); }
    static QStringList treeRows(const MainWindow &w) { return windowtest::treeRows(w); }

    static void select(MainWindow &w, const QString &section, const QString &key = QString())
    {
        windowtest::select(w, section, key);
    }

    // Runs `act` on the add dialog once it is up; `trigger` opens it.
    static void withDialog(QAction *trigger, const std::function<void(AddEntryDialog &)> &act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // The offscreen platform activates no window by itself.
            dialog->activateWindow();
            QTRY_VERIFY(dialog->isActiveWindow());
            act(*dialog);
            ran = true;
            // Whatever the test left open is closed with nothing added.
            if (dialog->isVisible())
                dialog->cancelButton()->click();
        });
        trigger->trigger();
        QVERIFY(ran);
    }

    static QString confirmDeleteKey(const QString &key, const QString &section)
    {
        return QStringLiteral("You are about to delete the '") + key + QStringLiteral("' Key from '") + section
               + QStringLiteral("' section\r\n\r\nDo you want to continue?");
    }

private Q_SLOTS:

    void newSectionThroughTheDialog()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1");
        auto w = start(path);
        QVERIFY(w);
        withDialog(w->menus()->newSectionAction(), [](AddEntryDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Add Section"));
            QVERIFY(d.sectionEdit()->isEnabled());
            QVERIFY(!d.keyEdit()->isEnabled());
            QVERIFY(!d.valueEdit()->isEnabled());
            QCOMPARE(d.keyEdit()->palette().color(QPalette::Base), d.palette().color(QPalette::Button));
            QCOMPARE(d.sectionLabel()->text(), QStringLiteral("Section:"));
            QCOMPARE(QApplication::focusWidget(), d.sectionEdit());
            // A blank name: Enter does nothing and the dialog stays.
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("   "));
            QTest::keyClick(d.sectionEdit(), Qt::Key_Return);
            QVERIFY(d.isVisible());
            // Escape does nothing either.
            QTest::keyClick(d.sectionEdit(), Qt::Key_Escape);
            QVERIFY(d.isVisible());
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("New  "));
            QTest::keyClick(d.sectionEdit(), Qt::Key_Return);
            QVERIFY(!d.isVisible());
        });
        // The last line gets its line end before the header goes on.
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[New]\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "New"}));
        const qsizetype added = w->tree()->nodes().count();
        QCOMPARE(w->tree()->nodes().key(added), QStringLiteral("RootKey=3"));
        QCOMPARE(w->store()->records()->count(), 3);
        QVERIFY(ui.messages.isEmpty());

        // A key for the section that exists in the file only as its header.
        select(*w, QStringLiteral("New"));
        withDialog(w->menus()->newKeyAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.keyEdit(), QStringLiteral("x"));
            QTest::keyClicks(d.valueEdit(), QStringLiteral(" 1 "));
            d.okButton()->click();
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[New]\r\nx= 1 \r\n"));
    }

    void cancelAndTheCloseBoxAddNothing()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        withDialog(w->menus()->newSectionAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("B"));
            d.cancelButton()->click();
        });
        withDialog(w->menus()->newSectionAction(), [](AddEntryDialog &d) {
            // A fresh dialog: nothing of the last one is left.
            QCOMPARE(d.sectionEdit()->text(), QString());
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("B"));
            d.close();
        });
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(w->store()->records()->count(), 2);
    }

    void newKeyGoesUnderTheSelectedSection()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        withDialog(w->menus()->newKeyAction(), [](AddEntryDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Add Key"));
            QCOMPARE(d.sectionEdit()->text(), QStringLiteral("A"));
            QVERIFY(!d.sectionEdit()->isEnabled());
            QCOMPARE(QApplication::focusWidget(), d.keyEdit());
            QTest::keyClicks(d.keyEdit(), QStringLiteral(" new "));
            QTest::keyClicks(d.valueEdit(), QStringLiteral("v"));
            QTest::keyClick(d.valueEdit(), Qt::Key_Enter);
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\nnew=v\r\n[B]\r\nj=2\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  new", "B", "  j"}));

        // A key that exists already (letter case ignored): one line in the
        // file with the new value, two nodes in the tree.
        select(*w, QStringLiteral("B"));
        withDialog(w->menus()->newKeyAction(), [](AddEntryDialog &d) {
            QCOMPARE(d.sectionEdit()->text(), QStringLiteral("B"));
            QTest::keyClicks(d.keyEdit(), QStringLiteral("J"));
            QTest::keyClicks(d.valueEdit(), QStringLiteral("3"));
            d.okButton()->click();
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\nnew=v\r\n[B]\r\nj=3\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  new", "B", "  j", "  J"}));
        const RecordList &records = *w->store()->records();
        QCOMPARE(records.at(4)->value(), QStringLiteral("3"));
        QCOMPARE(records.at(records.count())->value(), QString());
    }

    void newKeyOnAReadOnlyFileLeavesNoRecordAndNoNode()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        TestFolder::makeReadOnly(path);
        auto w = start(path);
        QVERIFY(w);
        QTRY_COMPARE(ui.messages.size(), 1);
        select(*w, QStringLiteral("A"));
        withDialog(w->menus()->newKeyAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.keyEdit(), QStringLiteral("j"));
            d.okButton()->click();
        });
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(TestFolder::read(path), text);
        // Not in the file, so neither in the store nor in the tree.
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(w->store()->records()->count(), 2);
        QCOMPARE(w->store()->findRecord(QStringLiteral("A"), QStringLiteral("j")), 0);

        // A name the section has already (letter case ignored): nothing
        // changes, the key keeps its value in the store and on screen.
        select(*w, QStringLiteral("A"));
        withDialog(w->menus()->newKeyAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.keyEdit(), QStringLiteral("K"));
            QTest::keyClicks(d.valueEdit(), QStringLiteral("2"));
            d.okButton()->click();
        });
        QCOMPARE(ui.messages.size(), 3);
        QCOMPARE(ui.messages[2].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(w->store()->records()->count(), 2);
        QCOMPARE(w->store()->value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1"));
    }

    void aKeyThatCannotBeWrittenIsRefusedBeforeAnythingChanges()
    {
        ScriptedUi ui;
        TestFolder dir;
        // Not UTF-8, so Windows-1252: it holds "€" but not "ā".
        const QByteArray text = "[A]\r\nk=caf\xE9\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"));
        const QList<std::pair<QString, QString>> refused{
            {QStringLiteral("[x"), QStringLiteral("y]")},
            {QStringLiteral("a=b"), QStringLiteral("v")},
            {QString::fromUtf8("\xC4\x81k"), QStringLiteral("v")},
            {QStringLiteral("k2"), QString::fromUtf8("\xE2\x82\xAC\xC4\x81")},
        };
        for (const auto &[key, value] : refused) {
            ui.messages.clear();
            withDialog(w->menus()->newKeyAction(), [&](AddEntryDialog &d) {
                // Typed keys reach the test only as Latin-1.
                d.keyEdit()->setText(key);
                d.valueEdit()->setText(value);
                d.okButton()->click();
                QVERIFY(d.isVisible());
                QCOMPARE(ui.messages.size(), 1);
                QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
            });
            QCOMPARE(TestFolder::read(path), text);
            QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
            QCOMPARE(w->store()->records()->count(), 2);
        }
        // What the file can hold goes in.
        withDialog(w->menus()->newKeyAction(), [&](AddEntryDialog &d) {
            QTest::keyClicks(d.keyEdit(), QStringLiteral("p"));
            d.valueEdit()->setText(QString::fromUtf8("\xE2\x82\xAC"));
            d.okButton()->click();
        });
        QCOMPARE(TestFolder::read(path), text + "p=\x80\r\n");
    }

    void commandsWithoutASelection()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n"));
        QVERIFY(w);
        const QString failure = QStringLiteral("91 - Object variable or With block variable not set");
        w->menus()->newKeyAction()->trigger();
        w->menus()->deleteKeyAction()->trigger();
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(ui.messages.size(), 3);
        for (const auto &m : ui.messages) {
            QCOMPARE(m.text, failure);
            QCOMPARE(m.icon, MessageIcon::Critical);
        }
        // New Section needs no selection.
        withDialog(w->menus()->newSectionAction(),
                   [](AddEntryDialog &d) { QCOMPARE(d.windowTitle(), QStringLiteral("Add Section")); });
    }

    void deleteCommandsCheckTheNodeKind()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        // A click switches the wrong item off; the selection can still move
        // without a click (after a removal), so the commands check for themselves.
        select(*w, QStringLiteral("A"));
        QVERIFY(!w->menus()->deleteKeyAction()->isEnabled());
        w->deleteKey();
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        QVERIFY(!w->menus()->deleteSectionAction()->isEnabled());
        w->deleteSection();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Key Not Selected or Invalid"));
        QCOMPARE(ui.messages[1].text, QStringLiteral("Section not selected or invalid"));
        QCOMPARE(ui.messages[1].icon, MessageIcon::Critical);
        QCOMPARE(TestFolder::read(path), text);
    }

    void deleteOneOfSeveralKeys()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[Net]\r\nhost=a\r\nport=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("Net"), QStringLiteral("host"));
        QCOMPARE(w->valuePane()->itemCount(), 1);

        ui.answers.enqueue(Answer::No);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, confirmDeleteKey("host", "Net"));
        QCOMPARE(ui.messages[0].title, QStringLiteral("Delete stext"));
        QCOMPARE(ui.messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(ui.messages[0].icon, MessageIcon::Question);
        QCOMPARE(TestFolder::read(path), text);

        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nport=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))), text);
        QCOMPARE(treeRows(*w), (QStringList{"Net", "  port"}));
        // The neighbour the highlight moved to is the one the pane shows.
        const NodeCollection &nodes = w->tree()->nodes();
        QCOMPARE(nodes.text(nodes.selectedNode()), QStringLiteral("port"));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1"));
    }

    void deleteTheOnlyKeyAsksTwice()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\n[B]\r\nj=2\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("k"));

        ui.answers << Answer::Yes << Answer::No;
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text,
                 QStringLiteral("This is last Key for this section. Deleting this Key will ALSO REMOVE the 'A' "
                                "section name \r\n\r\nDo you wish to continue?"));
        QCOMPARE(ui.messages[1].title, QStringLiteral("Delete Section?"));
        QCOMPARE(ui.messages[1].buttons, MessageButtons::YesNo);
        QCOMPARE(ui.messages[1].icon, MessageIcon::Question);
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "B", "  j"}));

        ui.answers << Answer::Yes << Answer::Yes;
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[B]\r\nj=2\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"B", "  j"}));
        QCOMPARE(w->valuePane()->itemCount(), 0);
    }

    void deleteASection()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[Net]\r\nhost=a\r\nNet=self\r\nport=1\r\n[NET]\r\nx=1\r\n[Disp]\r\nw=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("Net"));

        ui.answers.enqueue(Answer::No);
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral("You are about to delete the entire 'Net' section\r\n\r\nDo you want to continue?"));
        QCOMPARE(ui.messages[0].title, QStringLiteral("Delete stext"));
        QCOMPARE(TestFolder::read(path), text);

        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(ui.messages.size(), 2);
        // The key named like the section goes too; the NET section stays.
        QCOMPARE(TestFolder::read(path), QByteArray("[NET]\r\nx=1\r\n[Disp]\r\nw=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))), text);
        QCOMPARE(treeRows(*w), (QStringList{"NET", "  x", "Disp", "  w"}));
    }

    void deleteASectionJustAdded()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        auto w = start(path);
        QVERIFY(w);
        withDialog(w->menus()->newSectionAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("Empty"));
            d.okButton()->click();
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[Empty]\r\n"));
        select(*w, QStringLiteral("Empty"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
    }

    void aFailureBeforeTheStoreIsAskedDropsNoNode()
    {
        WindowScriptedUi ui;
        TestFolder dir;
        auto w = start(dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n"));
        QVERIFY(w);
        // Delete the only key: the records left are the header (ID 1); the
        // next new record takes ID 2 again.
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        ui.answers << Answer::Yes << Answer::Yes;
        w->menus()->deleteKeyAction()->trigger();
        withDialog(w->menus()->newSectionAction(), [](AddEntryDialog &d) {
            QTest::keyClicks(d.sectionEdit(), QStringLiteral("B"));
            d.okButton()->click();
        });
        QCOMPARE(treeRows(*w), QStringList{"B"});
        // Nothing selected: the command fails before the store is asked.
        w->tree()->nodes().setSelectedNode(0);
        w->deleteKey();
        QCOMPARE(ui.messages.last().text, QStringLiteral("91 - Object variable or With block variable not set"));
        QCOMPARE(treeRows(*w), QStringList{"B"});
    }

    void aFailedDeleteKeepsTreeAndStoreTogether()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\nj=2\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        QFile::remove(path);
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QVERIFY(ui.messages[1].text.startsWith(QStringLiteral("53 - ")));
        // Nothing was deleted from the file: the store and the tree keep the key,
        // and the pane shows the node still highlighted.
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  j"}));
        QCOMPARE(w->store()->findRecord(QStringLiteral("A"), QStringLiteral("k")), 2);
        const NodeCollection &nodes = w->tree()->nodes();
        QCOMPARE(nodes.text(nodes.selectedNode()), QStringLiteral("k"));
        QCOMPARE(w->valuePane()->itemCount(), 1);
        QCOMPARE(w->valuePane()->itemText(1), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestMainWindowEdit)
#include "test_main_window_edit.moc"

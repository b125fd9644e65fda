#include "frm_add.h"
#include "frm_ini.h"
#include "g_registry.h"
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
class TestFrmIniEdit : public QObject {
    Q_OBJECT

    static std::unique_ptr<frmINI> start(const QString &path) { return windowtest::start(path); }
    static QStringList treeRows(const frmINI &w) { return windowtest::treeRows(w); }

    static void select(frmINI &w, const QString &section, const QString &key = QString())
    {
        windowtest::select(w, section, key);
    }

    // Runs `act` on the add dialog once it is up; `trigger` opens it.
    static void withDialog(QAction *trigger, const std::function<void(frmAdd &)> &act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<frmAdd *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // The offscreen platform activates no window by itself.
            dialog->activateWindow();
            QTRY_VERIFY(dialog->isActiveWindow());
            act(*dialog);
            ran = true;
            // Whatever the test left open is closed with nothing added.
            if (dialog->isVisible())
                dialog->btnCancel->click();
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
    void cleanup() { gRegistry.reset(); }

    void newSectionThroughTheDialog()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1");
        auto w = start(path);
        QVERIFY(w);
        withDialog(w->mnuNewSection, [](frmAdd &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Add Section"));
            QVERIFY(d.Text1->isEnabled());
            QVERIFY(!d.Text2->isEnabled());
            QVERIFY(!d.Text3->isEnabled());
            QCOMPARE(d.Text2->palette().color(QPalette::Base), d.palette().color(QPalette::Button));
            QCOMPARE(d.Label1->text(), QStringLiteral("Section:"));
            QCOMPARE(QApplication::focusWidget(), d.Text1);
            // A blank name: Enter does nothing and the dialog stays.
            QTest::keyClicks(d.Text1, QStringLiteral("   "));
            QTest::keyClick(d.Text1, Qt::Key_Return);
            QVERIFY(d.isVisible());
            // Escape does nothing either.
            QTest::keyClick(d.Text1, Qt::Key_Escape);
            QVERIFY(d.isVisible());
            QTest::keyClicks(d.Text1, QStringLiteral("New  "));
            QTest::keyClick(d.Text1, Qt::Key_Return);
            QVERIFY(!d.isVisible());
        });
        // The last line gets its line end before the header goes on.
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[New]\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "New"}));
        const qsizetype added = w->tvw->Nodes().Count();
        QCOMPARE(w->tvw->Nodes().Key(added), QStringLiteral("RootKey=3"));
        QCOMPARE(gRegistry->Registry()->Count(), 3);
        QVERIFY(ui.messages.isEmpty());

        // A key for the section that exists in the file only as its header.
        select(*w, QStringLiteral("New"));
        withDialog(w->mnuNewKey, [](frmAdd &d) {
            QTest::keyClicks(d.Text2, QStringLiteral("x"));
            QTest::keyClicks(d.Text3, QStringLiteral(" 1 "));
            d.btnOK->click();
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
        withDialog(w->mnuNewSection, [](frmAdd &d) {
            QTest::keyClicks(d.Text1, QStringLiteral("B"));
            d.btnCancel->click();
        });
        withDialog(w->mnuNewSection, [](frmAdd &d) {
            // A fresh dialog: nothing of the last one is left.
            QCOMPARE(d.Text1->text(), QString());
            QTest::keyClicks(d.Text1, QStringLiteral("B"));
            d.close();
        });
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(gRegistry->Registry()->Count(), 2);
    }

    void newKeyGoesUnderTheSelectedSection()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
        auto w = start(path);
        QVERIFY(w);
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        withDialog(w->mnuNewKey, [](frmAdd &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Add Key"));
            QCOMPARE(d.Text1->text(), QStringLiteral("A"));
            QVERIFY(!d.Text1->isEnabled());
            QCOMPARE(QApplication::focusWidget(), d.Text2);
            QTest::keyClicks(d.Text2, QStringLiteral(" new "));
            QTest::keyClicks(d.Text3, QStringLiteral("v"));
            QTest::keyClick(d.Text3, Qt::Key_Enter);
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\nnew=v\r\n[B]\r\nj=2\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  new", "B", "  j"}));

        // A key that exists already (letter case ignored): one line in the
        // file with the new value, two nodes in the tree.
        select(*w, QStringLiteral("B"));
        withDialog(w->mnuNewKey, [](frmAdd &d) {
            QCOMPARE(d.Text1->text(), QStringLiteral("B"));
            QTest::keyClicks(d.Text2, QStringLiteral("J"));
            QTest::keyClicks(d.Text3, QStringLiteral("3"));
            d.btnOK->click();
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\nnew=v\r\n[B]\r\nj=3\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  new", "B", "  j", "  J"}));
        const clsINIList &records = *gRegistry->Registry();
        QCOMPARE(records.Item(4)->Value(), QStringLiteral("3"));
        QCOMPARE(records.Item(records.Count())->Value(), QString());
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
        withDialog(w->mnuNewKey, [](frmAdd &d) {
            QTest::keyClicks(d.Text2, QStringLiteral("j"));
            d.btnOK->click();
        });
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(TestFolder::read(path), text);
        // Not in the file, so neither in the store nor in the tree.
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
        QCOMPARE(gRegistry->Registry()->Count(), 2);
        QCOMPARE(gRegistry->FindRecord(QStringLiteral("A"), QStringLiteral("j")), 0);
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
            withDialog(w->mnuNewKey, [&](frmAdd &d) {
                // Typed keys reach the test only as Latin-1.
                d.Text2->setText(key);
                d.Text3->setText(value);
                d.btnOK->click();
                QVERIFY(d.isVisible());
                QCOMPARE(ui.messages.size(), 1);
                QCOMPARE(ui.messages[0].style, 16);
            });
            QCOMPARE(TestFolder::read(path), text);
            QCOMPARE(treeRows(*w), (QStringList{"A", "  k"}));
            QCOMPARE(gRegistry->Registry()->Count(), 2);
        }
        // What the file can hold goes in.
        withDialog(w->mnuNewKey, [&](frmAdd &d) {
            QTest::keyClicks(d.Text2, QStringLiteral("p"));
            d.Text3->setText(QString::fromUtf8("\xE2\x82\xAC"));
            d.btnOK->click();
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
        w->mnuNewKey->trigger();
        w->mnuDelKey->trigger();
        w->mnuDelSection->trigger();
        QCOMPARE(ui.messages.size(), 3);
        for (const auto &m : ui.messages) {
            QCOMPARE(m.text, failure);
            QCOMPARE(m.style, 16);
        }
        // New Section needs no selection.
        withDialog(w->mnuNewSection, [](frmAdd &d) { QCOMPARE(d.windowTitle(), QStringLiteral("Add Section")); });
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
        QVERIFY(!w->mnuDelKey->isEnabled());
        w->mnuDelKey_Click();
        select(*w, QStringLiteral("A"), QStringLiteral("k"));
        QVERIFY(!w->mnuDelSection->isEnabled());
        w->mnuDelSection_Click();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Key Not Selected or Invalid"));
        QCOMPARE(ui.messages[1].text, QStringLiteral("Section not selected or invalid"));
        QCOMPARE(ui.messages[1].style, 16);
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
        QCOMPARE(w->lvw->itemCount(), 1);

        ui.answers.enqueue(vbNo);
        w->mnuDelKey->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, confirmDeleteKey("host", "Net"));
        QCOMPARE(ui.messages[0].title, QStringLiteral("Delete stext"));
        QCOMPARE(ui.messages[0].style, 36);
        QCOMPARE(TestFolder::read(path), text);

        ui.answers.enqueue(vbYes);
        w->mnuDelKey->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nport=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))), text);
        QCOMPARE(treeRows(*w), (QStringList{"Net", "  port"}));
        // The neighbour the highlight moved to is the one the pane shows.
        const NodeCollection &nodes = w->tvw->Nodes();
        QCOMPARE(nodes.Text(nodes.SelectedItem()), QStringLiteral("port"));
        QCOMPARE(w->lvw->itemCount(), 1);
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("1"));
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

        ui.answers << vbYes << vbNo;
        w->mnuDelKey->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text,
                 QStringLiteral("This is last Key for this section. Deleting this Key will ALSO REMOVE the 'A' "
                                "section name \r\n\r\nDo you wish to continue?"));
        QCOMPARE(ui.messages[1].title, QStringLiteral("Delete Section?"));
        QCOMPARE(ui.messages[1].style, 36);
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "B", "  j"}));

        ui.answers << vbYes << vbYes;
        w->mnuDelKey->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[B]\r\nj=2\r\n"));
        QCOMPARE(treeRows(*w), (QStringList{"B", "  j"}));
        QCOMPARE(w->lvw->itemCount(), 0);
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

        ui.answers.enqueue(vbNo);
        w->mnuDelSection->trigger();
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral("You are about to delete the entire 'Net' section\r\n\r\nDo you want to continue?"));
        QCOMPARE(ui.messages[0].title, QStringLiteral("Delete stext"));
        QCOMPARE(TestFolder::read(path), text);

        ui.answers.enqueue(vbYes);
        w->mnuDelSection->trigger();
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
        withDialog(w->mnuNewSection, [](frmAdd &d) {
            QTest::keyClicks(d.Text1, QStringLiteral("Empty"));
            d.btnOK->click();
        });
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[Empty]\r\n"));
        select(*w, QStringLiteral("Empty"));
        ui.answers.enqueue(vbYes);
        w->mnuDelSection->trigger();
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
        ui.answers << vbYes << vbYes;
        w->mnuDelKey->trigger();
        withDialog(w->mnuNewSection, [](frmAdd &d) {
            QTest::keyClicks(d.Text1, QStringLiteral("B"));
            d.btnOK->click();
        });
        QCOMPARE(treeRows(*w), QStringList{"B"});
        // Nothing selected: the command fails before the store is asked.
        w->tvw->Nodes().setSelectedItem(0);
        w->mnuDelKey_Click();
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
        ui.answers.enqueue(vbYes);
        w->mnuDelKey->trigger();
        QCOMPARE(ui.messages.size(), 2);
        QVERIFY(ui.messages[1].text.startsWith(QStringLiteral("53 - ")));
        // Nothing was deleted from the file: the store and the tree keep the key,
        // and the pane shows the node still highlighted.
        QCOMPARE(treeRows(*w), (QStringList{"A", "  k", "  j"}));
        QCOMPARE(gRegistry->FindRecord(QStringLiteral("A"), QStringLiteral("k")), 2);
        const NodeCollection &nodes = w->tvw->Nodes();
        QCOMPARE(nodes.Text(nodes.SelectedItem()), QStringLiteral("k"));
        QCOMPARE(w->lvw->itemCount(), 1);
        QCOMPARE(w->lvw->itemText(1), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestFrmIniEdit)
#include "test_frm_ini_edit.moc"

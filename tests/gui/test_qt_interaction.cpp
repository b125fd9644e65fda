#include "qt_interaction.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Runs `check` on the modal dialog of type Dialog once the code under test
// has shown it. A failed check returns from `check` early and leaves the
// dialog open, so it is rejected here; otherwise exec() would wait for ever.
template <typename Dialog, typename Check>
void whenShown(bool *ran, Check check)
{
    QTimer::singleShot(0, qApp, [ran, check] {
        QPointer<Dialog> dialog;
        QTRY_VERIFY((dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) != nullptr);
        *ran = true;
        check(dialog.data());
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

enum class Action { ClickOk, ClickYes, ClickNo, PressReturn, PressEscape, CloseWindow };

void perform(QMessageBox *box, Action action)
{
    switch (action) {
    case Action::ClickOk:
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        break;
    case Action::ClickYes:
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        break;
    case Action::ClickNo:
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        break;
    case Action::PressReturn:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    case Action::PressEscape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Action::CloseWindow:
        box->close();
        break;
    }
}

QStringList buttonTexts(const QMessageBox *box)
{
    QStringList texts;
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *button : buttons) {
        switch (box->standardButton(button)) {
        case QMessageBox::Ok:
            texts.append(QStringLiteral("Ok"));
            break;
        case QMessageBox::Yes:
            texts.append(QStringLiteral("Yes"));
            break;
        case QMessageBox::No:
            texts.append(QStringLiteral("No"));
            break;
        default:
            texts.append(button->text());
            break;
        }
    }
    texts.sort();
    return texts;
}

// The names the dialog's list offers for choosing, sorted; a file the filter
// rejects is either absent or, on some platforms, shown disabled.
QStringList listedNames(const QFileDialog *dialog)
{
    const auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    if (!view || !view->model())
        return {QStringLiteral("<no list view>")};
    const QAbstractItemModel *model = view->model();
    const QModelIndex root = view->rootIndex();
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (index.flags() & Qt::ItemIsEnabled)
            names.append(index.data().toString());
    }
    names.sort();
    return names;
}

QModelIndex listedIndex(const QFileDialog *dialog, const QString &name)
{
    const auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    const QAbstractItemModel *model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

// The list or the detail view, whichever the dialog currently shows; both
// share one model and selection.
QAbstractItemView *shownView(const QFileDialog *dialog)
{
    const QList<QAbstractItemView *> views = dialog->findChildren<QAbstractItemView *>();
    for (QAbstractItemView *view : views) {
        if ((view->objectName() == QLatin1String("listView") || view->objectName() == QLatin1String("treeView"))
            && view->isVisible())
            return view;
    }
    return nullptr;
}

// Clicks `name` in the shown view, as a person choosing a file would.
bool clickListed(const QFileDialog *dialog, const QString &name)
{
    QAbstractItemView *view = shownView(dialog);
    const QModelIndex index = listedIndex(dialog, name);
    if (!view || !index.isValid())
        return false;
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    return true;
}

QPushButton *dialogButton(const QFileDialog *dialog, QDialogButtonBox::StandardButton which)
{
    const auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    return buttons ? buttons->button(which) : nullptr;
}

class Folder {
public:
    Folder(std::initializer_list<const char *> files)
    {
        for (const char *name : files) {
            QFile file(m_dir.filePath(QString::fromUtf8(name)));
            if (file.open(QIODevice::WriteOnly))
                file.write("[Section]\r\nkey=value\r\n");
        }
    }
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return QDir(m_dir.path()).absoluteFilePath(name); }
    bool makeFolder(const QString &name) const { return QDir(m_dir.path()).mkdir(name); }

private:
    QTemporaryDir m_dir;
};

OpenFileRequest configRequest(const QString &dir)
{
    OpenFileRequest request;
    request.title = QStringLiteral("Open INI File");
    request.filters = {{QStringLiteral("Configuration Files (*.INI)"), QStringLiteral("*.INI")}};
    request.initialDir = dir;
    request.initialFileName = QStringLiteral("*.ini");
    return request;
}

} // namespace

Q_DECLARE_METATYPE(Action)

class TestQtInteraction : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The file dialog remembers its state in the user's settings; keep
        // test runs out of the real ones.
        QStandardPaths::setTestModeEnabled(true);
    }

    void questionShowsTextTitleIconAndButtons()
    {
        QtInteraction ui;
        bool ran = false;
        whenShown<QMessageBox>(&ran, [](QMessageBox *box) {
            QVERIFY(box->isModal());
            QCOMPARE(box->windowTitle(), QStringLiteral("Delete Key"));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->text(), QStringLiteral("Delete key \"a<b>\" & all?\nSecond line"));
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            QCOMPARE(label->text(), box->text());
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QCOMPARE(box->icon(), QMessageBox::Question);
            QCOMPARE(buttonTexts(box), QStringList({QStringLiteral("No"), QStringLiteral("Yes")}));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        });
        const Answer answer = ui.messageBox(QStringLiteral("Delete key \"a<b>\" & all?\r\nSecond line"),
                                            MessageButtons::YesNo, MessageIcon::Question, QStringLiteral("Delete Key"));
        QVERIFY(ran);
        QCOMPARE(answer, Answer::No);
    }

    void yesNoAnswers_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Answer>("expected");
        QTest::newRow("click Yes") << Action::ClickYes << Answer::Yes;
        QTest::newRow("click No") << Action::ClickNo << Answer::No;
        QTest::newRow("Return takes the default") << Action::PressReturn << Answer::Yes;
        QTest::newRow("Escape") << Action::PressEscape << Answer::No;
        QTest::newRow("window closed") << Action::CloseWindow << Answer::No;
    }

    void yesNoAnswers()
    {
        QFETCH(Action, action);
        QFETCH(Answer, expected);
        QtInteraction ui;
        bool ran = false;
        whenShown<QMessageBox>(&ran, [action](QMessageBox *box) { perform(box, action); });
        const Answer answer = ui.messageBox(QStringLiteral("Save changes?"), MessageButtons::YesNo, MessageIcon::None,
                                            QStringLiteral("Larkspur"));
        QVERIFY(ran);
        QCOMPARE(answer, expected);
    }

    void okBoxAnswersOkHoweverClosed_data()
    {
        QTest::addColumn<Action>("action");
        QTest::newRow("click OK") << Action::ClickOk;
        QTest::newRow("Return") << Action::PressReturn;
        QTest::newRow("Escape") << Action::PressEscape;
        QTest::newRow("window closed") << Action::CloseWindow;
    }

    void okBoxAnswersOkHoweverClosed()
    {
        QFETCH(Action, action);
        QtInteraction ui;
        bool ran = false;
        bool closed = false;
        whenShown<QMessageBox>(&ran, [action, &closed](QMessageBox *box) {
            QCOMPARE(buttonTexts(box), QStringList({QStringLiteral("Ok")}));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            perform(box, action);
            closed = !box->isVisible();
        });
        const Answer answer = ui.messageBox(QStringLiteral("Saved."), MessageButtons::Ok, MessageIcon::Information,
                                            QStringLiteral("Larkspur"));
        QVERIFY(ran);
        QVERIFY(closed);
        QCOMPARE(answer, Answer::Ok);
    }

    void iconFollowsStyle_data()
    {
        QTest::addColumn<MessageButtons>("asked");
        QTest::addColumn<MessageIcon>("style");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QStringList>("buttons");
        const QStringList ok{QStringLiteral("Ok")};
        const QStringList yesNo{QStringLiteral("No"), QStringLiteral("Yes")};
        const auto Ok = MessageButtons::Ok;
        const auto YesNo = MessageButtons::YesNo;
        QTest::newRow("none") << Ok << MessageIcon::None << QMessageBox::NoIcon << ok;
        QTest::newRow("critical") << Ok << MessageIcon::Critical << QMessageBox::Critical << ok;
        QTest::newRow("question") << Ok << MessageIcon::Question << QMessageBox::Question << ok;
        QTest::newRow("warning") << Ok << MessageIcon::Warning << QMessageBox::Warning << ok;
        QTest::newRow("information") << Ok << MessageIcon::Information << QMessageBox::Information << ok;
        QTest::newRow("yes/no warning") << YesNo << MessageIcon::Warning << QMessageBox::Warning << yesNo;
        QTest::newRow("yes/no critical") << YesNo << MessageIcon::Critical << QMessageBox::Critical << yesNo;
    }

    void iconFollowsStyle()
    {
        QFETCH(MessageButtons, asked);
        QFETCH(MessageIcon, style);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QStringList, buttons);
        QtInteraction ui;
        bool ran = false;
        whenShown<QMessageBox>(&ran, [icon, buttons](QMessageBox *box) {
            QCOMPARE(box->icon(), icon);
            QCOMPARE(buttonTexts(box), buttons);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ui.messageBox(QStringLiteral("Something happened"), asked, style, QStringLiteral("Larkspur"));
        QVERIFY(ran);
    }

    void emptyTitleBecomesTheApplicationTitle()
    {
        QtInteraction ui;
        bool ran = false;
        QString title;
        whenShown<QMessageBox>(&ran, [&title](QMessageBox *box) {
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        ui.messageBox(QStringLiteral("Done"), MessageButtons::Ok, MessageIcon::None, QString());
        QVERIFY(ran);
        QCOMPARE(title, kAppTitle);
    }

    void messageBoxIsModalOverTheActiveWindow()
    {
        QWidget window;
        window.setObjectName(QStringLiteral("frmMain"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QtInteraction ui;
        bool ran = false;
        QWidget *parent = nullptr;
        bool modal = false;
        whenShown<QMessageBox>(&ran, [&parent, &modal](QMessageBox *box) {
            parent = box->parentWidget();
            modal = box->isModal();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ui.messageBox(QStringLiteral("Over the main window"), MessageButtons::Ok, MessageIcon::None, QString());
        QVERIFY(ran);
        QCOMPARE(parent, &window);
        QVERIFY(modal);
    }

    void openDialogShowsTheRequestAndReturnsTheChosenFile()
    {
        Folder folder{"app.ini", "B.INI", "other.txt"};
        QVERIFY(folder.isValid());
        QWidget window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QtInteraction ui;
        bool ran = false;
        whenShown<QFileDialog>(&ran, [&folder, &window](QFileDialog *dialog) {
            QVERIFY(dialog->isModal());
            QCOMPARE(dialog->parentWidget(), &window);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Open INI File"));
            QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
            QCOMPARE(QFileInfo(dialog->directory().absolutePath()).canonicalFilePath(),
                     QFileInfo(folder.path()).canonicalFilePath());

            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo);
            QCOMPARE(combo->count(), 1);
            QCOMPARE(combo->currentText(), QStringLiteral("Configuration Files (*.INI)"));

            auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(nameEdit);
            QCOMPARE(nameEdit->text(), QStringLiteral("*.ini"));

            // The model fills in from a worker thread.
            QTRY_COMPARE(listedNames(dialog), QStringList({QStringLiteral("B.INI"), QStringLiteral("app.ini")}));

            QVERIFY(clickListed(dialog, QStringLiteral("B.INI")));
            QTRY_COMPARE(nameEdit->text(), QStringLiteral("B.INI"));
            QPushButton *open = dialogButton(dialog, QDialogButtonBox::Open);
            QVERIFY(open);
            QVERIFY(open->isEnabled());
            QTest::mouseClick(open, Qt::LeftButton);
        });
        const QString chosen = ui.openFileDialog(configRequest(folder.path()));
        QVERIFY(ran);
        QCOMPARE(chosen, folder.filePath(QStringLiteral("B.INI")));
    }

    void typedNameIsReturnedAsAnAbsolutePath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("existing") << QStringLiteral("app.ini");
        // A missing name comes back too, without a warning of the dialog's
        // own: the store says what is wrong with it.
        QTest::newRow("missing") << QStringLiteral("missing.ini");
    }

    void typedNameIsReturnedAsAnAbsolutePath()
    {
        QFETCH(QString, typed);
        Folder folder{"app.ini", "B.INI", "other.txt"};
        QVERIFY(folder.isValid());
        QtInteraction ui;
        bool ran = false;
        whenShown<QFileDialog>(&ran, [&typed](QFileDialog *dialog) {
            QTRY_COMPARE(listedNames(dialog).size(), 2);
            auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(nameEdit);
            nameEdit->clear();
            QTest::keyClicks(nameEdit, typed);
            QTest::keyClick(nameEdit, Qt::Key_Return);
        });
        const QString chosen = ui.openFileDialog(configRequest(folder.path()));
        QVERIFY(ran);
        QCOMPARE(chosen, folder.filePath(typed));
        QVERIFY(QFileInfo(chosen).isAbsolute());
    }

    void cancellingReturnsNothing_data()
    {
        QTest::addColumn<bool>("useEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape") << true;
    }

    void cancellingReturnsNothing()
    {
        QFETCH(bool, useEscape);
        Folder folder{"app.ini", "B.INI", "other.txt"};
        QVERIFY(folder.isValid());
        QtInteraction ui;
        bool ran = false;
        whenShown<QFileDialog>(&ran, [useEscape](QFileDialog *dialog) {
            // A file is selected first, so only the way out decides the answer.
            QTRY_VERIFY(listedIndex(dialog, QStringLiteral("app.ini")).isValid());
            QVERIFY(clickListed(dialog, QStringLiteral("app.ini")));
            auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QTRY_COMPARE(nameEdit->text(), QStringLiteral("app.ini"));
            if (useEscape) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                QPushButton *cancel = dialogButton(dialog, QDialogButtonBox::Cancel);
                QVERIFY(cancel);
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        const QString chosen = ui.openFileDialog(configRequest(folder.path()));
        QVERIFY(ran);
        QCOMPARE(chosen, QString());
    }

    void eachFilterShowsItsDescriptionAndMatchesAnyCase()
    {
        Folder folder{"app.ini", "B.INI", "other.txt", "x.Cfg", "README"};
        QVERIFY(folder.isValid());
        QVERIFY(folder.makeFolder(QStringLiteral("sub")));
        OpenFileRequest request = configRequest(folder.path());
        request.filters.append({QStringLiteral("Text  and settings"), QStringLiteral("*.txt; *.CFG")});
        request.filters.append({QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")});

        QtInteraction ui;
        bool ran = false;
        whenShown<QFileDialog>(&ran, [](QFileDialog *dialog) {
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo);
            QCOMPARE(combo->count(), 3);
            QCOMPARE(combo->itemText(0), QStringLiteral("Configuration Files (*.INI)"));
            QCOMPARE(combo->itemText(1), QStringLiteral("Text  and settings"));
            QCOMPARE(combo->itemText(2), QStringLiteral("All Files (*.*)"));
            QCOMPARE(combo->currentIndex(), 0);
            // Folders stay listed whatever the filter, so the person can move about.
            QTRY_COMPARE(listedNames(dialog),
                         QStringList({QStringLiteral("B.INI"), QStringLiteral("app.ini"), QStringLiteral("sub")}));

            QTest::keyClick(combo, Qt::Key_Down);
            QCOMPARE(combo->currentText(), QStringLiteral("Text  and settings"));
            QTRY_COMPARE(listedNames(dialog),
                         QStringList({QStringLiteral("other.txt"), QStringLiteral("sub"), QStringLiteral("x.Cfg")}));

            QTest::keyClick(combo, Qt::Key_Down);
            QCOMPARE(combo->currentText(), QStringLiteral("All Files (*.*)"));
            QTRY_COMPARE(listedNames(dialog),
                         QStringList({QStringLiteral("B.INI"), QStringLiteral("README"), QStringLiteral("app.ini"),
                                      QStringLiteral("other.txt"), QStringLiteral("sub"), QStringLiteral("x.Cfg")}));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(ui.openFileDialog(request), QString());
        QVERIFY(ran);
    }

    void patternsWithCharactersQtCannotParseStillFilter()
    {
        Folder folder{"my file(1).ini", "my file(1).txt", "[x].ini", "notes.ini"};
        QVERIFY(folder.isValid());
        OpenFileRequest request = configRequest(folder.path());
        request.filters = {{QStringLiteral("Backups (my file(1).INI)"), QStringLiteral("my file(1).INI;[x].ini")}};

        QtInteraction ui;
        bool ran = false;
        whenShown<QFileDialog>(&ran, [](QFileDialog *dialog) {
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo);
            QCOMPARE(combo->currentText(), QStringLiteral("Backups (my file(1).INI)"));
            QTRY_COMPARE(listedNames(dialog),
                         QStringList({QStringLiteral("[x].ini"), QStringLiteral("my file(1).ini")}));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(ui.openFileDialog(request), QString());
        QVERIFY(ran);
    }
};

QTEST_MAIN(TestQtInteraction)
#include "test_qt_interaction.moc"

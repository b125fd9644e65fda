#include "diff_rows_model.h"
#include "history_dialog.h"
#include "main_window.h"
#include "test_files.h"
#include "window_test.h"

#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

// File > History... in the real window: the versions its own deletes kept,
// the diff of one against the file, and Restore giving the bytes back.
class TestHistoryDialog : public QObject {
    Q_OBJECT

    static constexpr char kOriginal[] = "; settings of the app\r\n"
                                        "\r\n"
                                        "[Net]\r\n"
                                        "; the proxy\r\n"
                                        "proxy=p:80\r\n"
                                        "host=h\r\n"
                                        "\r\n"
                                        "[Old]\r\n"
                                        "x=1\r\n";

    // Runs `inDialog` on the History dialog that File > History... opens.
    static bool withHistoryDialog(MainWindow &w, const std::function<void(HistoryDialog &)> &inDialog)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<HistoryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            inDialog(*dialog);
            if (dialog->isVisible())
                dialog->closeButton()->click();
        });
        w.menus()->historyAction()->trigger();
        return ran;
    }

    static QStringList column(const HistoryDialog &dialog, int column)
    {
        QStringList out;
        for (int row = 0; row < dialog.versionList()->topLevelItemCount(); ++row)
            out << dialog.versionList()->topLevelItem(row)->text(column);
        return out;
    }

private Q_SLOTS:

    void twoDeletesThenRestoreTheFirstVersion()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kOriginal);
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("proxy"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        windowtest::select(*w, QStringLiteral("Old"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteSectionAction()->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nhost=h\r\n"));

        QStringList numbers;
        QStringList commands;
        QStringList removed;
        QString label;
        const bool ran = withHistoryDialog(*w, [&](HistoryDialog &dialog) {
            numbers = column(dialog, 0);
            commands = column(dialog, 2);
            // The first version is the last row: a click on it shows its diff.
            QTreeWidget *list = dialog.versionList();
            const QRect rect = list->visualItemRect(list->topLevelItem(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            label = dialog.diffLabel()->text();
            for (const DiffLine &row : static_cast<DiffRowsModel *>(dialog.diffView()->model())->rows())
                if (row.kind == DiffLine::Removed)
                    removed << row.text;
            QTest::mouseClick(dialog.restoreButton(), Qt::LeftButton);
        });
        QVERIFY(ran);
        QCOMPARE(numbers, (QStringList{"2", "1"}));
        QCOMPARE(commands, (QStringList{"delete section [Old]", "delete key [Net] proxy"}));
        QVERIFY2(label.startsWith(QStringLiteral("Version 1 ")), qPrintable(label));
        QCOMPARE(removed, (QStringList{"; settings of the app", "", "; the proxy", "proxy=p:80", "", "[Old]", "x=1"}));
        QCOMPARE(TestFolder::read(path), QByteArray(kOriginal));
        // The window shows the file as restored.
        QVERIFY(windowtest::nodeByText(*w, QStringLiteral("Net"), QStringLiteral("proxy")));
        QVERIFY(windowtest::nodeByText(*w, QStringLiteral("Old"), QStringLiteral("x")));

        // The restore is a version of its own; the dialog offers it.
        QVERIFY(withHistoryDialog(*w, [&](HistoryDialog &dialog) {
            commands = column(dialog, 2);
            QVERIFY(dialog.restoreButton()->isEnabled());
        }));
        QCOMPARE(commands.first(), QStringLiteral("restore version 1"));
        QCOMPARE(ui.messages.size(), 2);
    }

    void theMenuItemStandsJustAboveExit()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        auto w = windowtest::start(dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n"));
        QVERIFY(w);
        QCOMPARE(w->menus()->fileMenu()->actions(),
                 (QList<QAction *>{w->menus()->openAction(), w->menus()->fileSeparator(), w->menus()->historyAction(),
                                   w->menus()->exitAction()}));
        QCOMPARE(w->menus()->historyAction()->text(), QStringLiteral("&History..."));
        QCOMPARE(w->menuBar()->actions(),
                 (QList<QAction *>{w->menus()->fileMenu()->menuAction(), w->menus()->editMenu()->menuAction(),
                                   w->menus()->aboutAction()}));
        QCOMPARE(w->menus()->editMenu()->actions(),
                 (QList<QAction *>{w->menus()->newMenu()->menuAction(), w->menus()->newSeparator(),
                                   w->menus()->deleteMenu()->menuAction(), w->menus()->findSeparator(),
                                   w->menus()->findAction(), w->menus()->findNextAction()}));

        // A file without versions yet: nothing to restore.
        bool enabled = true;
        int rows = -1;
        QVERIFY(withHistoryDialog(*w, [&](HistoryDialog &dialog) {
            enabled = dialog.restoreButton()->isEnabled();
            rows = dialog.versionList()->topLevelItemCount();
        }));
        QCOMPARE(rows, 0);
        QVERIFY(!enabled);
        QVERIFY(ui.messages.isEmpty());
    }

    // A regular file where the state folder should be: both deletes are
    // written, and the person hears of the history once.
    void aHistoryThatCannotBeKeptIsToldOncePerRun()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        QVERIFY(QFile(state.path() + QStringLiteral("/larkspur")).open(QIODevice::WriteOnly));
        const QString path = dir.write(QStringLiteral("a.ini"), "; c\r\n[A]\r\nx=1\r\ny=2\r\nz=3\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        for (const QString &key : {QStringLiteral("x"), QStringLiteral("y")}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no version of .* was kept")));
            windowtest::select(*w, QStringLiteral("A"), key);
            ui.answers.enqueue(Answer::Yes);
            w->menus()->deleteKeyAction()->trigger();
            QTest::qWait(50);
        }
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nz=3\r\n"));
        QList<ScriptedUi::Message> told;
        for (const ScriptedUi::Message &message : std::as_const(ui.messages))
            if (message.icon == MessageIcon::Warning)
                told << message;
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].text.contains(path) && told[0].text.contains(QStringLiteral("written all the same")),
                 qPrintable(told[0].text));
    }
};

QTEST_MAIN(TestHistoryDialog)
#include "test_history_dialog.moc"

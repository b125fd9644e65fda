#include "diff_rows_model.h"
#include "frm_history.h"
#include "frm_ini.h"
#include "g_registry.h"
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
class TestFrmHistory : public QObject {
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
    static bool withHistoryDialog(frmINI &w, const std::function<void(frmHistory &)> &inDialog)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<frmHistory *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            inDialog(*dialog);
            if (dialog->isVisible())
                dialog->btnClose->click();
        });
        w.mnuHistory->trigger();
        return ran;
    }

    static QStringList column(const frmHistory &dialog, int column)
    {
        QStringList out;
        for (int row = 0; row < dialog.lstVersions->topLevelItemCount(); ++row)
            out << dialog.lstVersions->topLevelItem(row)->text(column);
        return out;
    }

private Q_SLOTS:
    void cleanup() { gRegistry.reset(); }

    void twoDeletesThenRestoreTheFirstVersion()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), kOriginal);
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("Net"), QStringLiteral("proxy"));
        ui.answers.enqueue(vbYes);
        w->mnuDelKey->trigger();
        windowtest::select(*w, QStringLiteral("Old"));
        ui.answers.enqueue(vbYes);
        w->mnuDelSection->trigger();
        QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nhost=h\r\n"));

        QStringList numbers;
        QStringList commands;
        QStringList removed;
        QString label;
        const bool ran = withHistoryDialog(*w, [&](frmHistory &dialog) {
            numbers = column(dialog, 0);
            commands = column(dialog, 2);
            // The first version is the last row: a click on it shows its diff.
            QTreeWidget *list = dialog.lstVersions;
            const QRect rect = list->visualItemRect(list->topLevelItem(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            label = dialog.lblDiff->text();
            for (const DiffLine &row : static_cast<DiffRowsModel *>(dialog.lstDiff->model())->rows())
                if (row.kind == DiffLine::Removed)
                    removed << row.text;
            QTest::mouseClick(dialog.btnRestore, Qt::LeftButton);
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
        QVERIFY(withHistoryDialog(*w, [&](frmHistory &dialog) {
            commands = column(dialog, 2);
            QVERIFY(dialog.btnRestore->isEnabled());
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
        QCOMPARE(w->mnuFile->actions(), (QList<QAction *>{w->mnuOpen, w->mnuLine1, w->mnuHistory, w->mnuExit}));
        QCOMPARE(w->mnuHistory->text(), QStringLiteral("&History..."));
        QCOMPARE(w->menuBar()->actions(),
                 (QList<QAction *>{w->mnuFile->menuAction(), w->mnuEdit->menuAction(), w->mnuAbout}));
        QCOMPARE(w->mnuEdit->actions(),
                 (QList<QAction *>{w->mnuNew->menuAction(), w->mnuLine2, w->mnuDelete->menuAction(), w->mnuLine3,
                                   w->mnuFind, w->mnuNext}));

        // A file without versions yet: nothing to restore.
        bool enabled = true;
        int rows = -1;
        QVERIFY(withHistoryDialog(*w, [&](frmHistory &dialog) {
            enabled = dialog.btnRestore->isEnabled();
            rows = dialog.lstVersions->topLevelItemCount();
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
            ui.answers.enqueue(vbYes);
            w->mnuDelKey->trigger();
            QTest::qWait(50);
        }
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nz=3\r\n"));
        QList<ScriptedUi::Message> told;
        for (const ScriptedUi::Message &message : std::as_const(ui.messages))
            if (message.style == vbExclamation)
                told << message;
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].text.contains(path) && told[0].text.contains(QStringLiteral("written all the same")),
                 qPrintable(told[0].text));
    }
};

QTEST_MAIN(TestFrmHistory)
#include "test_frm_history.moc"

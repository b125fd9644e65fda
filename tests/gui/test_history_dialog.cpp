#include "add_entry_dialog.h"
#include "diff_rows_model.h"
#include "history_dialog.h"
#include "main_window.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

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

    // Types `texts` (section, key, value; a null text is left alone) into
    // the add dialog that `trigger` opens, and clicks OK.
    static void addThroughDialog(QAction *trigger, const QStringList &texts)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ran = true;
            const QList<QLineEdit *> edits{dialog->sectionEdit(), dialog->keyEdit(), dialog->valueEdit()};
            for (qsizetype i = 0; i < texts.size(); ++i)
                if (!texts[i].isNull())
                    QTest::keyClicks(edits[i], texts[i]);
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
            if (dialog->isVisible())
                dialog->cancelButton()->click();
        });
        trigger->trigger();
        QVERIFY(ran);
    }

    // The tooltip a view shows at the left of `rect`; "" for none.
    static QString toolTipAt(QAbstractItemView *view, const QRect &rect)
    {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("<a tooltip stayed up>");
        const QPoint pos(std::max(rect.left(), 0) + 4, rect.center().y());
        QHelpEvent event(QEvent::ToolTip, pos, view->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(view->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    // The contrast ratio of two colours, as WCAG 2 defines it (1 to 21).
    static double contrast(const QColor &a, const QColor &b)
    {
        auto luminance = [](const QColor &c) {
            auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
        };
        const double la = luminance(a);
        const double lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
            // The question first: No leaves the file as it is and the dialog open.
            ui.answers.enqueue(Answer::No);
            QTest::mouseClick(dialog.restoreButton(), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
            QCOMPARE(TestFolder::read(path), QByteArray("[Net]\r\nhost=h\r\n"));
            ui.answers.enqueue(Answer::Yes);
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
        // Two deletes asked, the restore asked twice, and what it restored told.
        QCOMPARE(ui.messages.size(), 5);
        const QRegularExpression asked(
            QStringLiteral("^Restore version 1 of app\\.ini, written \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\\?"));
        QVERIFY2(asked.match(ui.messages[2].text).hasMatch(), qPrintable(ui.messages[2].text));
        QCOMPARE(ui.messages[2].buttons, MessageButtons::YesNo);
        QCOMPARE(ui.messages[3].text, ui.messages[2].text);
        const QString told = ui.messages[4].text;
        QVERIFY2(told.startsWith(QStringLiteral("Restored version 1 of app.ini, written ")), qPrintable(told));
        QCOMPARE(ui.messages[4].icon, MessageIcon::Information);
    }

    // Each write of the window names itself in the list: the add dialog's
    // section and key, a value edited in the tree.
    void eachWriteIsListedByWhatItWas()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"));
        addThroughDialog(w->menus()->newSectionAction(), {QStringLiteral("S")});
        windowtest::select(*w, QStringLiteral("S"));
        addThroughDialog(w->menus()->newKeyAction(), {QString(), QStringLiteral("K"), QStringLiteral("v")});
        // The offscreen platform activates no window by itself.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        // A new section shows folded: Right opens it.
        w->tree()->setFocus();
        windowtest::select(*w, QStringLiteral("S"));
        QTest::keyClick(w->tree(), Qt::Key_Right);
        windowtest::select(*w, QStringLiteral("S"), QStringLiteral("K"));
        QTest::keyClick(w->tree(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("w"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\n[S]\r\nK=w\r\n"));

        QStringList commands;
        QVERIFY(withHistoryDialog(*w, [&](HistoryDialog &dialog) { commands = column(dialog, 2); }));
        QCOMPARE(commands, (QStringList{"set [S] K", "add key [S] K", "add section [S]"}));
        QVERIFY(ui.messages.isEmpty());
    }

    // A line longer than the view: the horizontal scroll bar reaches its
    // end, no row is cut short, and the tooltip shows it whole.
    void aLongLineIsReachableWhole()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        const QByteArray longLine = "long=" + QByteArray(400, 'x') + "!";
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\n" + longLine + "\r\nk=1\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("k"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        ui.answers.enqueue(Answer::Yes);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("long"));
        w->menus()->deleteKeyAction()->trigger();

        QVERIFY(withHistoryDialog(*w, [&](HistoryDialog &dialog) {
            // The older version, which holds the long line and "k=1" below it.
            QTreeWidget *list = dialog.versionList();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(1)).center());
            QListView *view = dialog.diffView();
            auto *rows = static_cast<DiffRowsModel *>(view->model());
            int longRow = -1;
            int shortRow = -1;
            for (int row = 0; row < rows->rowCount(); ++row) {
                if (rows->rows()[row].text == QString::fromLatin1(longLine))
                    longRow = row;
                if (rows->rows()[row].text == QStringLiteral("k=1"))
                    shortRow = row;
            }
            QVERIFY(longRow >= 0 && shortRow >= 0);
            const QModelIndex longIndex = rows->index(longRow);
            const QString whole = longIndex.data().toString();
            QVERIFY(whole.endsWith(QString::fromLatin1(longLine)));
            const int needed = QFontMetrics(longIndex.data(Qt::FontRole).value<QFont>()).horizontalAdvance(whole);
            QVERIFY(needed > view->viewport()->width());
            // Every row, the short one after it too, is wide enough for the long line.
            QVERIFY2(view->visualRect(rows->index(shortRow)).width() >= needed,
                     qPrintable(QString::number(view->visualRect(rows->index(shortRow)).width())));
            QVERIFY(view->horizontalScrollBar()->maximum() > 0);

            // At the start, the row's end is cut off: the tooltip has it whole.
            QCOMPARE(toolTipAt(view, view->visualRect(longIndex)), whole);
            QCOMPARE(toolTipAt(view, view->visualRect(rows->index(shortRow))), QString());
            // Scrolled to the end, the line's last character is in view.
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
            const QRect scrolled = view->visualRect(longIndex);
            QVERIFY2(scrolled.left() + needed <= view->viewport()->width() + 1,
                     qPrintable(QStringLiteral("%1 + %2").arg(scrolled.left()).arg(needed)));
        }));
    }

    // The rows' text against their background, light palette and dark,
    // each row kind: at least the 4.5 to 1 of ordinary text.
    void theDiffIsReadableOnLightAndDarkPalettes()
    {
        WindowScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        QByteArray text = "[A]\r\n";
        for (int i = 0; i < 12; ++i)
            text += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), text);
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("k6"));
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_Return);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("six"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(TestFolder::read(path).contains("k6=six"));

        QPalette light;
        for (auto [role, color] : {std::pair{QPalette::Window, QColor(239, 239, 239)},
                                   {QPalette::WindowText, QColor(0, 0, 0)},
                                   {QPalette::Base, QColor(255, 255, 255)},
                                   {QPalette::AlternateBase, QColor(245, 245, 245)},
                                   {QPalette::Text, QColor(0, 0, 0)},
                                   {QPalette::Button, QColor(239, 239, 239)},
                                   {QPalette::ButtonText, QColor(0, 0, 0)}})
            light.setColor(role, color);
        QPalette dark;
        for (auto [role, color] : {std::pair{QPalette::Window, QColor(45, 45, 45)},
                                   {QPalette::WindowText, QColor(230, 230, 230)},
                                   {QPalette::Base, QColor(30, 30, 30)},
                                   {QPalette::AlternateBase, QColor(40, 40, 40)},
                                   {QPalette::Text, QColor(230, 230, 230)},
                                   {QPalette::Button, QColor(53, 53, 53)},
                                   {QPalette::ButtonText, QColor(230, 230, 230)}})
            dark.setColor(role, color);

        QMap<QString, double> worst;
        QVERIFY(withHistoryDialog(*w, [&](HistoryDialog &dialog) {
            for (const auto &[name, palette] :
                 {std::pair{QStringLiteral("light"), light}, {QStringLiteral("dark"), dark}}) {
                dialog.setPalette(palette);
                QListView *view = dialog.diffView();
                const QAbstractItemModel *rows = view->model();
                QSet<int> kinds;
                double least = 21;
                for (int row = 0; row < rows->rowCount(); ++row) {
                    const QModelIndex index = rows->index(row, 0);
                    kinds << int(static_cast<const DiffRowsModel *>(rows)->rows()[row].kind);
                    // What the view paints: the model's colours, else the palette's.
                    const QVariant background = index.data(Qt::BackgroundRole);
                    const QVariant foreground = index.data(Qt::ForegroundRole);
                    const QColor bg = background.isValid() ? background.value<QBrush>().color()
                                                           : view->palette().color(QPalette::Base);
                    const QColor fg = foreground.isValid() ? foreground.value<QBrush>().color()
                                                           : view->palette().color(QPalette::Text);
                    least = std::min(least, contrast(fg, bg));
                }
                QCOMPARE(kinds.size(), 4);
                worst[name] = least;
            }
        }));
        QVERIFY2(worst.value(QStringLiteral("light")) >= 4.5, qPrintable(QString::number(worst.value("light"))));
        QVERIFY2(worst.value(QStringLiteral("dark")) >= 4.5, qPrintable(QString::number(worst.value("dark"))));
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

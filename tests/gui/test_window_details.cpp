#include "add_entry_dialog.h"
#include "find_dialog.h"
#include "history_dialog.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "test_files.h"
#include "value_list.h"
#include "window_test.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionGroupBox>
#include <QtTest>

// Notes, for every row the tree draws, the text the style shows: elided
// as the style elides it, to the width of the text's place.
class ElisionWatchingStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
            item && element == CE_ItemViewItem) {
            const QRect place = subElementRect(SE_ItemViewItemText, item, widget);
            const int margin = pixelMetric(PM_FocusFrameHMargin, item, widget) + 1;
            shown[item->text] =
                item->fontMetrics.elidedText(item->text, item->textElideMode, place.width() - 2 * margin);
            rightEdge[item->text] = place.right();
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable QHash<QString, QString> shown;
    mutable QHash<QString, int> rightEdge;
};

// The window's smaller behaviours: F2 and a double-click in the tree, a new
// file shown from its top, the dialogs' controls where they belong, and a
// name for every control a screen reader can land on.
class TestWindowDetails : public QObject {
    Q_OBJECT

    static QPoint textPoint(MainWindow &w, const QString &section, const QString &key)
    {
        const QRect r = w.tree()->nodeRect(windowtest::nodeByText(w, section, key));
        return QPoint(r.left() + 60, r.center().y());
    }

    // Types `text` into the open value editor and commits it with Return.
    static void typeValue(MainWindow &w, const QString &text)
    {
        QVERIFY(w.editing());
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.editing());
    }

    // The focusable widgets of `window` (itself too) without an accessible name.
    static QStringList unnamed(QWidget *window)
    {
        QStringList out;
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *widget : std::as_const(widgets))
            if (widget->focusPolicy() != Qt::NoFocus && widget->accessibleName().isEmpty())
                out << QStringLiteral("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className());
        return out;
    }

    // The box's inside: below its title, within its frame.
    static QRect insideOf(QGroupBox *box)
    {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.lineWidth = 1;
        const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return QRect(QPoint(frame.left() + 1, std::max(frame.top(), label.bottom()) + 1),
                     QPoint(frame.right() - 1, frame.bottom() - 1));
    }

    // The difference between the vertical middles of two widgets' text lines.
    static int offLine(const QWidget *a, const QWidget *b)
    {
        return std::abs(a->geometry().center().y() - b->geometry().center().y());
    }

private Q_SLOTS:

    void f2AndADoubleClickEditAKeysValue()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("x"));
        w->tree()->setFocus();
        QTest::keyClick(w->tree(), Qt::Key_F2);
        typeValue(*w, QStringLiteral("f2"));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nx=f2\r\ny=2\r\n"));

        w->tree()->setFocus();
        QTest::mouseDClick(w->tree()->viewport(), Qt::LeftButton, {}, textPoint(*w, "A", "y"));
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A", "  x", "  y"}));
        typeValue(*w, QStringLiteral("double"));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nx=f2\r\ny=double\r\n"));

        // On a section, F2 edits nothing and a double-click folds it, as before.
        w->tree()->setFocus();
        windowtest::select(*w, QStringLiteral("A"));
        QTest::keyClick(w->tree(), Qt::Key_F2);
        QVERIFY(!w->editing());
        const QRect section = w->tree()->nodeRect(windowtest::nodeByText(*w, QStringLiteral("A")));
        QTest::mouseDClick(w->tree()->viewport(), Qt::LeftButton, {},
                           QPoint(section.left() + 60, section.center().y()));
        QVERIFY(!w->editing());
        QCOMPARE(windowtest::treeRows(*w), (QStringList{"A"}));
        QVERIFY(ui.messages.isEmpty());
    }

    void aNewlyOpenedFileStartsAtTheTop()
    {
        ScriptedUi ui;
        TestFolder dir;
        QByteArray text;
        for (int i = 0; i < 80; ++i)
            text += "[S" + QByteArray::number(i) + "]\r\nkey_with_a_long_name_" + QByteArray(60, 'n') + "=v\r\n";
        auto w = windowtest::start(dir.write(QStringLiteral("a.ini"), text));
        QVERIFY(w);
        w->tree()->verticalScrollBar()->setValue(40);
        w->tree()->horizontalScrollBar()->setValue(w->tree()->horizontalScrollBar()->maximum());
        QVERIFY(w->tree()->horizontalScrollBar()->value() > 0);

        ui.dialogAnswers.enqueue(dir.write(QStringLiteral("b.ini"), text));
        w->menus()->openAction()->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Configuration Editor - ") + dir.path(QStringLiteral("b.ini")));
        QCOMPARE(w->tree()->verticalScrollBar()->value(), 0);
        QCOMPARE(w->tree()->horizontalScrollBar()->value(), 0);
        QCOMPARE(w->tree()->indexAt(QPoint(30, 2)).row(), 0);
    }

    // The widest name is the last one, which the tree can scroll to: cut off
    // by the pane's edge it ends in an ellipsis, scrolled into view it shows whole.
    void namesCutOffByThePaneEndInAnEllipsis()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString longName =
            QStringLiteral("a_key_with_a_name_much_too_long_for_the_tree_pane_") + QString(40, u'n');
        auto w = windowtest::start(
            dir.write(QStringLiteral("a.ini"), "[A]\r\nshort=1\r\n" + longName.toLatin1() + "=2\r\n"));
        QVERIFY(w);
        auto *style = new ElisionWatchingStyle;
        style->setParent(w.get());
        w->tree()->setStyle(style);
        const QChar ellipsis(0x2026);

        w->tree()->viewport()->repaint();
        QCOMPARE(style->shown.value(QStringLiteral("short")), QStringLiteral("short"));
        const QString cut = style->shown.value(longName);
        QVERIFY2(cut.endsWith(ellipsis) && cut.size() < longName.size(), qPrintable(cut));
        QVERIFY(style->rightEdge.value(longName) < w->tree()->viewport()->width());

        QScrollBar *bar = w->tree()->horizontalScrollBar();
        bar->setValue(bar->maximum());
        w->tree()->viewport()->repaint();
        QCOMPARE(style->shown.value(longName), longName);
    }

    void everyFocusableControlHasAnAccessibleName()
    {
        ScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\ny=2\r\n");
        auto w = windowtest::start(path);
        QVERIFY(w);
        windowtest::select(*w, QStringLiteral("A"), QStringLiteral("x"));
        ui.answers.enqueue(Answer::Yes);
        w->menus()->deleteKeyAction()->trigger();
        QCOMPARE(unnamed(w.get()), QStringList());

        w->menus()->findAction()->trigger();
        QVERIFY(w->findDialog());
        QCOMPARE(unnamed(w->findDialog()), QStringList());
        w->findDialog()->cancelButton()->click();

        QStringList inAdd{QStringLiteral("<not shown>")};
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            inAdd = unnamed(dialog);
            dialog->cancelButton()->click();
        });
        w->menus()->newSectionAction()->trigger();
        QCOMPARE(inAdd, QStringList());

        QStringList inHistory{QStringLiteral("<not shown>")};
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<HistoryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            inHistory = unnamed(dialog);
            dialog->closeButton()->click();
        });
        w->menus()->historyAction()->trigger();
        QCOMPARE(inHistory, QStringList());
    }

    // Looked at under Xvfb too: the Find dialog's check boxes within the
    // frame and the dialog, each label on one line with its field.
    void theDialogsControlsSitInsideTheirFramesAndInLine()
    {
        ScriptedUi ui;
        TestFolder dir;
        auto w = windowtest::start(dir.write(QStringLiteral("a.ini"), "[A]\r\nx=1\r\n"));
        QVERIFY(w);
        w->menus()->findAction()->trigger();
        FindDialog *find = w->findDialog();
        QVERIFY(find);
        QVERIFY(QTest::qWaitForWindowExposed(find));
        auto *box = find->findChild<QGroupBox *>();
        QVERIFY(box);
        const QRect inside = insideOf(box);
        for (QCheckBox *check : {find->sectionsCheck(), find->keysCheck(), find->valuesCheck()}) {
            QCOMPARE(check->parentWidget(), box);
            QVERIFY2(inside.contains(check->geometry()), qPrintable(check->objectName()
                                                                    + QStringLiteral(" at %1,%2 %3x%4")
                                                                          .arg(check->y())
                                                                          .arg(check->x())
                                                                          .arg(check->width())
                                                                          .arg(check->height())));
        }
        for (QCheckBox *check : {find->wholeStringCheck(), find->matchCaseCheck()}) {
            QVERIFY2(find->rect().adjusted(1, 1, -1, -1).contains(check->geometry()), qPrintable(check->objectName()));
            QVERIFY(!check->geometry().intersects(box->geometry()));
        }
        QCOMPARE(offLine(find->wholeStringCheck(), find->matchCaseCheck()), 0);
        auto *label = find->findChild<QLabel *>();
        QVERIFY(label);
        QVERIFY(offLine(label, find->textEdit()) <= 1);
        find->cancelButton()->click();

        QList<int> labelLefts;
        QList<int> off;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            const QList<QLineEdit *> edits{dialog->sectionEdit(), dialog->keyEdit(), dialog->valueEdit()};
            for (int i = 0; i < 3; ++i) {
                auto *label = dialog->findChild<QLabel *>(QStringLiteral("Label%1").arg(i + 1));
                if (!label)
                    continue;
                labelLefts << label->x();
                off << offLine(label, edits[i]);
            }
            dialog->cancelButton()->click();
        });
        w->menus()->newSectionAction()->trigger();
        QCOMPARE(off.size(), 3);
        QCOMPARE(QSet<int>(labelLefts.begin(), labelLefts.end()).size(), 1);
        for (int d : std::as_const(off))
            QVERIFY2(d <= 1, qPrintable(QString::number(d)));
    }
};

QTEST_MAIN(TestWindowDetails)
#include "test_window_details.moc"

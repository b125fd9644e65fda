// bench-gui: the main window's timings on one file, offscreen.
//
//   bench-gui FILE open    start-up to a painted, fully expanded tree, then exit
//   bench-gui FILE all     the above, then 100 node clicks and five value edits
//   bench-gui FILE edit    the above, then the Edit menu's commands: Delete > Key
//                          in the last section, New > Section, New > Key, and
//                          Delete > Section of the section named "Big"
//   bench-gui FILE find    the above, then one Find Next for a text the file lacks
//   bench-gui FILE history the above, then File > History... opened up to its
//                          list and the newest version's diff shown, and closed
//
// Prints "name value" lines (milliseconds). Run it under /usr/bin/time for
// the peak memory of the open alone.

#include "add_entry_dialog.h"
#include "console_interaction.h"
#include "find_dialog.h"
#include "history_dialog.h"
#include "main_window.h"
#include "node_tree_view.h"
#include "value_list.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

void report(const char *name, double ms)
{
    std::printf("%s %.2f\n", name, ms);
    std::fflush(stdout);
}

// Clicks `node` as a user would and returns the milliseconds until the pane shows its value.
double clickNode(MainWindow &form, qsizetype node)
{
    form.tree()->scrollTo(form.tree()->model()->index(int(form.tree()->nodes().rowOfNode(node)), 0));
    QCoreApplication::processEvents();
    const QRect r = form.tree()->nodeRect(node);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(form.tree()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 60, r.center().y()));
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (form.valuePane()->itemCount() != 1)
        std::fprintf(stderr, "bench-gui: node %lld showed no value\n", static_cast<long long>(node));
    return ms;
}

// Writes messages to stderr and cancels every file dialog; while sayYes is
// set it says Yes to every question, otherwise No.
class BenchUi : public ConsoleInteraction {
public:
    BenchUi() : ConsoleInteraction(QStringLiteral("bench-gui")) {}
    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override
    {
        const Answer answer = ConsoleInteraction::messageBox(text, buttons, icon, title);
        return sayYes ? Answer::Yes : answer;
    }
    bool sayYes = false;
};

qsizetype sectionNode(const NodeCollection &nodes, const QString &text)
{
    for (qsizetype i = 1; i <= nodes.count(); ++i)
        if (nodes.parentNode(i) == 0 && nodes.text(i) == text)
            return i;
    return 0;
}

// Runs a New command with the add dialog filled in and OK pressed; returns milliseconds.
double addThroughDialog(QAction *command, const QString &key, const QString &value, const QString &section)
{
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<AddEntryDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (section.isEmpty()) {
            dialog->keyEdit()->setText(key);
            dialog->valueEdit()->setText(value);
        } else {
            dialog->sectionEdit()->setText(section);
        }
        dialog->okButton()->click();
    });
    QElapsedTimer timer;
    timer.start();
    command->trigger();
    return double(timer.nsecsElapsed()) / 1e6;
}

void editCommands(MainWindow &form, BenchUi &ui)
{
    ui.sayYes = true;
    NodeCollection &nodes = form.tree()->nodes();
    const qsizetype big = sectionNode(nodes, QStringLiteral("Big"));
    if (big == 0) {
        std::fputs("bench-gui: the file has no section named Big\n", stderr);
        return;
    }
    // The last key of the last section before Big.
    qsizetype key = big - 1;
    while (key > 0 && nodes.parentNode(key) == 0)
        --key;
    nodes.setSelectedNode(key);
    QElapsedTimer timer;
    timer.start();
    form.deleteKey();
    report("delete_key_ms", double(timer.nsecsElapsed()) / 1e6);

    report("new_section_ms", addThroughDialog(form.menus()->newSectionAction(), {}, {}, QStringLiteral("Added")));
    nodes.setSelectedNode(nodes.count());
    report("new_key_ms",
           addThroughDialog(form.menus()->newKeyAction(), QStringLiteral("added"), QStringLiteral("1"), {}));

    nodes.setSelectedNode(sectionNode(nodes, QStringLiteral("Big")));
    timer.restart();
    form.deleteSection();
    report("delete_section_ms", double(timer.nsecsElapsed()) / 1e6);
    ui.sayYes = false;
}

// Find Next that walks every record and finds nothing.
void findMiss(MainWindow &form, BenchUi &ui)
{
    ui.sayYes = true;
    form.showFind();
    FindDialog *dialog = form.findDialog();
    if (!dialog) {
        std::fputs("bench-gui: the find dialog did not open\n", stderr);
        return;
    }
    dialog->textEdit()->setText(QStringLiteral("no such text anywhere"));
    QElapsedTimer timer;
    timer.start();
    dialog->onFindClicked();
    report("find_miss_ms", double(timer.nsecsElapsed()) / 1e6);
    ui.sayYes = false;
}

// File > History... from the menu to the dialog on screen with its list
// filled and the newest version compared with the file; three times.
void openHistory(MainWindow &form)
{
    QList<double> times;
    int versions = -1;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<HistoryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->repaint();
            times.append(double(timer.nsecsElapsed()) / 1e6);
            versions = dialog->versionList()->topLevelItemCount();
            dialog->reject();
        });
        timer.start();
        form.menus()->historyAction()->trigger();
    }
    if (times.size() != 3) {
        std::fputs("bench-gui: the History dialog did not open\n", stderr);
        return;
    }
    report("history_versions", versions);
    report("history_open_median_ms", median(times));
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (argc != 3) {
        std::fputs("usage: bench-gui FILE open|all|edit|find|history\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool all = qstrcmp(argv[2], "all") == 0;
    const bool edit = qstrcmp(argv[2], "edit") == 0;
    const bool find = qstrcmp(argv[2], "find") == 0;
    const bool history = qstrcmp(argv[2], "history") == 0;

    BenchUi ui;
    MainWindow form(ui, QString::fromLocal8Bit(argv[1]));
    form.show();
    while (!form.store() || form.store()->fileName().isEmpty() || form.tree()->nodes().count() == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    form.tree()->viewport()->repaint();
    report("open_ms", double(sinceStart.nsecsElapsed()) / 1e6);
    if (edit)
        editCommands(form, ui);
    if (find)
        findMiss(form, ui);
    if (history)
        openHistory(form);
    if (!all)
        return 0;

    // 99 key nodes spread over the file, then the last one.
    const NodeCollection &nodes = form.tree()->nodes();
    QList<qsizetype> keys;
    for (int i = 1; i <= 99; ++i) {
        qsizetype n = nodes.count() * i / 100;
        while (n > 1 && nodes.parentNode(n) == 0)
            --n;
        keys.append(n);
    }
    keys.append(nodes.count());
    QList<double> clicks;
    for (qsizetype node : keys)
        clicks.append(clickNode(form, node));
    report("click_median_ms", median(clicks));
    report("click_max_ms", *std::max_element(clicks.begin(), clicks.end()));
    report("click_last_ms", clicks.last());

    // In-place edits of the last key, from the end of the edit to the file
    // written; the median of five, since every one waits for the disk.
    QList<double> edits;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        form.treePane()->canEditValue();
        form.treePane()->onValueEdited(QStringLiteral("edited by bench-gui %1").arg(i));
        edits.append(double(timer.nsecsElapsed()) / 1e6);
    }
    report("edit_median_ms", median(edits));
    return 0;
}

#pragma once

#include "main_window.h"
#include "node_tree_view.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QtTest>

// The scripted person at the screen, for tests that run real windows.
using WindowScriptedUi = ScriptedUi;

namespace windowtest {

// A main window started with `commandLine`, talking through the test's
// current scripted person, shown, past its first activation and active (the
// offscreen platform activates nothing by itself); nullptr when it never
// got there.
inline std::unique_ptr<MainWindow> start(const QString &commandLine)
{
    ScriptedUi *ui = ScriptedUi::current();
    if (!ui)
        return nullptr;
    auto w = std::make_unique<MainWindow>(*ui, commandLine);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        return nullptr;
    QTest::qWait(0);
    QCoreApplication::processEvents();
    w->activateWindow();
    if (!QTest::qWaitFor([&] { return w->isActiveWindow(); }))
        return nullptr;
    return w;
}

// The visible rows of the tree, keys indented under their sections.
inline QStringList treeRows(const MainWindow &w)
{
    const NodeCollection &nodes = w.tree()->nodes();
    QStringList out;
    for (qsizetype row = 0; row < nodes.rowCount(); ++row) {
        const qsizetype n = nodes.nodeAtRow(row);
        out << (nodes.parentNode(n) ? QStringLiteral("  ") : QString()) + nodes.text(n);
    }
    return out;
}

// The section node showing `section`, or with `key`, the key node showing
// `key` under a section node showing `section`; 0 when there is none.
inline qsizetype nodeByText(const MainWindow &w, const QString &section, const QString &key = QString())
{
    const NodeCollection &nodes = w.tree()->nodes();
    for (qsizetype i = 1; i <= nodes.count(); ++i) {
        const qsizetype parent = nodes.parentNode(i);
        if (key.isNull() ? parent == 0 && nodes.text(i) == section
                         : parent != 0 && nodes.text(parent) == section && nodes.text(i) == key)
            return i;
    }
    return 0;
}

// A left click on the text of a node's row; false when the row is not shown.
inline bool clickNode(MainWindow &w, qsizetype node)
{
    const QRect r = w.tree()->nodeRect(node);
    if (!r.isValid())
        return false;
    QTest::mouseClick(w.tree()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 60, r.center().y()));
    return true;
}

// Clicks the node showing `section` (with `key`, that key under it) and
// checks that it became the selected node.
inline void select(MainWindow &w, const QString &section, const QString &key = QString())
{
    const qsizetype node = nodeByText(w, section, key);
    QVERIFY(clickNode(w, node));
    QCOMPARE(w.tree()->nodes().selectedNode(), node);
}

} // namespace windowtest

#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the busy cursor over every window of ours while it lives: a load or
// a rewrite of a large file takes a moment, and the window cannot answer
// meanwhile. Message boxes and dialogs shown on the way put the arrow back
// while they ask (see QtInteraction).
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

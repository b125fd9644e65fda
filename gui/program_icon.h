#pragma once

#include <QIcon>

// The program's own icon (the one the menu entry shows), for the main
// window, the dialogs and the message boxes.
QIcon programIcon();

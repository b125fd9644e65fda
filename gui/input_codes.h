#pragma once

#include <QtCore/qnamespace.h>

class QKeyEvent;

// Keys and mouse buttons as the window handlers see them: the classic codes
// (button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; virtual
// key codes; the character a key types).
int mouseButtonValue(Qt::MouseButtons buttons);
qint16 shiftValue(Qt::KeyboardModifiers modifiers);
// Letters and digits as their characters, F1 to F24 from 112; 0 for keys
// nobody here asks about.
qint16 virtualKeyCode(int key);
// Ctrl with a letter gives 1 to 26, Enter 13; 0 for a key that types nothing.
qint16 characterCode(const QKeyEvent &event);

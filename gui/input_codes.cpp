#include "input_codes.h"

#include <QKeyEvent>

int mouseButtonValue(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
           | (buttons & Qt::MiddleButton ? 4 : 0);
}

qint16 shiftValue(Qt::KeyboardModifiers modifiers)
{
    return qint16((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
                  | (modifiers & Qt::AltModifier ? 4 : 0));
}

qint16 virtualKeyCode(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return qint16(112 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return qint16(key);
    return 0;
}

qint16 characterCode(const QKeyEvent &event)
{
    const int key = event.key();
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return qint16(key - Qt::Key_A + 1);
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 13;
    const QString text = event.text();
    return text.isEmpty() ? 0 : qint16(text.at(0).unicode());
}

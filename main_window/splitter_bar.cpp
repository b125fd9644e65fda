#include "main_window/splitter_bar.h"

#include "platform/twips.h"

#include <QMouseEvent>

namespace {
int buttonValue(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
         | (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftValue(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
         | (modifiers & Qt::AltModifier ? 4 : 0);
}
} // namespace

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
}

float SplitterBar::toTwipsX(qreal pixels) const {
    return float(pixelsToTwips(pixels, logicalDpiX()));
}

float SplitterBar::toTwipsY(qreal pixels) const {
    return float(pixelsToTwips(pixels, logicalDpiY()));
}

void SplitterBar::mousePressEvent(QMouseEvent *event) {
    Q_EMIT MouseDown(buttonValue(event->button()), shiftValue(event->modifiers()), toTwipsX(event->position().x()),
                     toTwipsY(event->position().y()));
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event) {
    Q_EMIT MouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()), toTwipsX(event->position().x()),
                     toTwipsY(event->position().y()));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event) {
    Q_EMIT MouseUp(buttonValue(event->button()), shiftValue(event->modifiers()), toTwipsX(event->position().x()),
                   toTwipsY(event->position().y()));
}

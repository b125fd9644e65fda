#include "splitter_bar.h"

#include "input_codes.h"
#include "twips.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
}

float SplitterBar::toTwipsX(qreal pixels) const
{
    return float(pixelsToTwips(pixels, logicalDpiX()));
}

float SplitterBar::toTwipsY(qreal pixels) const
{
    return float(pixelsToTwips(pixels, logicalDpiY()));
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT MouseDown(mouseButtonValue(event->button()), shiftValue(event->modifiers()), toTwipsX(event->position().x()),
                     toTwipsY(event->position().y()));
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT MouseMove(mouseButtonValue(event->buttons()), shiftValue(event->modifiers()),
                     toTwipsX(event->position().x()), toTwipsY(event->position().y()));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT MouseUp(mouseButtonValue(event->button()), shiftValue(event->modifiers()), toTwipsX(event->position().x()),
                   toTwipsY(event->position().y()));
}

#include "splitter_bar.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT pressed(event->position().toPoint(), event->button());
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT moved(event->position().toPoint(), event->buttons());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT released(event->position().toPoint(), event->button());
}

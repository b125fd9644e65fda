#pragma once

#include <QWidget>

// The bar between the tree and the value pane. It draws nothing and only
// reports the mouse, at points measured from its own top-left corner: the
// button pressed or released, or the buttons held during a move. A press
// grabs the mouse, so moves outside the bar and the release reach it too.
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void pressed(const QPoint &pos, Qt::MouseButtons buttons);
    void moved(const QPoint &pos, Qt::MouseButtons buttons);
    void released(const QPoint &pos, Qt::MouseButtons buttons);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

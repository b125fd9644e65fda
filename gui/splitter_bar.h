#pragma once

#include <QWidget>

// The bar between the tree and the value pane. It draws nothing and only
// reports the mouse, in twips measured from its own top-left corner, with
// the button and shift values of the classic mouse events (left 1, right 2,
// middle 4; Shift 1, Ctrl 2, Alt 4). A press grabs the mouse, so moves
// outside the bar and the release reach it too.
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    float toTwipsX(qreal pixels) const;
    float toTwipsY(qreal pixels) const;
};

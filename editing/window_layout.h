#pragma once

// Where the main window's tree, splitter bar and value pane stand, in twips
// (1/1440 inch) of the window's client area. Kept apart from the widgets so
// the arithmetic can be checked on its own.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct WindowLayout {
    TwipRect tree;
    TwipRect bar;
    TwipRect pane;
    double columnWidth = 0;

    // The proportions the window is designed with.
    static WindowLayout design();

    // Fits everything to a client area of `width` x `height`, keeping the
    // bar's position in proportion to the previous width.
    void resize(double width, double height);
    // One step of a bar drag: `x` is the pointer, measured from the bar's own
    // left edge; `clientWidth` the client area's width.
    void drag(double x, double clientWidth);
};

// Rounds to the nearest whole number, halves to the even neighbour; false
// when the result does not fit a 16-bit signed integer.
bool roundToInt16(double value, short &result);

#include "window_layout.h"

#include <algorithm>
#include <cmath>

namespace {
// The pane's column is this much narrower than the pane.
constexpr double kColumnMargin = 100;
// Where the bar's left edge lands relative to the pointer during a drag.
constexpr double kDragOffset = 30;

// A control keeps its previous width or height when asked for a negative one.
void setLength(double &length, double value)
{
    if (value >= 0)
        length = value;
}
} // namespace

WindowLayout WindowLayout::design()
{
    WindowLayout layout;
    layout.tree = {0, 0, 2145, 2835};
    layout.bar = {2325, 15, 45, 2085};
    layout.pane = {2490, 0, 2190, 2895};
    layout.columnWidth = 0;
    return layout;
}

bool roundToInt16(double value, short &result)
{
    if (!std::isfinite(value))
        return false;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768 || rounded > 32767)
        return false;
    result = short(rounded);
    return true;
}

void WindowLayout::resize(double width, double height)
{
    short left = 0;
    if (roundToInt16(bar.left / (tree.width + bar.width + pane.width) * width, left))
        bar.left = left;
    tree.top = 0;
    pane.top = 0;
    setLength(tree.width, bar.left);
    setLength(tree.height, height);
    setLength(bar.height, height);
    setLength(pane.height, height);
    pane.left = tree.width + bar.width;
    setLength(pane.width, width - tree.width - bar.width);
    setLength(columnWidth, pane.width - kColumnMargin);
}

void WindowLayout::drag(double x, double clientWidth)
{
    bar.left = x - bar.width + bar.left + kDragOffset;
    if (bar.left < 0)
        bar.left = 0;
    if (bar.width + bar.left >= clientWidth)
        bar.left = clientWidth - bar.width;
    // A client area narrower than the bar leaves both panes without width.
    if (bar.left < 0)
        bar.left = 0;
    tree.width = bar.left;
    pane.left = tree.width + bar.width;
    pane.width = std::max(0.0, clientWidth - tree.width - bar.width);
}

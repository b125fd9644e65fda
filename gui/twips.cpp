#include "twips.h"

#include <QWidget>

#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440;
}

int twipsToPixels(double twips, int dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}

double pixelsToTwips(double pixels, int dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height)
{
    const int dx = widget->logicalDpiX();
    const int dy = widget->logicalDpiY();
    widget->setGeometry(twipsToPixels(left, dx), twipsToPixels(top, dy), twipsToPixels(width, dx),
                        twipsToPixels(height, dy));
}

#pragma once

class QWidget;

// Window geometry is kept in twips, 1440 to the logical inch, and turned
// into this screen's pixels only when a widget is placed.
int twipsToPixels(double twips, int dpi);
double pixelsToTwips(double pixels, int dpi);

// Places `widget` inside its parent at a rectangle given in twips.
void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height);

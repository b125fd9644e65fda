#pragma once

#include <QIcon>
#include <QList>

class QStyle;

// Pictures addressed by 1-based index, as the tree's nodes name them.
class ImageList {
public:
    void add(const QIcon &icon) { m_images.append(icon); }
    qsizetype count() const { return m_images.size(); }
    // The picture at `index`, or a null icon when there is none.
    QIcon image(int index) const;

private:
    QList<QIcon> m_images;
};

// The tree's six pictures, taken from the style's standard icons: 4 is the
// section arrow, 5 and 6 the closed and open key folders; 1 to 3 are kept
// so the numbering stays as the nodes expect.
ImageList makeTreeImages(const QStyle &style);

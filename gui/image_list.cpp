#include "image_list.h"

#include <QStyle>

QIcon ImageList::image(int index) const
{
    return index >= 1 && index <= m_images.size() ? m_images[index - 1] : QIcon();
}

ImageList makeTreeImages(const QStyle &style)
{
    ImageList images;
    images.add(style.standardIcon(QStyle::SP_FileLinkIcon));
    images.add(style.standardIcon(QStyle::SP_FileIcon));
    images.add(style.standardIcon(QStyle::SP_FileDialogContentsView));
    images.add(style.standardIcon(QStyle::SP_ArrowRight));
    images.add(style.standardIcon(QStyle::SP_DirClosedIcon));
    images.add(style.standardIcon(QStyle::SP_DirOpenIcon));
    return images;
}

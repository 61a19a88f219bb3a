#include "ui/ImageList.h"

namespace zv {

ImageList::ImageList(QObject* owner) : QObject(owner) {}

ImageList::~ImageList()
{
    emit removing(this);
}

int ImageList::add(const QIcon& image)
{
    m_images.append(image);
    return count() - 1;
}

QIcon ImageList::icon(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_images.at(index);
}

} // namespace zv

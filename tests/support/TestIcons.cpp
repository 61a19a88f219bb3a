#include "support/TestIcons.h"

#include <QPixmap>

namespace zv::test {

QIcon colouredIcon(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QColor colourOf(const QIcon& icon)
{
    if (icon.isNull())
        return {};
    return icon.pixmap(16, 16).toImage().pixelColor(0, 0);
}

} // namespace zv::test

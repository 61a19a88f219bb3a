#include "platform/HandCursor.h"

#include "platform/Resources.h"

#include <QBitmap>

namespace zv {

QCursor HandCursor::cursor()
{
    const QImage picture = Resources::image(QStringLiteral("HANDQELB"))
                               .convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    // A two-colour cursor: set bits of the first bitmap are black, the mask says where it shows.
    const QBitmap black = QBitmap::fromImage(picture.createMaskFromColor(qRgb(0, 0, 0)));
    const QBitmap mask = QBitmap::fromImage(picture.createAlphaMask());
    return QCursor(black, mask, 0, 0);
}

} // namespace zv

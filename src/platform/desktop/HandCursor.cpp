#include "platform/desktop/HandCursor.h"

#include "platform/desktop/Resources.h"

#include <QBitmap>

namespace zv {

namespace {

// A one-bit picture whose set bits (Qt's color1) are the pixels that pass the test.
template <typename Test>
QBitmap bitmapOf(const QImage& picture, Test test)
{
    QImage bits(picture.size(), QImage::Format_MonoLSB);
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            bits.setPixel(x, y, test(picture.pixel(x, y)) ? 1 : 0);
    }
    return QBitmap::fromImage(bits);
}

} // namespace

QCursor HandCursor::cursor()
{
    const QImage picture = Resources::image(QStringLiteral("HANDQELB")).convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    // A two-colour cursor: set bits of the first bitmap are black, the mask says where it shows.
    const QBitmap black = bitmapOf(picture, [](QRgb pixel) { return pixel == qRgb(0, 0, 0); });
    const QBitmap mask = bitmapOf(picture, [](QRgb pixel) { return qAlpha(pixel) != 0; });
    return QCursor(black, mask, 0, 0);
}

} // namespace zv

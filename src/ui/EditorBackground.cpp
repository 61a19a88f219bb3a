#include "ui/EditorBackground.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace zv {

namespace {

const QColor wash(238, 242, 247);
const QColor mark(229, 235, 242);

// An arrow pointing down into an open tray, in the free space right of the schedule fields.
void drawDownloadMark(QPainter& painter)
{
    QPainterPath arrow;
    arrow.moveTo(366, 150);
    arrow.lineTo(394, 150);
    arrow.lineTo(394, 182);
    arrow.lineTo(412, 182);
    arrow.lineTo(380, 212);
    arrow.lineTo(348, 182);
    arrow.lineTo(366, 182);
    arrow.closeSubpath();
    painter.fillPath(arrow, mark);

    QPainterPath tray;
    tray.moveTo(326, 196);
    tray.lineTo(326, 224);
    tray.lineTo(434, 224);
    tray.lineTo(434, 196);
    painter.strokePath(tray, QPen(mark, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

} // namespace

QPixmap EditorBackground::picture()
{
    QPixmap picture = washed(Width, Height);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    drawDownloadMark(painter);
    return picture;
}

QPixmap EditorBackground::washed(int width, int height)
{
    QPixmap picture(width, height);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0.0, Qt::white);
    gradient.setColorAt(0.5, Qt::white);
    gradient.setColorAt(1.0, wash);
    painter.fillRect(picture.rect(), gradient);
    return picture;
}

} // namespace zv

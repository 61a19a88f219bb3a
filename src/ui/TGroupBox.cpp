#include "ui/TGroupBox.h"

#include <QPainter>

namespace zv {

namespace {

// A rectangle's outline, one pixel wide, leaving a gap in the top line for the caption.
void drawOutline(QPainter& painter, QRect box, int gapLeft, int gapRight, const QColor& color)
{
    const int left = box.left(), right = box.right(), top = box.top(), bottom = box.bottom();
    painter.fillRect(QRect(QPoint(left, top), QPoint(std::max(left, gapLeft - 1), top)), color);
    if (gapRight <= right)
        painter.fillRect(QRect(QPoint(gapRight, top), QPoint(right, top)), color);
    painter.fillRect(QRect(QPoint(left, top), QPoint(left, bottom)), color);
    painter.fillRect(QRect(QPoint(right, top), QPoint(right, bottom)), color);
    painter.fillRect(QRect(QPoint(left, bottom), QPoint(right, bottom)), color);
}

} // namespace

TGroupBox::TGroupBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

int TGroupBox::frameTop() const
{
    return fontMetrics().height() / 2;
}

void TGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QString caption = title();
    const int captionWidth = caption.isEmpty() ? 0 : fontMetrics().horizontalAdvance(caption) + 2 * CaptionGap;
    const int gapLeft = CaptionLeft;
    const int gapRight = CaptionLeft + captionWidth;
    const QRect box(0, frameTop(), width(), height() - frameTop());
    if (isFlat()) {
        drawOutline(painter, box, gapLeft, gapRight, palette().color(QPalette::WindowText));
    } else {
        drawOutline(painter, box.adjusted(1, 1, 0, 0), gapLeft, gapRight, palette().color(QPalette::Light));
        drawOutline(painter, box.adjusted(0, 0, -1, -1), gapLeft, gapRight, palette().color(QPalette::Mid));
    }
    if (caption.isEmpty())
        return;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRect(CaptionLeft + CaptionGap, 0, captionWidth, fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}

} // namespace zv

#include "ui/TShape.h"

#include <QPainter>

namespace zv {

TShape::TShape(TShapeType shape, QColor fill, QColor border, int borderWidth, QWidget* parent)
    : QWidget(parent), m_shape(shape), m_fill(fill), m_border(border), m_borderWidth(borderWidth)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_shape == stRoundRect);
    QPen pen(m_border, m_borderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(m_fill);
    const qreal inset = m_borderWidth / 2.0;
    const QRectF frame = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_shape == stRoundRect) {
        // The corner of a rounded shape is a quarter of its shorter side.
        const qreal radius = std::min(frame.width(), frame.height()) / 4.0;
        painter.drawRoundedRect(frame, radius, radius);
    } else {
        painter.drawRect(frame);
    }
}

} // namespace zv

#include "ui/PickerForm.h"

#include "platform/desktop/Resources.h"
#include "ui/FixedPalette.h"
#include "ui/FormFonts.h"

#include <QBitmap>
#include <QPainter>
#include <QPushButton>

namespace zv {

namespace {

// A glyph whose bottom-left pixel's colour is the transparent one.
QIcon glyphIcon(const QString& name)
{
    const QImage image = Resources::image(name);
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(image.pixelColor(0, image.height() - 1)));
    return QIcon(pixmap);
}

} // namespace

PickerForm::PickerForm(QSize client, QRect frame, QWidget* parent)
    : QelForm(parent), m_frame(frame)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(client);
    setFont(FormFonts::sansSerif(11));
    FixedPalette::applyWhite(*this);
}

void PickerForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(frameColor(), FramePenWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    // The pen's middle runs one pixel inside the frame's edge, so the line covers it exactly.
    const qreal inset = FramePenWidth / 2.0;
    painter.drawRect(QRectF(m_frame).adjusted(inset, inset, -inset, -inset));
}

QPushButton* PickerForm::makeButton(QRect geometry, const QString& caption, const QString& glyph)
{
    auto* button = new QPushButton(glyphIcon(glyph), caption, this);
    button->setGeometry(geometry);
    return button;
}

QPushButton* PickerForm::makeOkButton(QRect geometry)
{
    QPushButton* button = makeButton(geometry, QStringLiteral("OK"), QStringLiteral("DAQELB"));
    button->setDefault(true);
    return button;
}

QPushButton* PickerForm::makeCancelButton(QRect geometry)
{
    QPushButton* button = makeButton(geometry, QStringLiteral("Cancel"), QStringLiteral("IKSICQELB"));
    connect(button, &QPushButton::clicked, this, &PickerForm::reject);
    return button;
}

} // namespace zv

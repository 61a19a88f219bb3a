#pragma once

#include "ui/QelButton.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFont>
#include <QMouseEvent>

namespace zv::test {

// A TQelButton whose drawing state and timer handlers tests can reach.
class ProbeButton : public TQelButton {
public:
    using TQelButton::TQelButton;
    using TQelCustomButton::CaptionHot;
    using TQelCustomButton::CaptionRect;
    using TQelCustomButton::DrawColorLeftTop;
    using TQelCustomButton::FaceRect;
    using TQelCustomButton::GlyphRect;
    using TQelCustomButton::HasFocus;
    using TQelCustomButton::IsActive;
    using TQelCustomButton::MarkRect;
    using TQelCustomButton::PointerLeft;
    using TQelCustomButton::PressOffset;
    using TQelCustomButton::RepeatStartTimer;
    using TQelCustomButton::RepeatStartTimerTimer;
    using TQelCustomButton::RepeatTimer;
    using TQelCustomButton::RepeatTimerTimer;

    // The next paint, as it would reach the screen.
    QImage rendered()
    {
        QImage image(size(), QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        render(&image);
        return image;
    }
    QColor pixel(int x, int y) { return rendered().pixelColor(x, y); }

    void enter() { sendEnter(QPoint(5, 5)); }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(this, &event);
    }
    void press(QPoint at = {10, 10}, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void release(QPoint at = {10, 10}, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void moveHeld(QPoint to) { mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); }
    void doubleClick(QPoint at = {10, 10}) { mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton); }
    // Press and release inside, after the pointer came in.
    void clickWithPointer()
    {
        enter();
        press();
        release();
    }

private:
    void sendEnter(QPoint at)
    {
        QEnterEvent event(at, at, mapToGlobal(QPointF(at)));
        QCoreApplication::sendEvent(this, &event);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &event);
    }
};

// The font of every text check: DejaVu Sans at 11 pixels is 13 pixels high; without
// antialiasing, text pixels have exactly the colour they are drawn in.
inline QFont testFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A picture of w x h in one colour, its bottom-left pixel magenta (the transparent colour).
inline QImage solidGlyph(int w, int h, QColor fill = Qt::red)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    image.setPixelColor(0, h - 1, QColor(255, 0, 255));
    return image;
}

} // namespace zv::test

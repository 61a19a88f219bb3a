#include "ui/BusyWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace zv {

namespace {

bool isEscape(const QEvent& event)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease
        && event.type() != QEvent::ShortcutOverride)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    return key.key() == Qt::Key_Escape || key.text() == QChar(27);
}

// Everything by which a user could change a field or press a button; drops count too, as a
// field takes dropped text.
bool isInput(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return event.isInputEvent();
    }
}

} // namespace

BusyWindow::BusyWindow(QWidget& window, QWidget& wayOut) : m_window(window), m_wayOut(wayOut)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    // On the application, so the events of every child are seen before the child acts.
    qApp->installEventFilter(this);
}

BusyWindow::~BusyWindow()
{
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool BusyWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!isInput(*event) || !isInside(m_window, watched) || isInside(m_wayOut, watched) || isEscape(*event))
        return false;
    // An accepted override keeps a shortcut from firing; the key press that follows is dropped.
    if (event->type() == QEvent::ShortcutOverride)
        event->accept();
    return true;
}

bool BusyWindow::isInside(const QWidget& outer, const QObject* watched) const
{
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget && (widget == &outer || outer.isAncestorOf(widget));
}

} // namespace zv

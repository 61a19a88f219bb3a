#include "ui/TrayIcon.h"

#include "platform/desktop/NotifyIconShell.h"
#include "platform/text/Utf8.h"
#include "platform/desktop/WindowMessages.h"

#include <QCoreApplication>
#include <QCursor>

namespace zv {

TTrayIcon::TTrayIcon(QObject* owner, NotifyIconShell& shell)
    : QObject(owner),
      m_shell(shell),
      m_messageWindow([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
          return windowProc(message, wParam, lParam);
      }),
      m_cursorPos([] { return QCursor::pos(); }),
      m_menuPopup([](QMenu& menu, const QPoint& position) { menu.exec(position); })
{
    m_animationTimer.setInterval(m_animateInterval);
    connect(&m_animationTimer, &QTimer::timeout, this, &TTrayIcon::animationStep);
}

TTrayIcon::~TTrayIcon()
{
    if (m_active)
        removeIcon();
}

void TTrayIcon::setActive(bool value)
{
    if (value == m_active)
        return;
    m_active = value;
    if (value)
        addIcon();
    else
        removeIcon();
}

void TTrayIcon::setAnimate(bool value)
{
    if (value && (!m_images || m_images->count() == 0 || !m_active))
        return;
    m_animate = value;
    if (value) {
        m_savedIcon = m_icon;
        m_frameIndex = 0;
        m_animationTimer.start();
    } else {
        m_animationTimer.stop();
        // Before any animation has run the saved icon is empty, and so becomes Icon.
        setIcon(m_savedIcon);
    }
}

void TTrayIcon::setAnimateInterval(int value)
{
    if (value <= 0)
        return;
    m_animateInterval = value;
    m_animationTimer.setInterval(value);
}

void TTrayIcon::setShowDesigning(bool value)
{
    // Only a form designer would show the icon for it; a running program keeps the value.
    m_showDesigning = value;
}

void TTrayIcon::setIcon(const QIcon& value)
{
    if (&value == &m_icon)
        return;
    m_icon = value;
    modifyIcon();
}

void TTrayIcon::setImages(ImageList* value)
{
    if (m_images)
        disconnect(m_images, &ImageList::removing, this, &TTrayIcon::notification);
    m_images = value;
    if (m_images)
        connect(m_images, &ImageList::removing, this, &TTrayIcon::notification);
}

void TTrayIcon::setToolTip(const std::string& value)
{
    m_toolTip = value.substr(0, Utf8::prefixLength(value, ToolTipLength));
    modifyIcon();
}

void TTrayIcon::setPopupMenu(QMenu* value)
{
    m_popupMenu = value;
    fillRecord();
    m_shell.setMenu(m_record, value);
}

void TTrayIcon::setCursorPosSource(CursorPosSource source)
{
    m_cursorPos = std::move(source);
}

void TTrayIcon::setMenuPopup(MenuPopup popup)
{
    m_menuPopup = std::move(popup);
}

void TTrayIcon::notification(QObject* component)
{
    if (!m_images || component != m_images)
        return;
    setAnimate(false);
    setImages(nullptr);
}

void TTrayIcon::fillRecord()
{
    m_record.cbSize = NotifyIconData::FirstFormSize;
    m_record.hWnd = &m_messageWindow;
    m_record.uID = 0;
    m_record.uFlags = NotifyIconFlag::Message | NotifyIconFlag::Icon | NotifyIconFlag::Tip;
    m_record.uCallbackMessage = CallbackMessage;
    m_record.hIcon = m_icon;
    m_record.setTip(m_toolTip);
}

bool TTrayIcon::addIcon()
{
    fillRecord();
    const bool added = m_shell.add(m_record);
    if (m_toolTip.empty())
        m_messageWindow.post(ToolTipRefreshMessage, 0, 0);
    return added;
}

bool TTrayIcon::modifyIcon()
{
    fillRecord();
    if (!m_active)
        return true;
    return m_shell.modify(m_record);
}

bool TTrayIcon::removeIcon()
{
    fillRecord();
    return m_shell.remove(m_record);
}

void TTrayIcon::animationStep()
{
    if (!m_images)
        return;
    // A list that shrank under the animation starts over rather than run past its end.
    if (m_frameIndex >= m_images->count() - 1)
        m_frameIndex = 0;
    else
        ++m_frameIndex;
    const QIcon frame = m_images->icon(m_frameIndex);
    setIcon(frame);
}

std::intptr_t TTrayIcon::windowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case ToolTipRefreshMessage:
        setToolTip(m_toolTip);
        return 0;
    case CallbackMessage:
        mouseMessage(lParam);
        return 0;
    default:
        return MessageWindow::defaultProcedure(message, wParam, lParam);
    }
}

void TTrayIcon::mouseMessage(std::intptr_t message)
{
    switch (message) {
    case WindowMessage::LButtonUp:
        if (m_onClick)
            m_onClick(this);
        break;
    case WindowMessage::LButtonDblClk:
        if (m_onDblClick)
            m_onDblClick(this);
        break;
    case WindowMessage::RButtonUp:
        rightClick();
        break;
    default:
        break;
    }
}

void TTrayIcon::rightClick()
{
    const QPoint position = m_cursorPos();
    const QPointer<TTrayIcon> alive(this);
    if (m_popupMenu) {
        bringApplicationToForeground();
        QCoreApplication::processEvents();
        // What was queued may have freed the component or its menu.
        if (!alive)
            return;
        if (m_popupMenu)
            m_menuPopup(*m_popupMenu, position);
        if (!alive)
            return;
    }
    if (m_onRightClick)
        m_onRightClick(this, Qt::RightButton, Qt::NoModifier, position.x(), position.y());
}

void TTrayIcon::bringApplicationToForeground()
{
    // The menu's window, when the user can see it, becomes the active one, so the menu's
    // commands and the keyboard go to this application; a hidden window stays hidden.
    QWidget* owner = m_popupMenu->parentWidget();
    QWidget* window = owner ? owner->window() : nullptr;
    if (window && window->isVisible() && !window->isMinimized())
        window->activateWindow();
}

} // namespace zv

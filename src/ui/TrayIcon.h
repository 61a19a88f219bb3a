#pragma once

#include "platform/desktop/MessageWindow.h"
#include "platform/desktop/NotifyIconData.h"
#include "platform/desktop/WindowMessages.h"
#include "ui/ImageList.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

namespace zv {

class NotifyIconShell;

// One icon in the desktop's notification area, owned by a form: a tooltip, events for
// mouse activity on the icon, an optional popup menu and an animation over an image list.
// The properties are declared in the order in which a form's stored settings are applied.
class TTrayIcon : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ active WRITE setActive)
    Q_PROPERTY(bool Animate READ animate WRITE setAnimate)
    Q_PROPERTY(int AnimateInterval READ animateInterval WRITE setAnimateInterval)
    Q_PROPERTY(bool ShowDesigning READ showDesigning WRITE setShowDesigning)
    Q_PROPERTY(QIcon Icon READ icon WRITE setIcon)
    Q_PROPERTY(zv::ImageList* Images READ images WRITE setImages)
    Q_PROPERTY(std::string ToolTip READ toolTip WRITE setToolTip)
    Q_PROPERTY(QMenu* PopupMenu READ popupMenu WRITE setPopupMenu)

public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    using MouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                          Qt::KeyboardModifiers shift, int x, int y)>;
    // Where the pointer is, in screen coordinates.
    using CursorPosSource = std::function<QPoint()>;
    // Shows menu at position and returns when it has closed.
    using MenuPopup = std::function<void(QMenu& menu, const QPoint& position)>;

    static constexpr unsigned CallbackMessage = WindowMessage::User + 1;
    static constexpr unsigned ToolTipRefreshMessage = WindowMessage::User + 2;
    static constexpr std::size_t ToolTipLength = 62;

    // The shell must outlive the component.
    TTrayIcon(QObject* owner, NotifyIconShell& shell);
    ~TTrayIcon() override;

    bool active() const { return m_active; }
    void setActive(bool value);
    bool animate() const { return m_animate; }
    void setAnimate(bool value);
    int animateInterval() const { return m_animateInterval; }
    void setAnimateInterval(int value);
    bool showDesigning() const { return m_showDesigning; }
    void setShowDesigning(bool value);
    const QIcon& icon() const { return m_icon; }
    void setIcon(const QIcon& value);
    ImageList* images() const { return m_images; }
    void setImages(ImageList* value);
    const std::string& toolTip() const { return m_toolTip; }
    void setToolTip(const std::string& value);
    QMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* value);

    void setOnClick(NotifyEvent handler) { m_onClick = std::move(handler); }
    void setOnDblClick(NotifyEvent handler) { m_onDblClick = std::move(handler); }
    void setOnRightClick(MouseEvent handler) { m_onRightClick = std::move(handler); }

    void setCursorPosSource(CursorPosSource source);
    void setMenuPopup(MenuPopup popup);

    const MessageWindow& messageWindow() const { return m_messageWindow; }
    const QTimer& animationTimer() const { return m_animationTimer; }
    int frameIndex() const { return m_frameIndex; }

public slots:
    // A fellow component is going away; the image list is watched.
    void notification(QObject* component);

private:
    void fillRecord();
    bool addIcon();
    bool modifyIcon();
    bool removeIcon();
    void animationStep();
    std::intptr_t windowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void mouseMessage(std::intptr_t message);
    void rightClick();
    void bringApplicationToForeground();

    NotifyIconShell& m_shell;
    MessageWindow m_messageWindow;
    NotifyIconData m_record;
    bool m_active = false;
    bool m_animate = false;
    int m_animateInterval = 100;
    bool m_showDesigning = false;
    QIcon m_icon;
    QIcon m_savedIcon;
    ImageList* m_images = nullptr;
    std::string m_toolTip;
    // Not owned and not watched by the form: a menu that went away counts as none.
    QPointer<QMenu> m_popupMenu;
    NotifyEvent m_onClick;
    NotifyEvent m_onDblClick;
    MouseEvent m_onRightClick;
    int m_frameIndex = 0;
    QTimer m_animationTimer;
    CursorPosSource m_cursorPos;
    MenuPopup m_menuPopup;
};

} // namespace zv

#pragma once

#include "platform/desktop/NotifyIconShell.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

class QMenu;

namespace zv {

class MessageWindow;

// The notification area on QSystemTrayIcon. Left release, double click and right release
// come back to the record's window as WM_LBUTTONUP, WM_LBUTTONDBLCLK and WM_RBUTTONUP.
// StatusNotifier hosts (KDE, GNOME's AppIndicator extension) report only single clicks
// and show an icon's menu themselves: there the icon's menu is handed to the tray.
class QtNotifyIconShell final : public QObject, public NotifyIconShell {
    Q_OBJECT

public:
    // What the shell asks of the desktop; an unset question gets the real answer.
    struct Probe {
        // Whether a notification area exists now.
        std::function<bool()> notificationAreaExists;
        // Whether the tray host shows icon menus itself (asked once, when first needed).
        std::function<bool()> trayShowsMenus;
    };

    explicit QtNotifyIconShell(Probe probe = {}, QObject* parent = nullptr);
    ~QtNotifyIconShell() override;

    bool add(const NotifyIconData& record) override;
    bool modify(const NotifyIconData& record) override;
    bool remove(const NotifyIconData& record) override;
    void setMenu(const NotifyIconData& record, QMenu* menu) override;
    bool hasNotificationArea() override;

    // The tray icon standing for the record's icon, nullptr while there is none.
    QSystemTrayIcon* trayIcon(const NotifyIconData& record) const;

    static bool statusNotifierHostRegistered();

private:
    using Key = std::pair<const MessageWindow*, std::uint32_t>;

    struct Entry {
        NotifyIconData record;
        std::unique_ptr<QSystemTrayIcon> tray; // none while no notification area exists
    };

    static Key keyOf(const NotifyIconData& record) { return {record.hWnd, record.uID}; }

    void install(const Key& key, Entry& entry);
    void apply(const NotifyIconData& record, Entry& entry);
    void updateVisibility(Entry& entry);
    void applyMenu(const Key& key, Entry& entry);
    void forward(const Key& key, QSystemTrayIcon::ActivationReason reason);
    void watch(MessageWindow* window);
    void forgetWindow(const QObject* window);
    bool showsMenus();
    static void dispose(std::unique_ptr<QSystemTrayIcon> tray);

    Probe m_probe;
    std::optional<bool> m_showsMenus;
    std::map<Key, Entry> m_entries;
    std::map<Key, QPointer<QMenu>> m_menus;
};

} // namespace zv

#include "platform/desktop/QtNotifyIconShell.h"

#include "platform/desktop/MessageWindow.h"
#include "platform/desktop/WindowMessages.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QMenu>

namespace zv {

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");

std::optional<unsigned> mouseMessageOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: return WindowMessage::LButtonUp;
    case QSystemTrayIcon::DoubleClick: return WindowMessage::LButtonDblClk;
    case QSystemTrayIcon::Context: return WindowMessage::RButtonUp;
    case QSystemTrayIcon::MiddleClick: return WindowMessage::MButtonUp;
    case QSystemTrayIcon::Unknown: break;
    }
    return std::nullopt;
}

} // namespace

QtNotifyIconShell::QtNotifyIconShell(Probe probe, QObject* parent)
    : QObject(parent), m_probe(std::move(probe))
{
    if (!m_probe.notificationAreaExists)
        m_probe.notificationAreaExists = &QSystemTrayIcon::isSystemTrayAvailable;
    if (!m_probe.trayShowsMenus)
        m_probe.trayShowsMenus = &statusNotifierHostRegistered;
}

QtNotifyIconShell::~QtNotifyIconShell() = default;

bool QtNotifyIconShell::statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(WatcherService))
        return false;
    QDBusInterface watcher(WatcherService, WatcherPath, WatcherService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

bool QtNotifyIconShell::hasNotificationArea()
{
    if (!m_probe.notificationAreaExists())
        return false;
    // A tray may have appeared since the icons were added: put them there now.
    for (auto& [key, entry] : m_entries)
        install(key, entry);
    return true;
}

bool QtNotifyIconShell::add(const NotifyIconData& record)
{
    const Key key = keyOf(record);
    if (m_entries.contains(key))
        return false;
    watch(record.hWnd);
    Entry& entry = m_entries[key];
    entry.record = record;
    // Without a notification area nothing is shown: the record waits for one to appear.
    if (!m_probe.notificationAreaExists())
        return false;
    install(key, entry);
    return true;
}

bool QtNotifyIconShell::modify(const NotifyIconData& record)
{
    const auto found = m_entries.find(keyOf(record));
    if (found == m_entries.end())
        return false;
    apply(record, found->second);
    return found->second.tray != nullptr;
}

bool QtNotifyIconShell::remove(const NotifyIconData& record)
{
    const auto found = m_entries.find(keyOf(record));
    if (found == m_entries.end())
        return false;
    const bool shown = found->second.tray != nullptr;
    dispose(std::move(found->second.tray));
    m_entries.erase(found);
    return shown;
}

void QtNotifyIconShell::setMenu(const NotifyIconData& record, QMenu* menu)
{
    const Key key = keyOf(record);
    watch(record.hWnd);
    m_menus[key] = menu;
    const auto found = m_entries.find(key);
    if (found != m_entries.end())
        applyMenu(key, found->second);
}

QSystemTrayIcon* QtNotifyIconShell::trayIcon(const NotifyIconData& record) const
{
    const auto found = m_entries.find(keyOf(record));
    return found == m_entries.end() ? nullptr : found->second.tray.get();
}

void QtNotifyIconShell::install(const Key& key, Entry& entry)
{
    if (entry.tray)
        return;
    entry.tray = std::make_unique<QSystemTrayIcon>();
    connect(entry.tray.get(), &QSystemTrayIcon::activated, this,
            [this, key](QSystemTrayIcon::ActivationReason reason) { forward(key, reason); });
    apply(entry.record, entry);
    applyMenu(key, entry);
}

void QtNotifyIconShell::apply(const NotifyIconData& record, Entry& entry)
{
    if (record.uFlags & NotifyIconFlag::Message)
        entry.record.uCallbackMessage = record.uCallbackMessage;
    if (record.uFlags & NotifyIconFlag::Icon)
        entry.record.hIcon = record.hIcon;
    if (record.uFlags & NotifyIconFlag::Tip)
        entry.record.szTip = record.szTip;
    entry.record.uFlags |= record.uFlags;
    if (!entry.tray)
        return;
    entry.tray->setIcon(entry.record.hIcon);
    entry.tray->setToolTip(QString::fromStdString(entry.record.tip()));
    updateVisibility(entry);
}

void QtNotifyIconShell::updateVisibility(Entry& entry)
{
    // A tray icon without an image is not shown (Qt would warn and show an empty slot);
    // it appears with its first image.
    entry.tray->setVisible(!entry.record.hIcon.isNull());
}

void QtNotifyIconShell::applyMenu(const Key& key, Entry& entry)
{
    if (!entry.tray || !showsMenus())
        return;
    const auto menu = m_menus.find(key);
    entry.tray->setContextMenu(menu == m_menus.end() ? nullptr : menu->second.data());
}

void QtNotifyIconShell::forward(const Key& key, QSystemTrayIcon::ActivationReason reason)
{
    const auto found = m_entries.find(key);
    const auto mouseMessage = mouseMessageOf(reason);
    if (found == m_entries.end() || !mouseMessage)
        return;
    const NotifyIconData& record = found->second.record;
    if (!(record.uFlags & NotifyIconFlag::Message))
        return;
    // Where the tray has shown the menu itself, the right button is already answered.
    const QSystemTrayIcon* tray = found->second.tray.get();
    if (*mouseMessage == WindowMessage::RButtonUp && tray && tray->contextMenu())
        return;
    record.hWnd->send(record.uCallbackMessage, record.uID, static_cast<std::intptr_t>(*mouseMessage));
}

void QtNotifyIconShell::watch(MessageWindow* window)
{
    if (window)
        connect(window, &QObject::destroyed, this, &QtNotifyIconShell::forgetWindow,
                Qt::UniqueConnection);
}

void QtNotifyIconShell::forgetWindow(const QObject* window)
{
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (entry->first.first != window) {
            ++entry;
            continue;
        }
        dispose(std::move(entry->second.tray));
        entry = m_entries.erase(entry);
    }
    std::erase_if(m_menus, [window](const auto& item) { return item.first.first == window; });
}

bool QtNotifyIconShell::showsMenus()
{
    if (!m_showsMenus)
        m_showsMenus = m_probe.trayShowsMenus();
    return *m_showsMenus;
}

void QtNotifyIconShell::dispose(std::unique_ptr<QSystemTrayIcon> tray)
{
    if (!tray)
        return;
    // The removal may come from a handler of this very icon's activation.
    tray->hide();
    tray.release()->deleteLater();
}

} // namespace zv

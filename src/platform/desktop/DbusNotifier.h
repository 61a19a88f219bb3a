#pragma once

#include "platform/services/DesktopNotifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QDBusMessage;

namespace zv {

class Shell;

// Notifications through the desktop's notification server (org.freedesktop.Notifications on
// the session bus). Nothing waits on the bus: every call is asynchronous, and the server's
// capabilities are asked before the first notification is sent. With no bus, no server or an
// error answer, nothing is shown and the reason is logged once in the category "zv.notify"
// (a debug line, off unless QT_LOGGING_RULES="zv.notify.debug=true"). A notification's "Open
// folder" action opens its folder through the shell. GUI thread only.
class DbusNotifier final : public QObject, public DesktopNotifier {
    Q_OBJECT
public:
    static constexpr const char* AppName = "Zare Vantrel";
    static constexpr const char* OpenFolderLabel = "Open folder";

    // appIcon: an icon's theme name or a picture's path.
    DbusNotifier(Shell& shell, QString appIcon, QDBusConnection bus = QDBusConnection::sessionBus());
    ~DbusNotifier() override;
    DbusNotifier(const DbusNotifier&) = delete;
    DbusNotifier& operator=(const DbusNotifier&) = delete;

    // The icon as the installed menu entry names it: the picture a user's install puts beside
    // the program, else the theme's icon the Debian package installs.
    static QString iconFor(const std::string& programDir);

    void notify(const std::string& summary, const std::string& body, const std::string& folderToOpen) override;

private slots:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct Notice {
        QString summary;
        QString body;
        std::string folder;
    };
    enum class Capabilities { Unknown, Asked, Known };

    void askCapabilities();
    void capabilitiesArrived(const QDBusMessage& reply);
    void send(const Notice& notice);
    void sent(const QDBusMessage& reply, const std::string& folder);
    void callAsync(const QString& method, const QList<QVariant>& arguments,
                   std::function<void(const QDBusMessage&)> then);
    void failed(const QString& reason);

    Shell& m_shell;
    const QString m_appIcon;
    QDBusConnection m_bus;
    Capabilities m_capabilities = Capabilities::Unknown;
    bool m_actions = false;
    bool m_bodyMarkup = false;
    std::vector<Notice> m_waiting;         // until the capabilities are known
    std::map<uint, std::string> m_folders; // the folders of shown notifications with the action
    bool m_failureLogged = false;
};

} // namespace zv

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <string>
#include <vector>

namespace zv::test {

// A desktop notification server (org.freedesktop.Notifications) on a bus of the test's: it
// answers GetCapabilities with the capabilities it was given, keeps every Notify call and
// gives each its own id, and emits the signals a test asks for. Its calls arrive through the
// test thread's event loop.
class NotificationServerStandIn final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };

    NotificationServerStandIn(const std::string& busAddress, QStringList capabilities);
    ~NotificationServerStandIn() override;

    // Whether it owns the service's name on the bus.
    bool registered() const { return m_registered; }
    // The user chose an action of the notification with that id.
    void invokeAction(uint id, const QString& actionKey) { emit ActionInvoked(id, actionKey); }

    std::vector<Call> calls; // the id of calls[i] is i + 1

public slots:
    QStringList GetCapabilities() { return m_capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    const QString m_connectionName;
    const QStringList m_capabilities;
    bool m_registered = false;
};

} // namespace zv::test

#include "support/NotificationServerStandIn.h"

namespace zv::test {

NotificationServerStandIn::NotificationServerStandIn(const std::string& busAddress, QStringList capabilities)
    : m_connectionName(QStringLiteral("notification-server-stand-in-%1").arg(quintptr(this))),
      m_capabilities(std::move(capabilities))
{
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(busAddress), m_connectionName);
    m_registered = bus.isConnected()
                && bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
                && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationServerStandIn::~NotificationServerStandIn() { QDBusConnection::disconnectFromBus(m_connectionName); }

uint NotificationServerStandIn::Notify(const QString& appName, uint, const QString& appIcon, const QString& summary,
                                       const QString& body, const QStringList& actions, const QVariantMap& hints, int)
{
    calls.push_back({appName, appIcon, summary, body, actions, hints});
    return static_cast<uint>(calls.size());
}

} // namespace zv::test

#include "platform/desktop/DbusNotifier.h"

#include "platform/files/Paths.h"
#include "platform/services/Shell.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QLoggingCategory>

#include <utility>

namespace zv {

namespace {

Q_LOGGING_CATEGORY(notifyCategory, "zv.notify", QtInfoMsg)

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = Service;
// The menu entry's name, as both installs name it; servers find the program's settings by it.
const QString DesktopEntry = QStringLiteral("zare-vantrel");
// Clicking the notification and its button both open the folder.
const QString DefaultAction = QStringLiteral("default");
const QString OpenFolderAction = QStringLiteral("open-folder");

// The body as a server that reads markup shows it literally.
QString escapedMarkup(QString text) { return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;"); }

} // namespace

DbusNotifier::DbusNotifier(Shell& shell, QString appIcon, QDBusConnection bus)
    : m_shell(shell), m_appIcon(std::move(appIcon)), m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(Service, ObjectPath, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(Service, ObjectPath, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint)));
}

DbusNotifier::~DbusNotifier() = default;

QString DbusNotifier::iconFor(const std::string& programDir)
{
    const QString picture = QString::fromStdString(Paths::join(programDir, "zare-vantrel.png"));
    return QFileInfo::exists(picture) ? picture : DesktopEntry;
}

void DbusNotifier::notify(const std::string& summary, const std::string& body, const std::string& folderToOpen)
{
    if (!m_bus.isConnected()) {
        failed(QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return;
    }
    const Notice notice{QString::fromStdString(summary), QString::fromStdString(body), folderToOpen};
    if (m_capabilities == Capabilities::Known) {
        send(notice);
        return;
    }
    m_waiting.push_back(notice);
    askCapabilities();
}

void DbusNotifier::askCapabilities()
{
    if (m_capabilities == Capabilities::Asked)
        return;
    m_capabilities = Capabilities::Asked;
    callAsync(QStringLiteral("GetCapabilities"), {}, [this](const QDBusMessage& reply) { capabilitiesArrived(reply); });
}

void DbusNotifier::capabilitiesArrived(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // A server that starts later is asked at the next notification.
        m_capabilities = Capabilities::Unknown;
        m_waiting.clear();
        failed(reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
        return;
    }
    const QStringList capabilities = reply.arguments().value(0).toStringList();
    m_actions = capabilities.contains(QStringLiteral("actions"));
    m_bodyMarkup = capabilities.contains(QStringLiteral("body-markup"));
    m_capabilities = Capabilities::Known;
    for (const Notice& notice : std::exchange(m_waiting, {}))
        send(notice);
}

void DbusNotifier::send(const Notice& notice)
{
    const bool withAction = m_actions && !notice.folder.empty();
    QStringList actions;
    if (withAction)
        actions << DefaultAction << OpenFolderLabel << OpenFolderAction << OpenFolderLabel;
    const QVariantMap hints{{QStringLiteral("desktop-entry"), DesktopEntry},
                            {QStringLiteral("category"), QStringLiteral("transfer.complete")}};
    const QList<QVariant> arguments{QString::fromUtf8(AppName),
                                    0u,
                                    m_appIcon,
                                    notice.summary,
                                    m_bodyMarkup ? escapedMarkup(notice.body) : notice.body,
                                    actions,
                                    hints,
                                    -1}; // the server's own time-out
    const std::string folder = withAction ? notice.folder : std::string();
    callAsync(QStringLiteral("Notify"), arguments, [this, folder](const QDBusMessage& reply) { sent(reply, folder); });
}

void DbusNotifier::sent(const QDBusMessage& reply, const std::string& folder)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_capabilities = Capabilities::Unknown; // the server may have gone; ask the next one
        failed(reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
        return;
    }
    if (!folder.empty())
        m_folders[reply.arguments().value(0).toUInt()] = folder;
}

void DbusNotifier::callAsync(const QString& method, const QList<QVariant>& arguments,
                             std::function<void(const QDBusMessage&)> then)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [then = std::move(then)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                then(finished->reply());
            });
}

void DbusNotifier::onActionInvoked(uint id, const QString& actionKey)
{
    const auto found = m_folders.find(id);
    if (found != m_folders.end() && (actionKey == DefaultAction || actionKey == OpenFolderAction))
        m_shell.exploreFolder(found->second);
}

void DbusNotifier::onNotificationClosed(uint id, uint) { m_folders.erase(id); }

void DbusNotifier::failed(const QString& reason)
{
    if (std::exchange(m_failureLogged, true))
        return;
    qCDebug(notifyCategory).noquote() << "Desktop notifications are not shown:" << reason;
}

} // namespace zv

#include "platform/desktop/DbusNotifier.h"
#include "support/CategoryLog.h"
#include "support/NotificationServerStandIn.h"
#include "support/PrivateSessionBus.h"
#include "support/RecordingShell.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace zv;
using namespace zv::test;

TEST(DbusNotifierOnAPrivateBus, EscapesTheBodyAndOffersOpenFolderWhereTheServerCanAndTheActionOpensThatFolder)
{
    if (!PrivateSessionBus::available())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address().empty());
    NotificationServerStandIn server(bus.address(), {"actions", "body", "body-markup"});
    ASSERT_TRUE(server.registered());
    RecordingShell shell;
    const QString connection = QStringLiteral("notifier-under-test");
    {
        DbusNotifier notifier(shell, "zare-vantrel",
                              QDBusConnection::connectToBus(QString::fromStdString(bus.address()), connection));
        notifier.notify("Download finished", "R&D <draft>.pdf\nin /dl", "/dl");
        notifier.notify("2 downloads finished", "a.bin\nb.bin", "");
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.calls.size() == 2; }));
        EXPECT_EQ(server.calls[0].appName, "Zare Vantrel");
        EXPECT_EQ(server.calls[0].body, "R&amp;D &lt;draft&gt;.pdf\nin /dl");
        EXPECT_EQ(server.calls[0].actions, QStringList({"default", "Open folder", "open-folder", "Open folder"}));
        EXPECT_TRUE(server.calls[1].actions.isEmpty());

        server.invokeAction(2, "default"); // a notification without a folder opens none
        server.invokeAction(1, "open-folder");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shell.calls.empty(); }));
        EXPECT_EQ(shell.calls, std::vector<std::string>{"explore /dl"});
    }
    QDBusConnection::disconnectFromBus(connection);
}

TEST(DbusNotifierWithoutABus, ShowsNothingAndLogsTheReasonOnce)
{
    CategoryLog log("zv.notify");
    RecordingShell shell;
    const QString connection = QStringLiteral("notifier-without-a-bus");
    {
        DbusNotifier notifier(shell, "zare-vantrel",
                              QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), connection));
        notifier.notify("Download finished", "a.bin\nin /dl", "/dl");
        notifier.notify("Download finished", "b.bin\nin /dl", "/dl");
    }
    QDBusConnection::disconnectFromBus(connection);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("no session bus"), std::string::npos) << log.lines()[0];
    EXPECT_TRUE(shell.calls.empty());
}

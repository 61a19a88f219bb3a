#include "platform/desktop/MessageWindow.h"
#include "platform/desktop/QtNotifyIconShell.h"
#include "platform/desktop/WindowMessages.h"
#include "support/QtMessageCapture.h"
#include "support/TestIcons.h"

#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace zv;
using test::colouredIcon;

namespace {

// A message window that records the callback messages it is sent.
struct CallbackWindow {
    std::vector<std::intptr_t> mouseMessages;
    std::function<void()> onMessage;
    MessageWindow window{[this](unsigned message, std::uintptr_t, std::intptr_t lParam) {
        if (message == 1025)
            mouseMessages.push_back(lParam);
        if (onMessage)
            onMessage();
        return std::intptr_t{0};
    }};

    NotifyIconData record(const QIcon& icon = colouredIcon(QColor(Qt::red)), const char* tip = "Merrowtip")
    {
        NotifyIconData data;
        data.hWnd = &window;
        data.uFlags = NotifyIconFlag::Message | NotifyIconFlag::Icon | NotifyIconFlag::Tip;
        data.uCallbackMessage = 1025;
        data.hIcon = icon;
        data.setTip(tip);
        return data;
    }
};

// A shell that believes in a notification area; Qt's own complaints about the offscreen
// platform having none are kept out of the output.
class QtNotifyIconShellTest : public ::testing::Test {
protected:
    test::QtMessageCapture qtMessages;
    bool areaExists = true;
    bool trayShowsMenus = false;
    QtNotifyIconShell shell{{[this] { return areaExists; }, [this] { return trayShowsMenus; }}};
    CallbackWindow callbacks;
};

} // namespace

TEST_F(QtNotifyIconShellTest, AddShowsTheIconWithItsTipAndDeleteTakesItAway)
{
    const NotifyIconData record = callbacks.record();
    EXPECT_TRUE(shell.add(record));
    QSystemTrayIcon* tray = shell.trayIcon(record);
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), "Merrowtip");
    EXPECT_EQ(tray->icon().cacheKey(), record.hIcon.cacheKey());

    EXPECT_FALSE(shell.add(record)) << "the same icon twice";
    EXPECT_TRUE(shell.remove(record));
    EXPECT_EQ(shell.trayIcon(record), nullptr);
    EXPECT_FALSE(shell.remove(record));
    EXPECT_FALSE(shell.modify(record));
}

TEST_F(QtNotifyIconShellTest, IconWithoutImageWaitsForItsFirstImage)
{
    NotifyIconData record = callbacks.record(QIcon(), "");
    shell.add(record);
    QSystemTrayIcon* tray = shell.trayIcon(record);
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->isVisible());

    record.hIcon = colouredIcon(QColor(Qt::green));
    record.setTip("Merrowtip");
    EXPECT_TRUE(shell.modify(record));
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), "Merrowtip");
    EXPECT_EQ(tray->icon().cacheKey(), record.hIcon.cacheKey());
}

TEST_F(QtNotifyIconShellTest, ModifyChangesOnlyTheFieldsItsFlagsName)
{
    NotifyIconData record = callbacks.record();
    shell.add(record);
    const qint64 firstImage = record.hIcon.cacheKey();
    record.hIcon = colouredIcon(QColor(Qt::blue));
    record.setTip("changed");
    record.uFlags = NotifyIconFlag::Tip;
    shell.modify(record);
    EXPECT_EQ(shell.trayIcon(record)->toolTip(), "changed");
    EXPECT_EQ(shell.trayIcon(record)->icon().cacheKey(), firstImage);
}

TEST_F(QtNotifyIconShellTest, ClicksComeBackAsTheCallbackMessage)
{
    const NotifyIconData record = callbacks.record();
    shell.add(record);
    QSystemTrayIcon* tray = shell.trayIcon(record);
    emit tray->activated(QSystemTrayIcon::Trigger);
    emit tray->activated(QSystemTrayIcon::DoubleClick);
    emit tray->activated(QSystemTrayIcon::Context);
    emit tray->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(callbacks.mouseMessages,
              (std::vector<std::intptr_t>{WindowMessage::LButtonUp, WindowMessage::LButtonDblClk,
                                          WindowMessage::RButtonUp}));
}

TEST_F(QtNotifyIconShellTest, IconRemovedByItsOwnClickHandlerGoesQuietly)
{
    const NotifyIconData record = callbacks.record();
    shell.add(record);
    callbacks.onMessage = [&] { shell.remove(record); };
    emit shell.trayIcon(record)->activated(QSystemTrayIcon::Trigger);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shell.trayIcon(record), nullptr);
    EXPECT_EQ(callbacks.mouseMessages.size(), 1u);
}

TEST_F(QtNotifyIconShellTest, TrayThatShowsMenusGetsTheMenuAndAnswersTheRightButtonItself)
{
    trayShowsMenus = true;
    QMenu menu;
    const NotifyIconData record = callbacks.record();
    shell.setMenu(record, &menu); // before the add, as a form may do
    shell.add(record);
    QSystemTrayIcon* tray = shell.trayIcon(record);
    EXPECT_EQ(tray->contextMenu(), &menu);
    emit tray->activated(QSystemTrayIcon::Context);
    emit tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(callbacks.mouseMessages, std::vector<std::intptr_t>{WindowMessage::LButtonUp});
}

TEST_F(QtNotifyIconShellTest, TrayThatReportsTheRightButtonGetsNoMenu)
{
    QMenu menu;
    const NotifyIconData record = callbacks.record();
    shell.add(record);
    shell.setMenu(record, &menu);
    EXPECT_EQ(shell.trayIcon(record)->contextMenu(), nullptr);
}

TEST_F(QtNotifyIconShellTest, IconAddedBeforeTheNotificationAreaAppearsIsShownOnceItExists)
{
    areaExists = false;
    const NotifyIconData record = callbacks.record();
    EXPECT_FALSE(shell.add(record));
    EXPECT_FALSE(shell.modify(record));
    EXPECT_EQ(shell.trayIcon(record), nullptr);
    EXPECT_FALSE(shell.hasNotificationArea());

    areaExists = true;
    EXPECT_TRUE(shell.hasNotificationArea());
    ASSERT_NE(shell.trayIcon(record), nullptr);
    EXPECT_TRUE(shell.trayIcon(record)->isVisible());
}

TEST_F(QtNotifyIconShellTest, DestroyedWindowTakesItsIconAlong)
{
    auto window = std::make_unique<CallbackWindow>();
    const NotifyIconData record = window->record();
    shell.add(record);
    window.reset();
    EXPECT_EQ(shell.trayIcon(record), nullptr);
}

// The desktop as it is: under the offscreen platform and a bare X server there is no
// notification area, and adding an icon there must fail without a word.
TEST(QtNotifyIconShellOnThisDesktop, FailsQuietlyWhereNoNotificationAreaExists)
{
    QtNotifyIconShell shell;
    if (shell.hasNotificationArea())
        GTEST_SKIP() << "this desktop has a notification area";
    test::QtMessageCapture qtMessages;
    CallbackWindow callbacks;
    NotifyIconData record = callbacks.record(QIcon(), "");
    EXPECT_FALSE(shell.add(record));
    record.hIcon = colouredIcon(QColor(Qt::red));
    EXPECT_FALSE(shell.modify(record));
    EXPECT_FALSE(shell.remove(record));
    QCoreApplication::processEvents();
    EXPECT_EQ(qtMessages.warnings(), std::vector<std::string>{});
}

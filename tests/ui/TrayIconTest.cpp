#include "platform/desktop/QtNotifyIconShell.h"
#include "platform/desktop/WindowMessages.h"
#include "support/QtMessageCapture.h"
#include "support/RecordingNotifyIconShell.h"
#include "support/TestIcons.h"
#include "ui/ImageList.h"
#include "ui/TrayIcon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMetaProperty>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace zv;
using Operation = test::RecordingNotifyIconShell::Operation;
using test::colourOf;
using test::colouredIcon;

namespace {

const QColor Red(Qt::red), Green(Qt::green), Blue(Qt::blue), Yellow(Qt::yellow);
const std::string RedName = "#ff0000", GreenName = "#00ff00", BlueName = "#0000ff";

// Runs the event loop until done() holds; gives up after a generous while.
bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

class TrayIconTest : public ::testing::Test {
protected:
    void TearDown() override { QCoreApplication::processEvents(); }

    std::vector<test::RecordingNotifyIconShell::Call> callsOf(Operation operation) const
    {
        std::vector<test::RecordingNotifyIconShell::Call> matching;
        for (const auto& call : shell.calls) {
            if (call.operation == operation)
                matching.push_back(call);
        }
        return matching;
    }

    test::RecordingNotifyIconShell shell;
    QObject form;
    TTrayIcon* tray = new TTrayIcon(&form, shell);
};

class TrayIconAnimationTest : public TrayIconTest {
protected:
    TrayIconAnimationTest()
    {
        for (const QColor& colour : {Red, Green, Blue})
            images->add(colouredIcon(colour));
        tray->setActive(true);
        tray->setToolTip("Merrowtip");
        tray->setIcon(colouredIcon(Yellow));
        QCoreApplication::processEvents(); // the tooltip refresh of the add
    }

    // Lets the animation run until the shell has been sent count frames more.
    void runFrames(std::size_t count)
    {
        const std::size_t target = shell.calls.size() + count;
        ASSERT_TRUE(waitUntil([&] { return shell.calls.size() >= target; }));
    }

    // The colours of the first count frames the animation sends to the shell.
    std::vector<std::string> framesShown(std::size_t count)
    {
        const std::size_t before = shell.calls.size();
        tray->setAnimateInterval(1);
        tray->setAnimate(true);
        runFrames(count);
        tray->setAnimate(false);
        return colourNames(before, before + count);
    }

    std::vector<std::string> colourNames(std::size_t from, std::size_t to) const
    {
        std::vector<std::string> names;
        for (std::size_t i = from; i < to && i < shell.calls.size(); ++i)
            names.push_back(colourOf(shell.calls[i].record.hIcon).name().toStdString());
        return names;
    }

    ImageList* images = new ImageList(&form);
};

} // namespace

TEST_F(TrayIconTest, ToolTipKeepsItsFirst62CharactersAndSendsThem)
{
    const std::string seventy(70, 'x');
    tray->setActive(true);
    tray->setToolTip(seventy);
    EXPECT_EQ(tray->toolTip(), std::string(62, 'x'));
    EXPECT_EQ(shell.last().operation, Operation::Modify);
    EXPECT_EQ(shell.last().record.tip(), std::string(62, 'x'));
}

TEST_F(TrayIconTest, ToolTipIsNeverCutInsideACharacter)
{
    // 61 single bytes and a two-byte character: the 62nd byte would split it.
    const std::string text = std::string(61, 'a') + "\xc3\xa4" + "b";
    tray->setToolTip(text);
    EXPECT_EQ(tray->toolTip(), std::string(61, 'a'));
}

TEST_F(TrayIconTest, ActiveTwiceAddsOnceAndFalseRemovesOnce)
{
    tray->setActive(true);
    tray->setActive(true);
    EXPECT_EQ(shell.count(Operation::Add), 1);
    tray->setActive(false);
    tray->setActive(false);
    EXPECT_EQ(shell.count(Operation::Remove), 1);
    EXPECT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.last().record.hWnd, &tray->messageWindow());
}

TEST_F(TrayIconTest, ChangesWhileInactiveAreHeldForTheNextAdd)
{
    tray->setIcon(colouredIcon(Green));
    tray->setToolTip("held");
    EXPECT_TRUE(shell.calls.empty());
    tray->setActive(true);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(colourOf(shell.last().record.hIcon), Green);
    EXPECT_EQ(shell.last().record.tip(), "held");
    // Without these flags the shell ignores the icon, the tip and the clicks.
    using namespace NotifyIconFlag;
    EXPECT_EQ(shell.last().record.uFlags, Message | Icon | Tip);

    tray->setActive(false);
    tray->setIcon(colouredIcon(Blue));
    tray->setActive(true);
    EXPECT_EQ(shell.count(Operation::Modify), 0);
    EXPECT_EQ(colourOf(shell.last().record.hIcon), Blue);
}

TEST_F(TrayIconTest, IconIsCopiedAndSettingItsOwnIconDoesNothing)
{
    tray->setActive(true);
    QIcon given = colouredIcon(Red);
    tray->setIcon(given);
    given = colouredIcon(Green);
    EXPECT_EQ(colourOf(tray->icon()), Red);
    const std::size_t calls = shell.calls.size();
    tray->setIcon(tray->icon());
    EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(TrayIconTest, EmptyToolTipAtAddPostsARefreshThatModifiesLater)
{
    tray->setActive(true);
    ASSERT_EQ(shell.calls.size(), 1u) << "the refresh is posted, not sent";
    tray->setIcon(colouredIcon(Red));
    tray->setToolTip("later");
    QCoreApplication::processEvents();
    ASSERT_EQ(shell.calls.size(), 4u);
    EXPECT_EQ(shell.last().operation, Operation::Modify);
    EXPECT_EQ(shell.last().record.tip(), "later");
    EXPECT_EQ(colourOf(shell.last().record.hIcon), Red);
}

TEST_F(TrayIconTest, ToolTipAtAddPostsNoRefresh)
{
    tray->setToolTip("tip");
    tray->setActive(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(TrayIconTest, FormLoadAddsFirstAndSendsImageAndTipByModification)
{
    // Stored settings of the main window, applied in property order as a form load does.
    const std::map<std::string, QVariant> stored{
        {"Active", true},         {"Animate", false},
        {"AnimateInterval", 100}, {"ShowDesigning", false},
        {"Icon", colouredIcon(Red)}, {"ToolTip", QVariant::fromValue(std::string("Merrowtip"))}};
    const QMetaObject& meta = TTrayIcon::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const auto setting = stored.find(meta.property(i).name());
        if (setting != stored.end()) {
            ASSERT_TRUE(meta.property(i).write(tray, setting->second)) << setting->first;
        }
    }
    QCoreApplication::processEvents();

    ASSERT_EQ(shell.calls.size(), 5u);
    EXPECT_EQ(shell.calls[0].operation, Operation::Add);
    EXPECT_TRUE(shell.calls[0].record.hIcon.isNull());
    EXPECT_EQ(shell.calls[0].record.tip(), "");
    EXPECT_TRUE(shell.calls[1].record.hIcon.isNull()) << "Animate false empties Icon";
    EXPECT_EQ(colourOf(shell.calls[2].record.hIcon), Red);
    EXPECT_EQ(shell.calls[2].record.tip(), "");
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(shell.calls[i].operation, Operation::Modify);
    for (std::size_t i : {3u, 4u}) {
        EXPECT_EQ(colourOf(shell.calls[i].record.hIcon), Red);
        EXPECT_EQ(shell.calls[i].record.tip(), "Merrowtip");
    }
}

TEST_F(TrayIconTest, DestroyingAnActiveComponentRemovesTheIcon)
{
    tray->setToolTip("tip");
    tray->setActive(true);
    const MessageWindow* window = &tray->messageWindow();
    delete tray;
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.last().operation, Operation::Remove);
    EXPECT_EQ(shell.last().record.hWnd, window);
}

TEST_F(TrayIconTest, OwnerDestroysTheComponentAndAnInactiveOneMakesNoCall)
{
    auto owner = std::make_unique<QObject>();
    auto* owned = new TTrayIcon(owner.get(), shell);
    owned->setToolTip("tip");
    owner.reset();
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, AnimateIntervalIgnoresZeroAndNegative)
{
    tray->setAnimateInterval(250);
    tray->setAnimateInterval(0);
    tray->setAnimateInterval(-5);
    EXPECT_EQ(tray->animateInterval(), 250);
    EXPECT_EQ(tray->animationTimer().interval(), 250);
}

TEST_F(TrayIconAnimationTest, AnimateWithoutImagesOrWhileInactiveIsIgnored)
{
    const auto ignored = [this] {
        tray->setAnimate(true);
        return !tray->animate() && !tray->animationTimer().isActive();
    };
    EXPECT_TRUE(ignored());
    ImageList empty;
    tray->setImages(&empty);
    EXPECT_TRUE(ignored());
    tray->setActive(false);
    tray->setImages(images);
    EXPECT_TRUE(ignored());
}

TEST_F(TrayIconAnimationTest, ThreeImagesShowFramesOneTwoZeroInTurn)
{
    tray->setImages(images);
    EXPECT_EQ(framesShown(6), (std::vector<std::string>{GreenName, BlueName, RedName, GreenName,
                                                        BlueName, RedName}));
}

TEST_F(TrayIconAnimationTest, OneImageShowsItAgainAndAgain)
{
    ImageList single;
    single.add(colouredIcon(Blue));
    tray->setImages(&single);
    EXPECT_EQ(framesShown(2), (std::vector<std::string>{BlueName, BlueName}));
}

TEST_F(TrayIconAnimationTest, StoppingPutsBackTheIconShownBefore)
{
    tray->setImages(images);
    framesShown(2);
    EXPECT_FALSE(tray->animationTimer().isActive());
    EXPECT_EQ(colourOf(tray->icon()), Yellow);
    EXPECT_EQ(colourOf(shell.last().record.hIcon), Yellow);
}

TEST_F(TrayIconAnimationTest, FreeingTheImageListStopsTheAnimationAndPutsBackTheIcon)
{
    tray->setImages(images);
    tray->setAnimate(true);
    ASSERT_TRUE(tray->animationTimer().isActive());
    delete images;
    EXPECT_EQ(tray->images(), nullptr);
    EXPECT_FALSE(tray->animate());
    EXPECT_FALSE(tray->animationTimer().isActive());
    EXPECT_EQ(colourOf(tray->icon()), Yellow);
    EXPECT_EQ(colourOf(shell.last().record.hIcon), Yellow);
}

TEST_F(TrayIconAnimationTest, ListThatIsNoLongerTheImagesIsNotWatched)
{
    tray->setImages(images);
    ImageList other;
    other.add(colouredIcon(Red));
    tray->setImages(&other);
    tray->setAnimate(true);
    delete images;
    EXPECT_TRUE(tray->animate());
    EXPECT_EQ(tray->images(), &other);
    tray->setAnimate(false);
}

TEST_F(TrayIconAnimationTest, ListThatShrankUnderTheAnimationStartsOver)
{
    tray->setImages(images);
    tray->setAnimateInterval(1);
    tray->setAnimate(true);
    ASSERT_TRUE(waitUntil([&] { return tray->frameIndex() == 2; }));
    images->clear();
    images->add(colouredIcon(Green));
    const std::size_t before = shell.calls.size();
    runFrames(2);
    tray->setAnimate(false);
    EXPECT_EQ(colourNames(before, before + 2), (std::vector<std::string>{GreenName, GreenName}));
}

namespace {

// Records the order of what a right click does.
class TrayIconClickTest : public TrayIconTest {
protected:
    TrayIconClickTest()
    {
        tray->setActive(true);
        tray->setCursorPosSource([] { return QPoint(640, 470); });
        tray->setMenuPopup([this](QMenu& menu, const QPoint& position) {
            events.push_back("popup " + std::to_string(position.x()) + "," +
                             std::to_string(position.y()) + (&menu == &this->menu ? "" : " other"));
            modifiesAtPopup = shell.count(Operation::Modify);
        });
        tray->setOnClick([this](QObject* sender) {
            events.push_back(sender == tray ? "click" : "click from another");
        });
        tray->setOnDblClick([this](QObject* sender) {
            events.push_back(sender == tray ? "double click" : "double click from another");
        });
    }

    void handleRightClick()
    {
        tray->setOnRightClick([this](QObject* sender, Qt::MouseButton button,
                                     Qt::KeyboardModifiers shift, int x, int y) {
            const bool asExpected = sender == tray && button == Qt::RightButton && shift == Qt::NoModifier;
            events.push_back(std::string(asExpected ? "" : "odd ") + "right click " +
                             std::to_string(x) + "," + std::to_string(y));
        });
    }

    QMenu menu;
    std::vector<std::string> events;
    int modifiesAtPopup = -1;
};

} // namespace

TEST_F(TrayIconClickTest, DoubleClickReportedAsThreeMessagesRaisesEachEvent)
{
    shell.sendMouse(WindowMessage::LButtonUp);
    shell.sendMouse(WindowMessage::LButtonDblClk);
    shell.sendMouse(WindowMessage::LButtonUp);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "double click", "click"}));
}

TEST_F(TrayIconClickTest, OtherMouseMessagesAndUnassignedEventsDoNothing)
{
    shell.sendMouse(WindowMessage::RButtonUp); // neither menu nor handler
    shell.sendMouse(0x0200); // pointer moved
    shell.sendMouse(WindowMessage::MButtonUp);
    tray->setOnClick({});
    shell.sendMouse(WindowMessage::LButtonUp);
    EXPECT_TRUE(events.empty());
}

TEST_F(TrayIconClickTest, RightClickWithoutMenuRaisesOnlyOnRightClick)
{
    handleRightClick();
    shell.sendMouse(WindowMessage::RButtonUp);
    EXPECT_EQ(events, std::vector<std::string>{"right click 640,470"});
}

TEST_F(TrayIconClickTest, RightClickPopsTheMenuAtThePointerAfterQueuedEventsThenRaisesTheEvent)
{
    handleRightClick();
    tray->setPopupMenu(&menu);
    // The add with an empty tooltip queued a refresh: it runs before the menu shows.
    ASSERT_EQ(shell.count(Operation::Modify), 0);
    shell.sendMouse(WindowMessage::RButtonUp);
    EXPECT_EQ(events, (std::vector<std::string>{"popup 640,470", "right click 640,470"}));
    EXPECT_EQ(modifiesAtPopup, 1);
}

TEST_F(TrayIconClickTest, MenuThatWentAwayCountsAsNone)
{
    handleRightClick();
    auto* passing = new QMenu;
    tray->setPopupMenu(passing);
    delete passing;
    shell.sendMouse(WindowMessage::RButtonUp);
    EXPECT_EQ(tray->popupMenu(), nullptr);
    EXPECT_EQ(events, std::vector<std::string>{"right click 640,470"});
}

TEST_F(TrayIconClickTest, PopupMenuIsHandedToTheShell)
{
    tray->setPopupMenu(&menu);
    tray->setPopupMenu(nullptr);
    EXPECT_EQ(shell.menus, (std::vector<QMenu*>{&menu, nullptr}));
}

// The component on the real shell where the desktop has no notification area (offscreen,
// or a bare X server): the icon goes on and off without a word from Qt.
TEST(TrayIconOnThisDesktop, ActivatesQuietlyWhereNoNotificationAreaExists)
{
    QtNotifyIconShell shell;
    if (shell.hasNotificationArea())
        GTEST_SKIP() << "this desktop has a notification area";
    test::QtMessageCapture qtMessages;
    QMenu menu;
    {
        TTrayIcon tray(nullptr, shell);
        tray.setActive(true);
        tray.setAnimate(false);
        tray.setIcon(colouredIcon(Red));
        tray.setToolTip("Merrowtip");
        tray.setPopupMenu(&menu);
        QCoreApplication::processEvents();
        EXPECT_FALSE(shell.hasNotificationArea());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(qtMessages.warnings(), std::vector<std::string>{});
}

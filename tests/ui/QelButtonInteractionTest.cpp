#include "ProbeButton.h"

#include "platform/sound/WaveImage.h"
#include "ui/QelForm.h"
#include "support/RecordingSound.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

using namespace zv;
using test::ProbeButton;
using B = TQelCustomButton;

namespace {

// Every event the button raises, in order.
struct EventLog {
    explicit EventLog(TQelCustomButton& button)
    {
        const auto record = [this](const char* name) { return [this, name] { events.emplace_back(name); }; };
        QObject::connect(&button, &B::OnClick, record("click"));
        QObject::connect(&button, &B::OnDblClick, record("dblclick"));
        QObject::connect(&button, &B::OnMouseDown, record("down"));
        QObject::connect(&button, &B::OnMouseUp, record("up"));
        QObject::connect(&button, &B::OnMouseOver, record("over"));
        QObject::connect(&button, &B::OnMouseOut, record("out"));
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(events.begin(), events.end(), name)); }
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

} // namespace

TEST(QelButtonPointer, ClickComesAtTheReleaseBeforeMouseUp)
{
    ProbeButton button;
    EventLog log(button);
    int offsetDuringClick = -1;
    QObject::connect(&button, &B::OnClick, [&] { offsetDuringClick = button.PressOffset; });
    button.clickWithPointer();
    EXPECT_EQ(log.events, (Events{"over", "down", "click", "up"}));
    EXPECT_EQ(offsetDuringClick, 1); // still pressed while OnClick runs
    EXPECT_EQ(button.PressOffset, 0);
    EXPECT_TRUE(button.CaptionHot);
}

TEST(QelButtonPointer, ReleaseOutsideAfterLeavingGivesNothing)
{
    ProbeButton button;
    button.setRepeatAction(true);
    EventLog log(button);
    button.enter();
    button.press();
    ASSERT_TRUE(button.RepeatStartTimer->isActive());
    button.moveHeld({200, 10});
    EXPECT_EQ(button.PointerLeft, 1);
    EXPECT_FALSE(button.RepeatStartTimer->isActive());
    EXPECT_EQ(button.PressOffset, 0);
    button.release({200, 10});
    button.leave(); // what Qt sends once the grab ends
    EXPECT_EQ(log.events, (Events{"over", "down", "out"}));
}

TEST(QelButtonPointer, ReEntryWhileHeldIsHotAndTheReleaseCounts)
{
    ProbeButton button;
    button.setPalette([] {
        QPalette palette;
        palette.setColor(QPalette::Light, QColor(250, 240, 150));
        return palette;
    }());
    EventLog log(button);
    button.enter();
    button.press();
    button.moveHeld({200, 10});
    button.moveHeld({10, 10});
    EXPECT_EQ(button.PressOffset, 0);
    EXPECT_EQ(button.PointerLeft, 0);
    EXPECT_EQ(button.pixel(0, 12), QColor(250, 240, 150)); // the hot frame, not the pressed one
    button.release();
    EXPECT_EQ(log.events, (Events{"over", "down", "out", "over", "click", "up"}));
}

TEST(QelButtonPointer, RightButtonDoesNothing)
{
    ProbeButton button;
    EventLog log(button);
    button.press({10, 10}, Qt::RightButton);
    EXPECT_EQ(button.PressOffset, 0);
    button.release({10, 10}, Qt::RightButton);
    EXPECT_TRUE(log.events.empty());
}

TEST(QelButtonPointer, DoubleClickGivesTwoClicks)
{
    ProbeButton button;
    EventLog log(button);
    button.press();
    button.release();
    button.doubleClick();
    button.release();
    EXPECT_EQ(log.events, (Events{"down", "click", "up", "dblclick", "down", "click", "up"}));
}

TEST(QelButtonPointer, DisabledButtonIgnoresThePointer)
{
    ProbeButton button;
    EventLog log(button);
    button.setEnabled(false);
    button.enter();
    button.press();
    button.release();
    button.leave();
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(button.CaptionHot);
}

TEST(QelButtonPointer, DisablingWhileHeldResetsTheLook)
{
    ProbeButton button;
    button.setRepeatAction(true);
    button.enter();
    button.press();
    button.setEnabled(false);
    EXPECT_EQ(button.PressOffset, 0);
    EXPECT_FALSE(button.CaptionHot);
    EXPECT_FALSE(button.RepeatStartTimer->isActive());
}

TEST(QelButtonPointer, HandCursorOnlyWhileThePointerIsIn)
{
    QWidget window;
    ProbeButton button(&window);
    button.enter();
    EXPECT_TRUE(button.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(button.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(button.cursor().hotSpot(), QPoint(0, 0));
    button.leave();
    EXPECT_FALSE(button.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);

    button.setCursorHandCustom(false);
    button.enter();
    EXPECT_FALSE(button.testAttribute(Qt::WA_SetCursor));
}

TEST(QelButtonPointer, EntryPlaysTheClickWhenAsked)
{
    test::RecordingSound sound;
    ProbeButton button;
    button.setSound(&sound);
    button.enter();
    button.leave();
    EXPECT_TRUE(sound.images.empty());

    button.setPlayMusic(true);
    button.enter();
    ASSERT_EQ(sound.images.size(), 1u);
    const auto wave = WaveImage::parse(sound.images.front());
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->frameCount(), 297u);
    EXPECT_EQ(wave->sampleRate(), 22050u);
}

TEST(QelButtonRepeat, HoldingRepeatsOnClickUntilTheRelease)
{
    ProbeButton button;
    button.setRepeatAction(true);
    EventLog log(button);
    button.enter();
    button.press();
    EXPECT_TRUE(button.RepeatStartTimer->isActive());
    EXPECT_FALSE(button.RepeatTimer->isActive());
    button.RepeatStartTimerTimer();
    EXPECT_FALSE(button.RepeatStartTimer->isActive());
    EXPECT_TRUE(button.RepeatTimer->isActive());
    button.RepeatTimerTimer();
    button.RepeatTimerTimer();
    button.RepeatTimerTimer();
    button.release();
    EXPECT_EQ(log.events, (Events{"over", "down", "click", "click", "click", "click", "up"}));
    EXPECT_FALSE(button.RepeatTimer->isActive());
}

TEST(QelButtonRepeat, RealTimersRepeatWhileHeld)
{
    ProbeButton button;
    button.setRepeatAction(true);
    button.setRepeatStartInterval(5);
    button.setRepeatInterval(5);
    int clicks = 0;
    QObject::connect(&button, &B::OnClick, [&clicks] { ++clicks; });
    button.enter();
    button.press();
    ASSERT_TRUE(QTest::qWaitFor([&clicks] { return clicks >= 3; }, 10000));
    const int repeated = clicks;
    button.release();
    EXPECT_EQ(clicks, repeated + 1);
    EXPECT_FALSE(button.RepeatTimer->isActive());
    EXPECT_FALSE(button.RepeatStartTimer->isActive());
}

TEST(QelButtonRepeat, DisablingFromOnClickStopsTheRepeat)
{
    ProbeButton button;
    button.setRepeatAction(true);
    int clicks = 0;
    QObject::connect(&button, &B::OnClick, [&] {
        if (++clicks == 2)
            button.setEnabled(false);
    });
    button.enter();
    button.press();
    button.RepeatStartTimerTimer();
    button.RepeatTimerTimer();
    EXPECT_TRUE(button.RepeatTimer->isActive());
    button.RepeatTimerTimer();
    EXPECT_FALSE(button.RepeatTimer->isActive());
    EXPECT_EQ(clicks, 2);
}

TEST(QelButtonRepeat, TicksRaiseOnlyTheEventAndTestRepeatAction)
{
    QelForm form;
    ProbeButton button(&form);
    button.setButtonKind(B::skOK);
    button.setRepeatAction(true);
    int clicks = 0;
    QObject::connect(&button, &B::OnClick, [&clicks] { ++clicks; });
    button.RepeatTimerTimer();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form.ModalResult(), mrNone); // no kind action
    button.setRepeatAction(false);
    button.RepeatTimerTimer();
    EXPECT_EQ(clicks, 1);
}

TEST(QelButtonPopup, MenuOpensBesideTheButtonByPositionPopup)
{
    EXPECT_EQ(B::popupMenuPoint(B::puRight, {100, 200}, {75, 25}, {120, 60}), QPoint(176, 200));
    EXPECT_EQ(B::popupMenuPoint(B::puDown, {100, 200}, {75, 25}, {120, 60}), QPoint(99, 225));
    EXPECT_EQ(B::popupMenuPoint(B::puLeft, {100, 200}, {75, 25}, {120, 60}), QPoint(-21, 200));
}

TEST(QelButtonPopup, PressRunsTheMenuModallyThenRests)
{
    QWidget window;
    window.resize(300, 200);
    auto* button = new ProbeButton(&window);
    button->move(100, 50);
    button->setPositionPopup(B::puRight);
    button->setRepeatAction(true);
    QMenu menu;
    menu.addAction("Item");
    button->setPopupMenu(&menu);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EventLog log(*button);

    QPoint opened;
    bool heldWhileOpen = false;
    bool timerWhileOpen = false;
    QTimer::singleShot(0, &menu, [&] {
        opened = menu.pos();
        heldWhileOpen = button->PressOffset == 1 && button->CaptionHot;
        timerWhileOpen = button->RepeatStartTimer->isActive();
        menu.close();
    });
    button->press();
    EXPECT_EQ(opened, button->mapToGlobal(QPoint(0, 0)) + QPoint(76, 0));
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_TRUE(timerWhileOpen);
    EXPECT_EQ(button->PressOffset, 0);
    EXPECT_FALSE(button->CaptionHot);
    EXPECT_FALSE(button->RepeatStartTimer->isActive());
    EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), button);
    button->release(); // the menu took the real one: no click
    EXPECT_EQ(log.events, (Events{"down", "up"}));
}

TEST(QelButtonPopup, ClickFromTheKeyboardOpensTheMenuToo)
{
    QWidget window;
    auto* button = new ProbeButton(&window);
    QMenu menu;
    menu.addAction("Item");
    button->setPopupMenu(&menu);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bool opened = false;
    QTimer::singleShot(0, &menu, [&] {
        opened = menu.isVisible();
        menu.close();
    });
    button->Click();
    EXPECT_TRUE(opened);
}

TEST(QelButtonPopup, DestroyedMenuIsForgotten)
{
    ProbeButton button;
    EventLog log(button);
    {
        QMenu menu;
        button.setPopupMenu(&menu);
    }
    EXPECT_EQ(button.PopupMenu(), nullptr);
    button.press();
    button.release();
    EXPECT_EQ(log.events, (Events{"down", "click", "up"}));
}

TEST(QelButtonHint, SecondLineIsAppendedOnlyToAHint)
{
    TQelButton button;
    button.setHintSecondLine("b");
    EXPECT_EQ(button.Hint(), QString());
    EXPECT_EQ(button.HintSecondLine(), "b");

    button.setHint("a");
    button.setHintSecondLine("b");
    EXPECT_EQ(button.Hint(), "a\rb");
    EXPECT_TRUE(button.toolTip().contains("a<br"));
    EXPECT_FALSE(button.toolTip().contains('\r'));
    button.setHintSecondLine("");
    EXPECT_EQ(button.Hint(), "a\rb");
    button.setHintSecondLine("c");
    EXPECT_EQ(button.Hint(), "a\rb\rc");
}

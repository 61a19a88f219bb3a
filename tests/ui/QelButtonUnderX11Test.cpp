// Pointer behaviour that needs a real X server: the crossings X11 and Qt send when a window
// hides, a modal dialog opens or a menu grabs the pointer. The pointer is really moved; the
// presses go in where the platform's own would. The suite runs in its own CTest entry under
// Xvfb with the xcb platform and is skipped on any other platform.
#include "ProbeButton.h"

#include "ui/QelForm.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <string>
#include <vector>

using namespace zv;
using test::ProbeButton;
using B = TQelCustomButton;

namespace {

using Events = std::vector<std::string>;

// The pointer events the button raises, in order, for as long as the log lives.
struct EventLog : QObject {
    explicit EventLog(TQelCustomButton& button)
    {
        const auto record = [this](const char* name) { return [this, name] { events.emplace_back(name); }; };
        connect(&button, &B::OnClick, this, record("click"));
        connect(&button, &B::OnMouseDown, this, record("down"));
        connect(&button, &B::OnMouseUp, this, record("up"));
        connect(&button, &B::OnMouseOver, this, record("over"));
        connect(&button, &B::OnMouseOut, this, record("out"));
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(events.begin(), events.end(), name)); }
    Events events;
};

// Counts the entries and exits a top-level window gets from the platform.
struct CrossingCount : QObject {
    bool eventFilter(QObject*, QEvent* event) override
    {
        entries += event->type() == QEvent::Enter;
        exits += event->type() == QEvent::Leave;
        return false;
    }
    int entries = 0;
    int exits = 0;
};

class UnderX11QelButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs X11: its CTest entry runs it under Xvfb";
        parkPointer();
    }
    // Away from every test window.
    static void parkPointer() { QCursor::setPos(1000, 740); }
    static void pointAt(const QWidget& widget) { QCursor::setPos(widget.mapToGlobal(widget.rect().center())); }
    // The window's place, and the button's in it.
    static ProbeButton* placeButton(QWidget& window)
    {
        window.setGeometry(100, 100, 300, 150);
        auto* button = new ProbeButton(&window);
        button->move(20, 20);
        return button;
    }
    // The window watches its crossings; the pointer comes onto the button.
    static void showAndEnter(QWidget& window, ProbeButton& button, EventLog& log, CrossingCount& crossings)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.windowHandle()->installEventFilter(&crossings);
        pointAt(button);
        ASSERT_TRUE(QTest::qWaitFor([&log] { return log.count("over") == 1; }));
    }
    static void press(ProbeButton& button)
    {
        QTest::mousePress(button.window()->windowHandle(), Qt::LeftButton, {}, centreInWindow(button));
    }
    static void release(ProbeButton& button)
    {
        QTest::mouseRelease(button.window()->windowHandle(), Qt::LeftButton, {}, centreInWindow(button));
    }
    static QPoint centreInWindow(const QWidget& widget) { return widget.mapTo(widget.window(), widget.rect().center()); }
    // What the screen shows where the button is.
    static QImage onScreen(const QWidget& widget)
    {
        const QPoint at = widget.mapToGlobal(QPoint(0, 0));
        const QPixmap grab = QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), widget.width(), widget.height());
        return grab.toImage().convertToFormat(QImage::Format_RGB32);
    }
};

} // namespace

TEST_F(UnderX11QelButton, AWindowHiddenWhileTheButtonIsHotOpensAgainResting)
{
    QelForm form;
    auto* ok = placeButton(form);
    ok->setButtonKind(B::skOK);
    auto* resting = new ProbeButton(&form); // never hot: the look to come back in
    resting->setButtonKind(B::skOK);
    resting->hide();
    EventLog log(*ok);
    CrossingCount crossings;
    form.setModal(true); // so that OK's result closes it
    ASSERT_NO_FATAL_FAILURE(showAndEnter(form, *ok, log, crossings));

    press(*ok);
    release(*ok);
    ASSERT_FALSE(form.isVisible());
    EXPECT_EQ(log.events, (Events{"over", "down", "click", "up"}));
    EXPECT_FALSE(ok->CaptionHot);

    parkPointer();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage restingLook = resting->rendered().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen(*ok) == restingLook; }));
    pointAt(*ok);
    EXPECT_TRUE(QTest::qWaitFor([&log] { return log.count("over") == 2; }));
    EXPECT_TRUE(ok->CaptionHot);
}

TEST_F(UnderX11QelButton, AModalDialogFromOnClickKeepsThePressedLookUntilItReturns)
{
    QWidget window;
    auto* button = placeButton(window);
    EventLog log(*button);
    CrossingCount crossings;
    ASSERT_NO_FATAL_FAILURE(showAndEnter(window, *button, log, crossings));
    QDialog dialog(&window);
    dialog.setGeometry(600, 400, 100, 100); // away from the pointer
    bool pointerGoesAway = false;
    int exitsWhenOpen = 0;
    bool pressedWhileOpen = false;
    QObject::connect(button, &B::OnClick, [&] {
        QTimer::singleShot(0, &dialog, [&] {
            exitsWhenOpen = crossings.exits;
            pressedWhileOpen = button->PressOffset == 1 && button->CaptionHot;
            if (pointerGoesAway)
                parkPointer();
            dialog.accept();
        });
        dialog.exec();
    });

    press(*button);
    release(*button);
    EXPECT_EQ(exitsWhenOpen, 1); // what the dialog's opening sent
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_EQ(log.events, (Events{"over", "down", "click", "up"}));
    EXPECT_EQ(button->PressOffset, 0);
    EXPECT_TRUE(button->CaptionHot); // hot: the pointer is still there
    ASSERT_TRUE(QTest::qWaitFor([&] { return crossings.entries == 2; })); // Qt's own, after the dialog
    EXPECT_EQ(log.count("over"), 1);

    pointerGoesAway = true;
    press(*button);
    release(*button);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_EQ(log.events, (Events{"over", "down", "click", "up", "down", "click", "up", "out"}));
    EXPECT_FALSE(button->CaptionHot);
}

TEST_F(UnderX11QelButton, AnOpenPopupMenuKeepsThePressedLookAndTheRepeat)
{
    QWidget window;
    auto* button = placeButton(window);
    button->setPositionPopup(B::puRight);
    button->setRepeatAction(true);
    button->setRepeatStartInterval(5);
    button->setRepeatInterval(5);
    QMenu menu;
    menu.addAction("Item");
    button->setPopupMenu(&menu);
    EventLog log(*button);
    CrossingCount crossings;
    ASSERT_NO_FATAL_FAILURE(showAndEnter(window, *button, log, crossings));
    bool grabbed = false;
    bool pressedWhileOpen = false;
    bool repeatedWhileOpen = false;
    QTimer::singleShot(0, &menu, [&] {
        grabbed = QTest::qWaitFor([&] { return crossings.exits == 1; }); // the menu's pointer grab
        pressedWhileOpen = button->PressOffset == 1 && button->CaptionHot;
        repeatedWhileOpen = QTest::qWaitFor([&] { return log.count("click") >= 3; });
        menu.close();
    });

    press(*button);
    EXPECT_TRUE(grabbed);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_TRUE(repeatedWhileOpen);
    EXPECT_EQ(button->PressOffset, 0);
    EXPECT_FALSE(button->CaptionHot);
    EXPECT_FALSE(button->RepeatTimer->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return crossings.entries == 2; })); // the grab's end
    EXPECT_FALSE(button->CaptionHot); // resting: that entry is no more real than the exit
    release(*button);
    EXPECT_EQ(log.count("out"), 0);
    EXPECT_EQ(log.count("over"), 1);
    EXPECT_EQ(log.events.back(), "up");
}

#include "ProbeButton.h"

#include "ui/QelForm.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>

using namespace zv;
using test::ProbeButton;
using test::solidGlyph;
using B = TQelCustomButton;

namespace {

const QColor face(200, 200, 200);
const QColor highlight(250, 240, 150);
const QColor shadow(90, 90, 160);
const QColor customFace(244, 255, 236);

// System colours that differ from each other and from white and black.
QPalette distinctPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::Light, highlight);
    palette.setColor(QPalette::Dark, shadow);
    palette.setColor(QPalette::WindowText, Qt::black);
    return palette;
}

void prepare(ProbeButton& button)
{
    button.setPalette(distinctPalette());
    button.setFont(test::testFont());
    button.setColor(ColorValue(15532020));
}

QColor inverted(QColor color)
{
    return QColor(255 - color.red(), 255 - color.green(), 255 - color.blue());
}

} // namespace

// The defaults that shape the look are held by the drawing tests below (flat style, hot
// tracking in blue, 75 x 25, theme margins); only the read-only version is checked here.
TEST(QelButtonDefaults, VersionCannotBeWritten)
{
    TQelButton button;
    const QString version = button.Version();
    EXPECT_FALSE(version.isEmpty());
    button.setProperty("Version", "something else");
    EXPECT_EQ(button.Version(), version);
}

TEST(QelButtonGeometry, GlyphAloneWithMarkStandsLeftOfCentre)
{
    ProbeButton button;
    prepare(button);
    button.setGlyph(solidGlyph(18, 18));
    button.setPopupMenuMark(true);
    const QImage image = button.rendered();
    EXPECT_EQ(button.GlyphRect, (TRect{23, 3, 41, 21}));
    EXPECT_EQ(button.MarkRect, (TRect{46, 10, 51, 13}));
    EXPECT_EQ(image.pixelColor(30, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(23, 20), customFace); // the glyph's transparent corner
    EXPECT_EQ(image.pixelColor(46, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(48, 12), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(46, 12), customFace);
}

TEST(QelButtonGeometry, MarkOnlyBesideGlyphAboveOrBelowCaption)
{
    ProbeButton button;
    prepare(button);
    button.setGlyph(solidGlyph(18, 18));
    button.setPopupMenuMark(true);
    button.setCaption("Menu");
    button.rendered();
    EXPECT_EQ(button.MarkRect, TRect{});
    button.setLayout(B::blGlyphTop);
    button.resize(75, 50);
    button.rendered();
    EXPECT_EQ(button.MarkRect.Left, button.GlyphRect.Right + 5);
}

TEST(QelButtonGeometry, CaptionStandsAboveGlyphInGlyphBottom)
{
    ProbeButton button;
    prepare(button);
    ASSERT_EQ(QFontMetrics(test::testFont()).height(), 13);
    button.resize(75, 60);
    button.setGlyph(solidGlyph(18, 18));
    button.setCaption("Text");
    button.setLayout(B::blGlyphBottom);
    button.rendered();
    EXPECT_EQ(button.CaptionRect.Top, button.GlyphRect.Top - 18);
    EXPECT_EQ(button.CaptionRect.height(), 13);
}

TEST(QelButtonGeometry, GlyphAndCaptionFollowTheLayout)
{
    ProbeButton button;
    prepare(button);
    button.resize(100, 60);
    button.setGlyph(solidGlyph(18, 18));
    button.setCaption("Text");
    const int gap = button.Spacing();
    button.setLayout(B::blGlyphLeft);
    button.rendered();
    EXPECT_EQ(button.CaptionRect.Left, button.GlyphRect.Right + gap);
    button.setLayout(B::blGlyphRight);
    button.rendered();
    EXPECT_EQ(button.CaptionRect.Right, button.GlyphRect.Left - gap);
    button.setLayout(B::blGlyphTop);
    button.rendered();
    EXPECT_EQ(button.CaptionRect.Top, button.GlyphRect.Bottom + gap);
}

TEST(QelButtonGeometry, CaptionAloneIsCentredWhateverTheLayout)
{
    for (const B::TLayout layout : {B::blGlyphLeft, B::blGlyphBottom, B::blGlyphRight, B::blGlyphTop}) {
        ProbeButton button;
        prepare(button);
        button.setCaption("&Retry");
        button.setLayout(layout);
        button.rendered();
        const int tw = QFontMetrics(test::testFont()).horizontalAdvance("&Retry");
        EXPECT_EQ(button.CaptionRect, (TRect{(75 - tw) / 2, 6, (75 - tw) / 2 + tw, 19}));
    }
}

TEST(QelButtonGeometry, PressedLookMovesGlyphAndCaptionOnePixel)
{
    ProbeButton button;
    prepare(button);
    button.setGlyph(solidGlyph(18, 18));
    button.setCaption("Go");
    button.rendered();
    const TRect glyph = button.GlyphRect;
    const TRect caption = button.CaptionRect;
    button.press();
    button.rendered();
    EXPECT_EQ(button.GlyphRect, (TRect{glyph.Left + 1, glyph.Top + 1, glyph.Right + 1, glyph.Bottom + 1}));
    EXPECT_EQ(button.CaptionRect.Left, caption.Left + 1);
    EXPECT_EQ(button.CaptionRect.Top, caption.Top + 1);
}

TEST(QelButtonGlyphs, FrameCountIsDetectedFromTheSize)
{
    struct Case {
        int width;
        int expected;
    };
    for (const Case c : {Case{72, 4}, Case{90, 1}, Case{36, 2}, Case{18, 1}, Case{10, 1}, Case{40, 3}}) {
        TQelButton button;
        button.setNumGlyphs(3);
        button.setGlyph(solidGlyph(c.width, 18));
        EXPECT_EQ(button.NumGlyphs(), c.expected) << c.width << " x 18";
    }
    TQelButton button;
    button.setGlyphHot(solidGlyph(54, 18));
    EXPECT_EQ(button.NumGlyphsHot(), 3);
}

TEST(QelButtonKinds, StockKindsGiveCaptionPicturesRoleAndResult)
{
    struct Case {
        B::TKind kind;
        const char* caption;
        bool isDefault;
        bool isCancel;
        int modalResult;
    };
    const Case cases[] = {
        {B::skOK, "OK", true, false, mrOk},          {B::skCancel, "Cancel", false, true, mrCancel},
        {B::skHelp, "&Help", false, false, mrNone},  {B::skYes, "&Yes", true, false, mrYes},
        {B::skNo, "&No", false, true, mrNo},         {B::skAbort, "Abort", false, false, mrAbort},
        {B::skRetry, "&Retry", false, false, mrRetry}, {B::skIgnore, "&Ignore", false, false, mrIgnore},
        {B::skAll, "&All", false, false, mrAll},     {B::skSilly, "&Silly", false, false, mrNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QelForm form;
        TQelButton button(&form);
        button.setButtonKind(c.kind);
        EXPECT_EQ(button.Caption(), c.caption);
        EXPECT_EQ(button.Default(), c.isDefault);
        EXPECT_EQ(button.Cancel(), c.isCancel);
        EXPECT_EQ(button.NumGlyphs(), 1);
        EXPECT_EQ(button.NumGlyphsHot(), 1);
        EXPECT_FALSE(button.Glyph().isNull());
        EXPECT_FALSE(button.GlyphHot().isNull());
        EXPECT_NE(button.Glyph(), button.GlyphHot());
        button.Click();
        EXPECT_EQ(form.ModalResult(), c.modalResult);
    }
}

TEST(QelButtonKinds, GlyphAssignmentKeepsCaptionButEndsTheKind)
{
    QelForm form;
    TQelButton button(&form);
    button.setButtonKind(B::skOK);
    button.setGlyph(solidGlyph(18, 18));
    EXPECT_EQ(button.ButtonKind(), B::skCustom);
    EXPECT_EQ(button.Caption(), "OK");
    EXPECT_TRUE(button.Default());
    button.Click();
    EXPECT_EQ(form.ModalResult(), mrNone);
}

TEST(QelButtonKinds, CustomAfterCancelEmptiesGlyphsAndClearsCancel)
{
    TQelButton button;
    button.setButtonKind(B::skCancel);
    button.setButtonKind(B::skCustom);
    EXPECT_TRUE(button.Glyph().isNull());
    EXPECT_TRUE(button.GlyphHot().isNull());
    EXPECT_FALSE(button.Cancel());
    EXPECT_EQ(button.Caption(), "Cancel");
}

TEST(QelButtonKinds, CloseAndHelpActOnTheParentForm)
{
    QelForm form;
    form.setHelpContext(7);
    auto* close = new TQelButton(&form);
    close->setButtonKind(B::skClose);
    auto* help = new TQelButton(&form);
    help->setButtonKind(B::skHelp);
    std::vector<int> asked;
    QObject::connect(&form, &QelForm::helpRequested, [&asked](int context) { asked.push_back(context); });

    help->Click();
    help->setHelpContext(12);
    help->Click();
    EXPECT_EQ(asked, (std::vector<int>{7, 12}));

    form.show();
    close->Click();
    EXPECT_FALSE(form.isVisible());

    TQelButton alone; // no form: nothing to do, nothing breaks
    alone.setButtonKind(B::skClose);
    alone.Click();
    alone.setButtonKind(B::skHelp);
    alone.Click();
}

TEST(QelButtonStyles, NoneDrawsNoFrameInAnyLook)
{
    ProbeButton button;
    prepare(button);
    button.setButtonStyle(B::stNone);
    const auto borderIsFace = [&button] {
        const QImage image = button.rendered();
        for (const QPoint p : {QPoint(0, 0), QPoint(0, 12), QPoint(37, 0), QPoint(74, 12), QPoint(37, 24), QPoint(74, 24)})
            if (image.pixelColor(p) != customFace)
                return false;
        return true;
    };
    EXPECT_TRUE(borderIsFace());
    button.enter();
    EXPECT_TRUE(borderIsFace());
    button.press();
    EXPECT_TRUE(borderIsFace());
    EXPECT_EQ(button.PressOffset, 1);
}

TEST(QelButtonStyles, FlatShowsItsFrameOnlyWhenHot)
{
    ProbeButton button;
    prepare(button);
    EXPECT_EQ(button.pixel(0, 12), customFace);
    button.enter();
    const QImage hot = button.rendered();
    EXPECT_EQ(hot.pixelColor(0, 12), highlight);
    EXPECT_EQ(hot.pixelColor(37, 0), highlight);
    EXPECT_EQ(hot.pixelColor(74, 12), shadow);
    EXPECT_EQ(hot.pixelColor(74, 0), shadow); // top-right corner
    EXPECT_EQ(hot.pixelColor(0, 24), shadow);  // bottom-left corner
    EXPECT_EQ(hot.pixelColor(1, 12), customFace);
    button.press();
    EXPECT_EQ(button.pixel(0, 12), shadow);
}

TEST(QelButtonStyles, CustomFrameColourSurvivesALaterStyle)
{
    ProbeButton button;
    prepare(button);
    button.setButtonStyle(B::stFlatDot);
    button.setColorMarginLeftTop(clWhite);
    EXPECT_EQ(button.ColorMarginStyle(), B::cmCustom);
    button.setButtonStyle(B::stRaised);
    EXPECT_EQ(button.ColorMarginLeftTop(), clWhite);
    const QImage image = button.rendered();
    EXPECT_EQ(image.pixelColor(0, 12), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(1, 12), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(74, 12), shadow);

    button.setColorMarginStyle(B::cmDefault);
    EXPECT_EQ(button.ColorMarginLeftTop(), clBtnHighlight);
    EXPECT_EQ(button.pixel(0, 12), highlight);
}

TEST(QelButtonStyles, DefaultColourOfAStyleKeepsDefaultMargins)
{
    TQelButton button;
    button.setButtonStyle(B::stDefault);
    button.setColorMarginRightBottom(clBlack);
    EXPECT_EQ(button.ColorMarginStyle(), B::cmDefault);
    button.setColorMarginRightBottom(clBtnShadow);
    EXPECT_EQ(button.ColorMarginStyle(), B::cmCustom);
}

TEST(QelButtonStyles, DottedFrameSetsEveryOtherPixel)
{
    ProbeButton button;
    prepare(button);
    button.setButtonStyle(B::stRaisedDot);
    const QImage image = button.rendered();
    EXPECT_EQ(image.pixelColor(10, 0), highlight);
    EXPECT_EQ(image.pixelColor(11, 0), customFace);
    EXPECT_EQ(image.pixelColor(11, 1), highlight);
}

TEST(QelButtonStyles, DefaultStyleHasFrameInnerEdgeAndForcedFace)
{
    ProbeButton button;
    prepare(button);
    button.setButtonStyle(B::stDefault);
    EXPECT_EQ(button.Color(), clBtnFace);
    EXPECT_FALSE(button.ParentColor());
    button.setColor(ColorValue(15532020));
    EXPECT_EQ(button.Color(), clBtnFace);

    const QImage rest = button.rendered();
    EXPECT_EQ(rest.pixelColor(0, 12), highlight);
    EXPECT_EQ(rest.pixelColor(37, 0), highlight);
    EXPECT_EQ(rest.pixelColor(74, 12), QColor(Qt::black));
    EXPECT_EQ(rest.pixelColor(37, 24), QColor(Qt::black));
    EXPECT_EQ(rest.pixelColor(1, 12), highlight); // raised inner edge
    EXPECT_EQ(rest.pixelColor(37, 1), highlight);
    EXPECT_EQ(rest.pixelColor(73, 12), shadow);
    EXPECT_EQ(rest.pixelColor(37, 23), shadow);
    EXPECT_EQ(rest.pixelColor(5, 5), face);

    button.press();
    const QImage pressed = button.rendered();
    EXPECT_EQ(pressed.pixelColor(0, 12), QColor(Qt::black));
    EXPECT_EQ(pressed.pixelColor(74, 12), highlight);
    EXPECT_EQ(pressed.pixelColor(1, 12), shadow); // sunken inner edge
    EXPECT_EQ(pressed.pixelColor(73, 12), highlight);
}

TEST(QelButtonStyles, FrameRaisedLeavesAGapBeforeItsInnerEdge)
{
    ProbeButton button;
    prepare(button);
    button.setButtonStyle(B::stFrameRaised);
    const QImage image = button.rendered();
    EXPECT_EQ(image.pixelColor(0, 12), highlight);
    EXPECT_EQ(image.pixelColor(1, 12), face);
    EXPECT_EQ(image.pixelColor(2, 12), highlight);
    EXPECT_EQ(image.pixelColor(72, 12), shadow);
}

TEST(QelButtonStyles, FocusMarkIsDottedAndInvertedInsideTheInnerEdge)
{
    QelForm form;
    QLineEdit edit(&form);
    edit.move(0, 60);
    auto* button = new ProbeButton(&form);
    button->setPalette(distinctPalette());
    button->setButtonStyle(B::stDefault);
    button->setTabStop(true);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    button->setFocus();
    ASSERT_TRUE(button->HasFocus);

    const QImage focused = button->rendered();
    EXPECT_EQ(focused.pixelColor(4, 4), inverted(face)); // FaceRect (1, 1, 74, 24) less 3
    EXPECT_EQ(focused.pixelColor(5, 4), face);
    EXPECT_EQ(focused.pixelColor(70, 20), inverted(face));
    EXPECT_EQ(focused.pixelColor(3, 3), face);

    button->setShowFocused(false);
    EXPECT_EQ(button->pixel(4, 4), face);
    button->setShowFocused(true);
    edit.setFocus();
    EXPECT_FALSE(button->HasFocus);
    EXPECT_EQ(button->pixel(4, 4), face);
}

TEST(QelButtonStyles, AFlatButtonShowsTheFocusMarkWhenTabReachesItButNotAfterAClick)
{
    QelForm form;
    QLineEdit edit(&form);
    edit.move(0, 60);
    auto* button = new ProbeButton(&form);
    prepare(*button);
    button->setButtonStyle(B::stFlatDot);
    button->setTabStop(true);
    QWidget::setTabOrder(&edit, button);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(button->pixel(3, 3), inverted(customFace));
    EXPECT_EQ(button->pixel(4, 3), customFace);

    edit.setFocus();
    button->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(button->pixel(3, 3), customFace);
}

TEST(QelButtonDisabled, TwoFrameGlyphShowsItsSecondFrame)
{
    ProbeButton button;
    prepare(button);
    QImage glyph = solidGlyph(36, 18, Qt::red);
    for (int y = 0; y < 18; ++y)
        for (int x = 18; x < 36; ++x)
            glyph.setPixelColor(x, y, Qt::green);
    glyph.setPixelColor(18, 17, Qt::magenta);
    button.setGlyph(glyph);
    ASSERT_EQ(button.NumGlyphs(), 2);
    EXPECT_EQ(button.pixel(37, 12), QColor(Qt::red));
    button.setEnabled(false);
    EXPECT_EQ(button.pixel(37, 12), QColor(Qt::green));
}

TEST(QelButtonDisabled, OneFrameGlyphShowsOnlyItsBlackPixelsEmbossed)
{
    ProbeButton button;
    prepare(button);
    QImage glyph = solidGlyph(18, 18, Qt::red);
    glyph.setPixelColor(5, 5, Qt::black);
    button.setGlyph(glyph);
    button.setEnabled(false);
    const QImage image = button.rendered();
    const QPoint origin = button.GlyphRect.topLeft();
    EXPECT_EQ(image.pixelColor(origin + QPoint(5, 5)), shadow);
    EXPECT_EQ(image.pixelColor(origin + QPoint(6, 6)), highlight);
    EXPECT_EQ(image.pixelColor(origin + QPoint(10, 10)), customFace); // red vanishes
}

TEST(QelButtonDisabled, CaptionIsEmbossedToo)
{
    ProbeButton button;
    prepare(button);
    button.setCaption("IIII");
    button.setEnabled(false);
    const QImage image = button.rendered();
    bool shadowSeen = false;
    bool blackSeen = false;
    for (int y = button.CaptionRect.Top; y < button.CaptionRect.Bottom; ++y)
        for (int x = button.CaptionRect.Left; x < button.CaptionRect.Right; ++x) {
            shadowSeen |= image.pixelColor(x, y) == shadow;
            blackSeen |= image.pixelColor(x, y) == QColor(Qt::black);
        }
    EXPECT_TRUE(shadowSeen);
    EXPECT_FALSE(blackSeen);
}

TEST(QelButtonLooks, HotLookShowsHotGlyphAndHotCaption)
{
    ProbeButton button;
    prepare(button);
    button.setGlyph(solidGlyph(18, 18, Qt::red));
    button.setGlyphHot(solidGlyph(18, 18, Qt::green));
    button.setCaption("IIII");
    const QImage rest = button.rendered();
    EXPECT_EQ(rest.pixelColor(button.GlyphRect.Left + 9, 12), QColor(Qt::red));
    button.enter();
    const QImage hot = button.rendered();
    EXPECT_EQ(hot.pixelColor(button.GlyphRect.Left + 9, 12), QColor(Qt::green));
    bool blueSeen = false;
    for (int x = button.CaptionRect.Left; x < button.CaptionRect.Right; ++x)
        blueSeen |= hot.pixelColor(x, 12) == QColor(Qt::blue);
    EXPECT_TRUE(blueSeen);
    // A later paint draws the resting look again, the caption still hot while the pointer is in.
    const QImage repainted = button.rendered();
    EXPECT_EQ(repainted.pixelColor(button.GlyphRect.Left + 9, 12), QColor(Qt::red));
    EXPECT_NE(repainted, rest);
    button.leave();
    EXPECT_EQ(button.rendered(), rest);
}

TEST(QelButtonLooks, OnlyAHotGlyphDrawsNoGlyphAtAll)
{
    ProbeButton button;
    prepare(button);
    button.setGlyphHot(solidGlyph(18, 18, Qt::green));
    button.enter();
    const QImage hot = button.rendered();
    EXPECT_EQ(hot.pixelColor(37, 12), customFace);
}

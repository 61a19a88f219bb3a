#include "EditorFixture.h"

#include "ui/QelButton.h"
#include "ui/TGroupBox.h"

#include <gtest/gtest.h>

#include <QLabel>

using namespace zv;
using namespace zv::test;

namespace {

class EditorLayout : public EditorFixture {
protected:
    QImage rendered()
    {
        QImage image(editor.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        editor.render(&image);
        return image;
    }
};

} // namespace

TEST_F(EditorLayout, DialogIsFixedAndTheAddressFieldShowsAnExample)
{
    EXPECT_EQ(editor.windowTitle(), "Addition/Updating of the task");
    EXPECT_EQ(editor.minimumSize(), editor.maximumSize());
    EXPECT_TRUE(editor.Edit1->toolTip().startsWith("Example: http(s)://"));
    EXPECT_EQ(fieldText(editor.Edit1), "http://");
}

TEST_F(EditorLayout, TabGoesThroughTheControlsRowByRowFromLeftToRightWithTheScheduleFields)
{
    std::vector<QWidget*> chain;
    QWidget* widget = editor.Edit1;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != editor.Edit1 && chain.size() < 50);
    const std::vector<QWidget*> expected{editor.Edit1,       editor.QelButton4, editor.Edit4,     editor.QelButton5,
                                         editor.NewFileName, editor.LaterCh,    editor.ImmedCh,   editor.UnderCh,
                                         editor.Edit2,       editor.QelButton1, editor.Edit3,     editor.QelButton3,
                                         editor.QelButton2,  editor.QelButton7, editor.QelButton6};
    EXPECT_EQ(chain, expected);
}

TEST_F(EditorLayout, ButtonsAreFlatDottedImageButtonsOnTheirGreenFace)
{
    for (TQelButton* button : {editor.QelButton1, editor.QelButton2, editor.QelButton3, editor.QelButton4,
                               editor.QelButton5, editor.QelButton6, editor.QelButton7}) {
        EXPECT_EQ(button->ButtonStyle(), TQelCustomButton::stFlatDot);
        EXPECT_EQ(button->Color(), ColorValue::rgb(244, 255, 236));
    }
    EXPECT_EQ(editor.QelButton6->ButtonKind(), TQelCustomButton::skCancel);
    EXPECT_TRUE(editor.QelButton6->Cancel());
    EXPECT_EQ(editor.QelButton6->Caption(), "Cancel");
    // Only Cancel carries a picture; OK ("Add task!", "Modify!") shows its caption alone.
    EXPECT_FALSE(editor.QelButton6->Glyph().isNull());
    EXPECT_TRUE(editor.QelButton7->Glyph().isNull());
    EXPECT_TRUE(editor.QelButton7->GlyphHot().isNull());
    const QImage image = rendered();
    const QPoint faceCorner = editor.QelButton7->mapTo(&editor, QPoint(2, 2));
    EXPECT_EQ(image.pixelColor(faceCorner), QColor(244, 255, 236));
}

TEST_F(EditorLayout, BackgroundPictureShowsAroundTheGroups)
{
    const QImage picture = editor.Image1->pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(481, 281));
    const QImage image = rendered();
    EXPECT_EQ(image.pixelColor(3, 276), picture.pixelColor(3, 276));
    EXPECT_NE(picture.pixelColor(3, 276), QColor(Qt::magenta));
    EXPECT_NE(picture.pixelColor(240, 2), picture.pixelColor(240, 278)) << "the picture is not a plain fill";
}

TEST_F(EditorLayout, GroupCaptionsSitOnTheFrameLine)
{
    EXPECT_TRUE(editor.GroupBox1->isFlat());
    EXPECT_TRUE(editor.GroupBox3->isFlat());
    EXPECT_FALSE(editor.GroupBox2->isFlat());
    EXPECT_TRUE(editor.GroupBox2->font().bold());
    EXPECT_FALSE(editor.LaterCh->font().bold());
    TGroupBox* box = editor.GroupBox1;
    const int line = box->frameTop();
    EXPECT_LT(line, editor.Edit1->y()) << "the first field lies inside the frame";
    QImage image(box->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    box->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QColor frame = box->palette().color(QPalette::WindowText);
    EXPECT_EQ(image.pixelColor(2, line), frame);
    EXPECT_EQ(image.pixelColor(TGroupBox::CaptionLeft, line), QColor(Qt::white)) << "the caption's gap";
    EXPECT_EQ(image.pixelColor(box->width() - 1, line + 20), frame);
    EXPECT_EQ(image.pixelColor(box->width() - 1, line - 1), QColor(Qt::white));
}

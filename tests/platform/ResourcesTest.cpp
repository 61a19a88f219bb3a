#include "platform/desktop/HandCursor.h"
#include "platform/desktop/Resources.h"
#include "platform/sound/WaveImage.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QSet>

using namespace zv;

namespace {

const QStringList glyphNames{
    "DAGQELB",    "DAQELB",    "IKSICGQELB", "IKSICQELB", "POMOCGQELB", "POMOCQELB",
    "NEGQELB",    "NEQELB",    "EXITGQELB",  "EXITQELB",  "RETRIGQELB", "RETRIQELB",
    "IGNOGQELB",  "IGNOQELB",  "SVEGQELB",   "SVEQELB",   "GLUPIGQELB", "GLUPIQELB"};

int colourCount(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace

TEST(Resources, NamesAreFoundWithoutRegardToCase)
{
    EXPECT_FALSE(Resources::path("DAGQELB").isEmpty());
    EXPECT_EQ(Resources::path("dagqelb"), Resources::path("DAGQELB"));
    EXPECT_EQ(Resources::path("DaGqElB"), Resources::path("DAGQELB"));
    EXPECT_EQ(Resources::path("preko"), Resources::path("PREKO"));
    EXPECT_TRUE(Resources::path("NOSUCHPICTURE").isEmpty());
    EXPECT_TRUE(Resources::data("NOSUCHPICTURE").isEmpty());
    EXPECT_TRUE(Resources::image("NOSUCHPICTURE").isNull());
}

TEST(Resources, GlyphsHaveTheirSizesColoursAndTransparentCorner)
{
    for (const QString& name : glyphNames) {
        SCOPED_TRACE(name.toStdString());
        const QImage glyph = Resources::image(name);
        ASSERT_FALSE(glyph.isNull());
        const bool face = name.startsWith("GLUPI");
        EXPECT_EQ(glyph.size(), face ? QSize(19, 19) : QSize(18, 18));
        EXPECT_LE(colourCount(glyph), 16);
        EXPECT_EQ(glyph.pixel(0, glyph.height() - 1), face ? qRgb(0, 0, 255) : qRgb(255, 0, 255));
        // A disabled button shows only the black pixels: every glyph needs some.
        EXPECT_FALSE(glyph.convertToFormat(QImage::Format_RGB32).createMaskFromColor(qRgb(0, 0, 0)).isNull());
    }
}

TEST(Resources, MarkIsASmallBlackTriangle)
{
    const QImage mark = Resources::image("strela");
    ASSERT_EQ(mark.size(), QSize(5, 3));
    EXPECT_EQ(mark.pixel(0, 2), qRgb(255, 0, 255));
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(mark.pixel(x, 0), qRgb(0, 0, 0));
    EXPECT_EQ(mark.pixel(2, 2), qRgb(0, 0, 0));
}

TEST(Resources, HandCursorIsTwoColoursWithItsHotSpotTopLeft)
{
    const QImage picture = Resources::image("HANDQELB").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(32, 32));
    QSet<QRgb> opaque;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(picture.pixel(x, y)) != 0)
                opaque.insert(picture.pixel(x, y));
    EXPECT_EQ(opaque, (QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));

    const QCursor cursor = HandCursor::cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(0, 0));
    // Set bits are black where the mask shows: (0, 1) is the fingertip's outline, (1, 1) its
    // white inside, (31, 31) outside the hand.
    const QImage black = cursor.bitmap().toImage();
    const QImage shown = cursor.mask().toImage();
    EXPECT_EQ(black.pixel(0, 1), qRgb(0, 0, 0));
    EXPECT_EQ(black.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(0, 1), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(31, 31), qRgb(255, 255, 255));
}

TEST(Resources, ClickSoundIsAShortMonoWave)
{
    const QByteArray image = Resources::data("PREKO");
    ASSERT_FALSE(image.isEmpty());
    const auto wave = WaveImage::parse(std::as_bytes(std::span(image.constData(), static_cast<std::size_t>(image.size()))));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleFormat(), WaveImage::SampleFormat::Signed16);
    EXPECT_EQ(wave->channels(), 1u);
    EXPECT_EQ(wave->sampleRate(), 22050u);
    EXPECT_EQ(wave->frameCount(), 297u);
}

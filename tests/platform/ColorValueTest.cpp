#include "platform/desktop/ColorValue.h"

#include <gtest/gtest.h>

using namespace zv;

TEST(ColorValue, RgbValuesKeepRedInTheLowByte)
{
    EXPECT_EQ(ColorValue(15532020).resolve(QPalette()), QColor(244, 255, 236));
    EXPECT_EQ(ColorValue::rgb(244, 255, 236), ColorValue(15532020));
    EXPECT_EQ(clBlue.resolve(QPalette()), QColor(0, 0, 255));
    EXPECT_FALSE(clBlue.isSystem());
}

TEST(ColorValue, SystemColoursComeFromThePalette)
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Light, QColor(4, 5, 6));
    palette.setColor(QPalette::Dark, QColor(7, 8, 9));
    palette.setColor(QPalette::Base, QColor(10, 11, 12));
    EXPECT_TRUE(clBtnFace.isSystem());
    EXPECT_EQ(clBtnFace.resolve(palette), QColor(1, 2, 3));
    EXPECT_EQ(clBtnHighlight.resolve(palette), QColor(4, 5, 6));
    EXPECT_EQ(clBtnShadow.resolve(palette), QColor(7, 8, 9));
    EXPECT_EQ(clWindow.resolve(palette), QColor(10, 11, 12));
    EXPECT_EQ(clBtnFace.value(), 0x8000000Fu);
}

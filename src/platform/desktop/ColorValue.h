#pragma once

#include <QColor>
#include <QMetaType>
#include <QPalette>

#include <cstdint>

namespace zv {

// A colour as the windows keep it: 32 bits, either an RGB value with red in the low byte
// (15532020 is red 244, green 255, blue 236), or, with the high byte 0x80, the number of a
// system colour, which is looked up in the palette whenever it is drawn.
class ColorValue {
public:
    enum SystemColor : std::uint32_t {
        Window = 5,
        WindowText = 8,
        Highlight = 13,
        HighlightText = 14,
        ButtonFace = 15,
        ButtonShadow = 16,
        ButtonText = 18,
        ButtonHighlight = 20,
        DarkShadow3D = 21,
        Light3D = 22,
    };

    constexpr ColorValue() = default;
    constexpr explicit ColorValue(std::uint32_t value) : m_value(value) {}

    static constexpr ColorValue rgb(int red, int green, int blue)
    {
        return ColorValue(static_cast<std::uint32_t>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16));
    }
    static constexpr ColorValue system(SystemColor color) { return ColorValue(systemFlag | color); }

    constexpr std::uint32_t value() const { return m_value; }
    constexpr bool isSystem() const { return (m_value & 0xFF000000u) == systemFlag; }

    // The colour to draw with: system colours come from the palette.
    QColor resolve(const QPalette& palette) const;

    friend constexpr bool operator==(ColorValue, ColorValue) = default;

private:
    static constexpr std::uint32_t systemFlag = 0x80000000u;
    std::uint32_t m_value = 0;
};

inline constexpr ColorValue clBlack = ColorValue::rgb(0, 0, 0);
inline constexpr ColorValue clWhite = ColorValue::rgb(255, 255, 255);
inline constexpr ColorValue clBlue = ColorValue::rgb(0, 0, 255);
inline constexpr ColorValue clWindow = ColorValue::system(ColorValue::Window);
inline constexpr ColorValue clBtnFace = ColorValue::system(ColorValue::ButtonFace);
inline constexpr ColorValue clBtnShadow = ColorValue::system(ColorValue::ButtonShadow);
inline constexpr ColorValue clBtnHighlight = ColorValue::system(ColorValue::ButtonHighlight);

} // namespace zv

Q_DECLARE_METATYPE(zv::ColorValue)

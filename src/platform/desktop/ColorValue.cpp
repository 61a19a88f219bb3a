#include "platform/desktop/ColorValue.h"

namespace zv {

namespace {

QPalette::ColorRole paletteRole(std::uint32_t systemColor)
{
    switch (systemColor) {
    case ColorValue::Window: return QPalette::Base;
    case ColorValue::WindowText: return QPalette::WindowText;
    case ColorValue::Highlight: return QPalette::Highlight;
    case ColorValue::HighlightText: return QPalette::HighlightedText;
    case ColorValue::ButtonShadow: return QPalette::Dark;
    case ColorValue::ButtonText: return QPalette::ButtonText;
    case ColorValue::ButtonHighlight: return QPalette::Light;
    case ColorValue::DarkShadow3D: return QPalette::Shadow;
    case ColorValue::Light3D: return QPalette::Midlight;
    default: return QPalette::Button;
    }
}

} // namespace

QColor ColorValue::resolve(const QPalette& palette) const
{
    if (isSystem())
        return palette.color(paletteRole(m_value & 0xFFFFFFu));
    return QColor(static_cast<int>(m_value & 0xFF), static_cast<int>(m_value >> 8 & 0xFF),
                  static_cast<int>(m_value >> 16 & 0xFF));
}

} // namespace zv

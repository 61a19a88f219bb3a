#include "ui/FixedPalette.h"

#include <QPalette>
#include <QWidget>

namespace zv {

namespace {

// The button face of the controls that follow the palette (the refresh-speed list).
const QColor ButtonFace(240, 240, 240);

constexpr QPalette::ColorRole FixedRoles[] = {
    QPalette::Window, QPalette::WindowText, QPalette::Base,           QPalette::AlternateBase, QPalette::Text,
    QPalette::Button, QPalette::ButtonText, QPalette::Light,          QPalette::Midlight,      QPalette::Mid,
    QPalette::Dark,   QPalette::Shadow,     QPalette::PlaceholderText};

} // namespace

void FixedPalette::applyWhite(QWidget& form)
{
    // Qt derives black text, white fields and the 3-D shades from a light window colour.
    const QPalette light(ButtonFace, Qt::white);
    QPalette fixed = form.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const QPalette::ColorRole role : FixedRoles)
            fixed.setBrush(group, role, light.brush(group, role));
    }
    form.setPalette(fixed);
    form.setAutoFillBackground(true);
}

} // namespace zv

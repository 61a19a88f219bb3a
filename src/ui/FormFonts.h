#pragma once

#include <QFont>

namespace zv {

// The fonts the dialogs were drawn with, "MS Sans Serif" where the system has it, else the
// nearest sans serif of this platform.
namespace FormFonts {
// At a character height of pixelHeight; weight and family set, so a bold parent does
// not make the control bold.
QFont sansSerif(int pixelHeight, bool bold = false);
} // namespace FormFonts

} // namespace zv

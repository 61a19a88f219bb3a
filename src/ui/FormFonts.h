#pragma once

#include <QFont>

namespace zv {

// The fonts the dialogs were drawn with, "MS Sans Serif" where the system has it, else the
// nearest sans serif of this platform.
class FormFonts {
public:
    // At a character height of pixelHeight; weight and family set, so a bold parent does
    // not make the control bold.
    static QFont sansSerif(int pixelHeight, bool bold = false);
};

} // namespace zv

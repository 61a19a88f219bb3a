#pragma once

class QWidget;

namespace zv {

// The windows draw on white and on fixed pale faces, whatever the desktop's colours: their
// texts, fields and buttons get the matching fixed colours (black text, white fields), so a
// dark desktop palette leaves them readable. The selection's colours stay the desktop's.
namespace FixedPalette {
// Gives form a white background and the fixed colours, which its children inherit.
void applyWhite(QWidget& form);
} // namespace FixedPalette

} // namespace zv

#pragma once

#include <QPixmap>

namespace zv {

// The task editor's background picture, drawn rather than stored: white fading into a pale
// blue-grey, with a faint download mark where the dialog has room for it.
namespace EditorBackground {
inline constexpr int Width = 481;
inline constexpr int Height = 281;

QPixmap picture();
// The same white and blue-grey for another dialog of the editor's look, without the mark.
QPixmap washed(int width, int height);
} // namespace EditorBackground

} // namespace zv

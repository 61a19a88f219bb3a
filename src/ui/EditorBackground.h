#pragma once

#include <QPixmap>

namespace zv {

// The task editor's background picture, drawn rather than stored: white fading into a pale
// blue-grey, with a faint download mark where the dialog has room for it.
namespace EditorBackground {
inline constexpr int Width = 481;
inline constexpr int Height = 281;

QPixmap picture();
} // namespace EditorBackground

} // namespace zv

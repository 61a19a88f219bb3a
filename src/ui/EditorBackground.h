#pragma once

#include <QPixmap>

namespace zv {

// The task editor's background picture, drawn rather than stored: white fading into a pale
// blue-grey, with a faint download mark where the dialog has room for it.
class EditorBackground {
public:
    static constexpr int Width = 481;
    static constexpr int Height = 281;

    static QPixmap picture();
};

} // namespace zv

#pragma once

#include <QCursor>

namespace zv {

// The pointing-hand cursor "HANDQELB" of the program's resources: two colours, hot spot at
// its top-left corner. Where the picture is missing, the toolkit's own pointing hand.
namespace HandCursor {
QCursor cursor();
} // namespace HandCursor

} // namespace zv

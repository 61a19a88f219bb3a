#pragma once

#include <QColor>
#include <QIcon>

namespace zv::test {

// A 16 x 16 icon of one colour, so tests can tell which image was shown.
QIcon colouredIcon(const QColor& colour);
// The colour an icon shows; an invalid colour for an empty icon.
QColor colourOf(const QIcon& icon);

} // namespace zv::test

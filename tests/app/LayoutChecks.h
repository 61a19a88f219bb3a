#pragma once

#include <string>
#include <vector>

class QWidget;

namespace zv::test {

// Two controls that a window's layout lets overlap by at most this many pixels.
struct AllowedOverlap {
    const QWidget* first;
    const QWidget* second;
    int pixels;
};

// What is wrong with the layout of a window's controls, one text per fault naming the
// controls: a control its parent cuts off, two controls that overlap, a control half on a
// panel, a text that does not fit its control or its column. Empty when the layout is sound.
// The window must have been laid out (shown, or its layout activated).
std::vector<std::string> layoutFaults(const QWidget& window, const std::vector<AllowedOverlap>& allowed = {});

} // namespace zv::test

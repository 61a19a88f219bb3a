#pragma once

#include <string>
#include <vector>

class QColor;
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

// The contrast ratio of two colours as the readability guidelines define it: 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// The captions of a window (labels, check and radio buttons, group box titles, image buttons)
// whose text pixels reach a contrast below 4.5:1 against what lies behind them, one text per
// caption. A caption's text pixels are those that change when its palette's text colours do.
std::vector<std::string> captionContrastFaults(QWidget& window);

} // namespace zv::test

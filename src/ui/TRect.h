#pragma once

#include <QPoint>
#include <QRect>

namespace zv {

// A rectangle given by its edges, right and bottom exclusive: (23, 3, 41, 21) is 18 x 18.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int width() const { return Right - Left; }
    constexpr int height() const { return Bottom - Top; }
    constexpr TRect inflated(int by) const { return {Left - by, Top - by, Right + by, Bottom + by}; }
    QPoint topLeft() const { return {Left, Top}; }
    QRect toQRect() const { return QRect(Left, Top, width(), height()); }

    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

} // namespace zv

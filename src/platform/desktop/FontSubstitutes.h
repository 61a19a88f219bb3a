#pragma once

namespace zv {

// The windows name Verdana, Arial and MS Sans Serif; Debian has none of them. Their
// closest installed look-alikes stand in: DejaVu Sans and Liberation Sans.
class FontSubstitutes {
public:
    static void install();
};

} // namespace zv

#pragma once

namespace zv {

// The windows name Verdana, Arial and MS Sans Serif; Debian has none of them. Their
// closest installed look-alikes stand in: DejaVu Sans and Liberation Sans.
namespace FontSubstitutes {
void install();
} // namespace FontSubstitutes

} // namespace zv

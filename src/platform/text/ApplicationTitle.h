#pragma once

namespace zv {

// The application's title: the main window's caption and the general error report's caption.
inline constexpr const char* ApplicationTitle = "Zare Vantrel v1.0";

} // namespace zv

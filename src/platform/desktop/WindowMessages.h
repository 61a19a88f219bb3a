#pragma once

// Message numbers of the notify-icon callback: the first private message number and the
// mouse messages the shell reports in the callback's second parameter.
namespace zv::WindowMessage {
inline constexpr unsigned User = 0x0400;
inline constexpr unsigned LButtonUp = 0x0202;
inline constexpr unsigned LButtonDblClk = 0x0203;
inline constexpr unsigned RButtonUp = 0x0205;
inline constexpr unsigned MButtonUp = 0x0208;
} // namespace zv::WindowMessage

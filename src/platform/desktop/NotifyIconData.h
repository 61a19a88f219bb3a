#pragma once

#include <QIcon>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

class MessageWindow;

// Which fields of a notify-icon record the shell is to use.
namespace NotifyIconFlag {
inline constexpr std::uint32_t Message = 0x1;
inline constexpr std::uint32_t Icon = 0x2;
inline constexpr std::uint32_t Tip = 0x4;
} // namespace NotifyIconFlag

// The record handed to the notify-icon shell, in its first (88-byte) form: the icon is
// known by its message window and number; the shell reports mouse activity on it to that
// window as uCallbackMessage with the mouse message in lParam.
struct NotifyIconData {
    static constexpr std::uint32_t FirstFormSize = 88;
    static constexpr std::size_t TipSize = 64;

    std::uint32_t cbSize = FirstFormSize;
    MessageWindow* hWnd = nullptr;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    QIcon hIcon;
    std::array<char, TipSize> szTip{};

    // Stores text zero-terminated, cut to the field's room.
    void setTip(std::string_view text);
    // The tip up to its terminating zero.
    std::string tip() const;
};

} // namespace zv

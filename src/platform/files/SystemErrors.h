#pragma once

#include <cerrno>
#include <system_error>

namespace zv {

// Failures of the operating system's file calls, as exceptions carrying the errno value.
namespace SystemErrors {
inline std::system_error fromCode(int code) { return {code, std::generic_category()}; }
inline std::system_error fromErrno() { return fromCode(errno); }
} // namespace SystemErrors

} // namespace zv

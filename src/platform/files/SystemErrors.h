#pragma once

#include <cerrno>
#include <system_error>

namespace zv {

// Failures of the operating system's file calls, as exceptions carrying the errno value.
class SystemErrors {
public:
    static std::system_error fromCode(int code) { return {code, std::generic_category()}; }
    static std::system_error fromErrno() { return fromCode(errno); }
};

} // namespace zv

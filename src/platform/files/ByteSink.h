#pragma once

#include <string_view>

namespace zv {

// Somewhere bytes are written to, in order. A failure throws.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

} // namespace zv

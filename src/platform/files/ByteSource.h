#pragma once

#include <cstddef>

namespace zv {

// Somewhere bytes are read from, in order. A failure throws.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to size bytes of buffer; 0 means the end has been reached.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

} // namespace zv

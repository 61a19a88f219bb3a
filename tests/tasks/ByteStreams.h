#pragma once

#include "platform/files/ByteSink.h"
#include "platform/files/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace zv::test {

// Bytes in memory, handed out in small pieces so that lines cross every read; fails with
// EIO once failAt bytes have been read.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes, std::size_t piece = 7,
                          std::size_t failAt = std::numeric_limits<std::size_t>::max())
        : m_bytes(std::move(bytes)), m_piece(piece), m_failAt(failAt) {}

    std::size_t read(char* buffer, std::size_t size) override
    {
        if (m_pos >= m_failAt)
            throw std::system_error(EIO, std::generic_category());
        const std::size_t count = std::min({size, m_piece, m_bytes.size() - m_pos, m_failAt - m_pos});
        std::memcpy(buffer, m_bytes.data() + m_pos, count);
        m_pos += count;
        return count;
    }

private:
    std::string m_bytes;
    std::size_t m_piece;
    std::size_t m_failAt;
    std::size_t m_pos = 0;
};

class StringSink final : public ByteSink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Passes the first budget bytes on to another sink, then fails as a full disk would.
class FailingSink final : public ByteSink {
public:
    FailingSink(ByteSink& inner, std::size_t budget) : m_inner(inner), m_budget(budget) {}

    void write(std::string_view bytes) override
    {
        const std::size_t passed = std::min(bytes.size(), m_budget);
        m_inner.write(bytes.substr(0, passed));
        m_budget -= passed;
        if (passed < bytes.size())
            throw std::system_error(ENOSPC, std::generic_category());
    }

private:
    ByteSink& m_inner;
    std::size_t m_budget;
};

} // namespace zv::test

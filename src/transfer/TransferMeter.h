#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace zv {

// What a running transfer has done so far: its worker writes it after every read, the window
// reads it on a timer. Plain atomics, so neither side ever waits for the other, and the
// worker's progress reports keep their own spacing.
class TransferMeter {
public:
    // The bytes the file holds.
    void setHeld(std::uint64_t bytes) { m_held.store(bytes, std::memory_order_relaxed); }
    std::uint64_t held() const { return m_held.load(std::memory_order_relaxed); }

    // The resource's whole size as the answer tells it; nullopt when it does not.
    void setTotal(std::optional<std::uint64_t> bytes)
    {
        m_total.store(bytes.value_or(Unknown), std::memory_order_relaxed);
    }
    std::optional<std::uint64_t> total() const
    {
        const std::uint64_t bytes = m_total.load(std::memory_order_relaxed);
        return bytes == Unknown ? std::nullopt : std::optional(bytes);
    }

    // Retries made so far in the run.
    void setRetries(int count) { m_retries.store(count, std::memory_order_relaxed); }
    int retries() const { return m_retries.load(std::memory_order_relaxed); }

    // Connections delivering the file now; 1 for a download over one connection.
    void setConnections(int count) { m_connections.store(count, std::memory_order_relaxed); }
    int connections() const { return m_connections.load(std::memory_order_relaxed); }

private:
    static constexpr std::uint64_t Unknown = UINT64_MAX;

    std::atomic<std::uint64_t> m_held{0};
    std::atomic<std::uint64_t> m_total{Unknown};
    std::atomic<int> m_retries{0};
    std::atomic<int> m_connections{1};
};

} // namespace zv

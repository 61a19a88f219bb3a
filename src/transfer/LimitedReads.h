#pragma once

#include <cstddef>

namespace zv {

class Interrupter;
class SpeedLimiter;

// The reads of one connection under the program's speed limit. A grant may cover several
// reads; what a short read leaves of it is used by the next. Used by one thread.
class LimitedReads {
public:
    // limiter: null for no limit. stop ends a wait for the limit.
    LimitedReads(SpeedLimiter* limiter, const Interrupter& stop) : m_limiter(limiter), m_stop(stop) {}

    // How many bytes the next read may take, waiting where a stop reaches it; 0 when a stop came.
    std::size_t allowed(std::size_t wanted);

private:
    SpeedLimiter* m_limiter;
    const Interrupter& m_stop;
    std::size_t m_granted = 0; // bytes the limit granted and no read has used yet
};

} // namespace zv

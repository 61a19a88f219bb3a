#pragma once

#include <cassert>
#include <thread>

namespace zv {

// The thread that made an object only that thread may touch. Debug builds assert at each use
// that the caller runs on it; release builds keep and check nothing.
class OwnerThread {
public:
    void check() const
    {
#ifndef NDEBUG
        assert(std::this_thread::get_id() == m_id && "touched off the thread that made it");
#endif
    }

private:
#ifndef NDEBUG
    std::thread::id m_id = std::this_thread::get_id();
#endif
};

} // namespace zv

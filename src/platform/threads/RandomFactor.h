#pragma once

#include <mutex>
#include <random>

namespace zv {

// Random factors for spreading waits, from any thread: many tasks that failed together on
// one server do not all come back at the same instant.
class RandomFactor {
public:
    RandomFactor();
    RandomFactor(const RandomFactor&) = delete;
    RandomFactor& operator=(const RandomFactor&) = delete;

    // A factor drawn evenly between low and high.
    double between(double low, double high);

private:
    std::mutex m_mutex;
    std::mt19937 m_engine;
};

} // namespace zv

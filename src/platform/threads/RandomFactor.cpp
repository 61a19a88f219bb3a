#include "platform/threads/RandomFactor.h"

namespace zv {

RandomFactor::RandomFactor() : m_engine(std::random_device{}()) {}

double RandomFactor::between(double low, double high)
{
    const std::lock_guard lock(m_mutex);
    return std::uniform_real_distribution<double>(low, high)(m_engine);
}

} // namespace zv

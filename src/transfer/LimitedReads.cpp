#include "transfer/LimitedReads.h"

#include "platform/threads/Interrupter.h"
#include "transfer/SpeedLimiter.h"

#include <algorithm>

namespace zv {

std::size_t LimitedReads::allowed(std::size_t wanted)
{
    if (!m_limiter)
        return wanted;
    while (m_granted == 0) {
        const SpeedLimiter::Grant grant = m_limiter->take(wanted);
        if (grant.wait.count() > 0 && !m_stop.sleepFor(grant.wait))
            return 0;
        m_granted = grant.bytes;
    }
    const std::size_t allowed = std::min(wanted, m_granted);
    m_granted -= allowed;
    return allowed;
}

} // namespace zv

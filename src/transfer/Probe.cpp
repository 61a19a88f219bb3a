#include "transfer/Probe.h"

#include "platform/services/InternetSessionFactory.h"

namespace zv {

std::uint64_t Probe::bytesAvailable(InternetSessionFactory& internet, const std::string& url,
                                    Interrupter* interrupter)
{
    const auto session = internet.openSession(Agent, SessionUse::Probe, interrupter);
    if (!session)
        return 0;
    const auto stream = session->openUrl(url);
    return stream ? stream->dataAvailable() : 0;
}

} // namespace zv

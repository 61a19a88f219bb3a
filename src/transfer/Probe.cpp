#include "transfer/Probe.h"

#include "platform/services/InternetSessionFactory.h"
#include "transfer/TransferLog.h"

namespace zv {

std::uint64_t Probe::bytesAvailable(InternetSessionFactory& internet, const std::string& url,
                                    Interrupter* interrupter)
{
    const auto session = internet.openSession(Agent, SessionUse::Probe, interrupter);
    if (!session) {
        TransferLog::probe(url, 0, FailureReason::of(FailureReason::Kind::Other, "no Internet session"));
        return 0;
    }
    const auto stream = session->openUrl(url);
    const std::uint64_t bytes = stream ? stream->dataAvailable() : 0;
    TransferLog::probe(url, bytes, session->lastFailure());
    return bytes;
}

} // namespace zv

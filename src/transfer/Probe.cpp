#include "transfer/Probe.h"

#include "platform/services/InternetSessionFactory.h"
#include "transfer/TransferLog.h"

namespace zv {

ProbeResult Probe::run(InternetSessionFactory& internet, const std::string& url, Interrupter* interrupter)
{
    ProbeResult result;
    const auto session = internet.openSession(Agent, SessionUse::Probe, interrupter);
    if (!session) {
        result.failure = FailureReason::of(FailureReason::Kind::Other, "no Internet session");
    } else if (const auto stream = session->openUrl(url)) {
        result.bytes = stream->dataAvailable();
        result.total = stream->total();
        result.html = stream->isHtml();
        result.ranges = stream->acceptsRanges();
    } else {
        result.failure = session->lastFailure();
    }
    TransferLog::probe(url, result.bytes, result.failure);
    return result;
}

} // namespace zv

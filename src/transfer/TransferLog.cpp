#include "transfer/TransferLog.h"

#include "platform/text/MaskedUrl.h"

#include <QLoggingCategory>

namespace zv::TransferLog {

namespace {

// Debug lines off by default, so that nothing is written unless a developer asks.
Q_LOGGING_CATEGORY(transferCategory, "zv.transfer", QtInfoMsg)

void write(const std::string& event, const std::string& url, std::uint64_t offset, std::uint64_t bytes,
           const std::string& reason, int retries)
{
    qCDebug(transferCategory).noquote().nospace()
        << event.c_str() << " " << maskedUrl(url).c_str() << " offset " << offset << " bytes " << bytes
        << " reason \"" << (reason.empty() ? "none" : reason.c_str()) << "\" retries " << retries;
}

} // namespace

void probe(const std::string& url, std::uint64_t bytes, const FailureReason& failure)
{
    write("probe", url, 0, bytes, failure.failed() ? failure.text() : std::string(), 0);
}

void runEnd(const std::string& url, std::uint64_t offset, std::uint64_t bytes, const std::string& reason,
            int retries)
{
    write("run end", url, offset, bytes, reason, retries);
}

void progressNotKept(const std::string& download, const std::string& error)
{
    qCInfo(transferCategory).noquote().nospace()
        << "progress file of " << download.c_str() << " not written: " << error.c_str();
}

} // namespace zv::TransferLog

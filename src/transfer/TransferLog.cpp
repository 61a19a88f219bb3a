#include "transfer/TransferLog.h"

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

std::string maskedUrl(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
    const std::size_t at = url.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string_view::npos || at < start)
        return std::string(url);
    const std::size_t colon = url.find(':', start);
    if (colon == std::string_view::npos || colon > at)
        return std::string(url);
    return std::string(url.substr(0, colon + 1)) + "***" + std::string(url.substr(at));
}

void probe(const std::string& url, std::uint64_t bytes, const FailureReason& failure)
{
    write("probe", url, 0, bytes, failure.failed() ? failure.text() : std::string(), 0);
}

void runEnd(const std::string& url, std::uint64_t offset, std::uint64_t bytes, const std::string& reason,
            int retries)
{
    write("run end", url, offset, bytes, reason, retries);
}

} // namespace zv::TransferLog

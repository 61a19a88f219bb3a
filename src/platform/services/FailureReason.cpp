#include "platform/services/FailureReason.h"

namespace zv {

namespace {

bool isTransientStatus(int status)
{
    switch (status) {
    case 408: // request timeout
    case 429: // too many requests
    case 500:
    case 502:
    case 503:
    case 504:
        return true;
    default:
        return false;
    }
}

const char* kindText(FailureReason::Kind kind)
{
    using Kind = FailureReason::Kind;
    switch (kind) {
    case Kind::None: return "no failure";
    case Kind::Resolve: return "could not resolve the host";
    case Kind::Connect: return "could not connect";
    case Kind::ConnectTimeout: return "timed out connecting";
    case Kind::Silence: return "no data within the time limit";
    case Kind::ConnectionLost: return "connection lost before an answer";
    case Kind::CutShort: return "body cut short";
    case Kind::TlsCertificate: return "TLS certificate refused";
    case Kind::TlsHandshake: return "TLS handshake broken";
    case Kind::HttpStatus: return "HTTP status";
    case Kind::Redirect: return "redirect not followable";
    case Kind::WrongPart: return "the server cannot continue at the offset";
    case Kind::Unsupported: return "not an http or https address";
    case Kind::LocalFile: return "local file error";
    case Kind::Interrupted: return "interrupted by a stop";
    case Kind::Other: return "failed";
    }
    return "failed";
}

} // namespace

bool FailureReason::transient() const
{
    switch (kind) {
    case Kind::Resolve:
    case Kind::Connect:
    case Kind::ConnectTimeout:
    case Kind::Silence:
    case Kind::ConnectionLost:
    case Kind::CutShort:
    case Kind::TlsHandshake:
        return true;
    case Kind::HttpStatus:
        return isTransientStatus(status);
    default:
        return false;
    }
}

std::string FailureReason::text() const
{
    std::string line = kindText(kind);
    if (kind == Kind::HttpStatus)
        line += " " + std::to_string(status);
    if (retryAfter)
        line += " (Retry-After " + std::to_string(retryAfter->count()) + " s)";
    if (!detail.empty())
        line += ": " + detail;
    return line;
}

} // namespace zv

#include "platform/services/FailureReason.h"

#include <utility>

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
    case Kind::InsecureRedirect: return "redirect from https to http refused";
    case Kind::WrongPart: return "the server cannot continue at the offset";
    case Kind::ChangedFile: return "the server now sends a different file";
    case Kind::ShortAnswer: return "the answer ended before the file's end";
    case Kind::FileInUse: return "the file is being written by another writer";
    case Kind::Unsupported: return "not an http or https address";
    case Kind::LocalFile: return "local file error";
    case Kind::Interrupted: return "interrupted by a stop";
    case Kind::Other: return "failed";
    }
    return "failed";
}

std::string plainStatus(int status)
{
    const std::string code = " (HTTP " + std::to_string(status) + ")";
    if (status == 404 || status == 410)
        return "the file is not on the server" + code;
    if (status == 401 || status == 403 || status == 407)
        return "the server refused access" + code;
    if (status == 408 || status == 429 || status == 503)
        return "the server was too busy" + code;
    if (status >= 500)
        return "the server had a fault" + code;
    return "the server refused the request" + code;
}

// "line: detail", or the line alone when there is no detail.
std::string withDetail(std::string line, const std::string& detail)
{
    if (!detail.empty()) {
        line += ": ";
        line += detail;
    }
    return line;
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
    case Kind::ShortAnswer:
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
    return withDetail(std::move(line), detail);
}

std::string FailureReason::plainText() const
{
    switch (kind) {
    case Kind::None:
    case Kind::Interrupted: return {};
    case Kind::Resolve: return "the server's name could not be found";
    case Kind::Connect: return "the server could not be reached";
    case Kind::ConnectTimeout: return "the server did not take the connection";
    case Kind::Silence: return "the server stopped answering";
    case Kind::ConnectionLost: return "the connection was lost";
    case Kind::CutShort: return "the connection broke before the end";
    case Kind::TlsCertificate: return "the server's certificate is not trusted";
    case Kind::TlsHandshake: return "the secure connection failed";
    case Kind::HttpStatus: return plainStatus(status);
    case Kind::Redirect: return "the server sent the download elsewhere, where it cannot be followed";
    case Kind::InsecureRedirect: return "the server redirected to an unencrypted http address";
    case Kind::WrongPart: return "the server cannot go on where the file ends";
    case Kind::ChangedFile: return "the server now sends a different file (Edit, then OK, downloads it again)";
    case Kind::ShortAnswer: return "the server did not send the whole file";
    case Kind::FileInUse: return "\"" + detail + "\" is being written by another task";
    case Kind::Unsupported: return "the address is not an http or https address";
    case Kind::LocalFile: return withDetail("the file could not be written", detail);
    case Kind::Other: return withDetail("something failed", detail);
    }
    return "something failed";
}

} // namespace zv

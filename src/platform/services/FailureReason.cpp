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
    case Kind::WebPage: return "a web page instead of the file";
    case Kind::NotTheSameFile: return "the new address sends another file";
    case Kind::FileInUse: return "the file is being written by another writer";
    case Kind::Unsupported: return "not an http or https address";
    case Kind::LocalFile: return "local file error";
    case Kind::Interrupted: return "interrupted by a stop";
    case Kind::Other: return "failed";
    }
    return "failed";
}

// The reason phrase of a status, for the statuses a download meets.
const char* statusPhrase(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 407: return "Proxy Authentication Required";
    case 410: return "Gone";
    case 416: return "Range Not Satisfiable";
    case 451: return "Unavailable For Legal Reasons";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 504: return "Gateway Timeout";
    case 505: return "HTTP Version Not Supported";
    default: return nullptr;
    }
}

std::string plainStatus(int status)
{
    // A busy server is no fault of the address: it says so, for the wait it explains.
    if (status == 408 || status == 429 || status == 503)
        return "the server is busy (HTTP " + std::to_string(status) + ")";
    std::string line = "HTTP status " + std::to_string(status);
    if (const char* phrase = statusPhrase(status))
        line += std::string(" (") + phrase + ")";
    return line;
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
    case Kind::Resolve:
        return host.empty() ? "the server's name could not be resolved" : "the name '" + host + "' could not be resolved";
    case Kind::Connect: return "the server could not be reached";
    case Kind::ConnectTimeout: return "the server did not take the connection";
    case Kind::Silence: return "the server stopped answering";
    case Kind::ConnectionLost: return "the connection was lost";
    case Kind::CutShort: return "the connection broke before the end";
    case Kind::TlsCertificate: return "the server's certificate was refused";
    case Kind::TlsHandshake: return "the secure connection failed";
    case Kind::HttpStatus: return plainStatus(status);
    case Kind::Redirect: return "the server sent the download elsewhere, where it cannot be followed";
    case Kind::InsecureRedirect: return "the server redirected to an unencrypted http address";
    case Kind::WrongPart: return "the server cannot go on where the file ends";
    case Kind::ChangedFile: return "the server now sends a different file (Edit, then OK, downloads it again)";
    case Kind::ShortAnswer: return "the server did not send the whole file";
    case Kind::WebPage: return "the server sent a web page instead of the file";
    case Kind::NotTheSameFile:
        return "The file at the new address is not the same file. Start it again from the beginning?";
    case Kind::FileInUse: return "\"" + detail + "\" is being written by another task";
    case Kind::Unsupported: return "the address is not an http or https address";
    case Kind::LocalFile: return withDetail("the file could not be written", detail);
    case Kind::Other: return withDetail("something failed", detail);
    }
    return "something failed";
}

} // namespace zv

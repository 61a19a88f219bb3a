#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace zv {

// Why a request, a body or a run did not give what was asked.
struct FailureReason {
    enum class Kind {
        None,             // nothing failed
        Resolve,          // the host name could not be looked up
        Connect,          // the connection was refused or could not be made
        ConnectTimeout,   // no connection within the connect limit
        Silence,          // no data within the silence limit (or the probe's limit)
        ConnectionLost,   // the connection broke before an answer came
        CutShort,         // the body ended before its announced end
        TlsCertificate,   // the server's certificate was refused
        TlsHandshake,     // the TLS handshake broke
        HttpStatus,       // an answer with an error status
        Redirect,         // a redirect that cannot be followed
        InsecureRedirect, // a redirect from https to http, refused
        WrongPart,        // the answer is for other bytes than asked, and the resume rules end it
        ChangedFile,      // the server now sends another file than the one the partial file began
        ShortAnswer,      // the answer ended cleanly before the resource's total
        WebPage,          // a page (text/html) came where the file's bytes were not a page
        NotTheSameFile,   // the task's new address does not answer with its partial file's file
        FileInUse,        // another writer holds the destination file; detail: its name
        Unsupported,      // not an http or https address
        LocalFile,        // the destination file failed
        Interrupted,      // a stop
        Other,            // any other failure
    };

    Kind kind = Kind::None;
    int status = 0; // HttpStatus: the status
    // HttpStatus: how long the server asked to wait before the next request (Retry-After).
    std::optional<std::chrono::seconds> retryAfter;
    std::string detail; // the system's or the library's own words, when there are any
    // Resolve: the host name that was not found, as the URL names it (never its user or
    // password); empty when libcurl did not say which.
    std::string host = {};

    static FailureReason of(Kind kind, std::string detail = {})
    {
        return {kind, 0, std::nullopt, std::move(detail), {}};
    }
    static FailureReason httpStatus(int status, std::optional<std::chrono::seconds> retryAfter = std::nullopt)
    {
        return {Kind::HttpStatus, status, retryAfter, {}, {}};
    }

    bool failed() const { return kind != Kind::None; }
    // Whether the same request may succeed a little later: a network that hiccups, a server
    // that is busy. A refused certificate, a missing resource or a local error never heals.
    bool transient() const;
    // One line for people: "HTTP status 503 (Retry-After 2 s)", "could not connect: ...".
    std::string text() const;
    // The same in plain words for people who never read a log: "the server stopped answering",
    // "HTTP status 404 (Not Found)", "the name 'example.com' could not be resolved".
    // Empty for no failure and for a stop, which the user made.
    std::string plainText() const;
};

} // namespace zv

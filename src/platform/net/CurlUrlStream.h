#pragma once

#include "platform/net/CurlTransfer.h"
#include "platform/services/InternetSession.h"
#include "platform/services/UrlStream.h"

#include <memory>
#include <string>

namespace zv {

class Interrupter;

// A URL stream on libcurl: one transfer at a time, replaced by a range request on seek.
class CurlUrlStream final : public UrlStream {
public:
    // Null unless a 2xx answer for the whole resource arrived: no response, a final 3xx, an
    // HTTP error, or a 206 that does not cover the whole resource fail, and failure says why.
    static std::unique_ptr<CurlUrlStream> open(const std::string& url, const TransferSettings& settings,
                                               Interrupter* interrupter, FailureReason& failure);
    // The bytes first to last (inclusive) of the version named by validator and of that total,
    // for one of several connections. Null unless the answer is a 206 for exactly those bytes
    // of that total, carrying no other validator of the same kind; failure then says why:
    // ChangedFile when the resource is now another version (the whole download starts afresh),
    // WrongPart for any other answer to the range (that connection closes), or the request's
    // own failure.
    static std::unique_ptr<CurlUrlStream> openPart(const std::string& url, const TransferSettings& settings,
                                                   Interrupter* interrupter, std::uint64_t first,
                                                   std::uint64_t last, const KnownFile& known,
                                                   FailureReason& failure);
    // Opened to go on at offset, as setPosition decides.
    static InternetSession::Resumed resume(const std::string& url, const TransferSettings& settings,
                                           Interrupter* interrupter, std::uint64_t offset,
                                           const KnownFile& known);

    std::uint64_t dataAvailable() override;
    std::optional<std::uint64_t> total() const override;
    std::size_t read(char* buffer, std::size_t size) override;
    FailureReason failure() const override;
    bool isHtml() const override;
    std::string contentType() const override;
    bool acceptsRanges() const override;
    bool isCompressed() const override;
    std::string validator() const override;
    std::string contentDisposition() const override;
    std::string finalUrl() const override;
    SeekResult setPosition(std::uint64_t offset, const KnownFile& known = {}) override;

    CurlUrlStream(std::string url, TransferSettings settings, Interrupter* interrupter,
                  std::unique_ptr<CurlTransfer> transfer);

private:
    // The transfer asked for the bytes from offset on; its answer decides.
    SeekResult answerFrom(std::uint64_t offset, const KnownFile& known);
    // The body delivers from first on: the bytes before offset are dropped.
    SeekResult skipFrom(std::uint64_t first, std::uint64_t offset, const KnownFile& known);
    // The server cannot go on at offset: the resource's total, learned from one unranged
    // request when not given, says whether the partial file is whole or another file's.
    SeekResult decideByTotal(std::optional<std::uint64_t> total, std::uint64_t offset, const KnownFile& known);
    // Asks for the whole resource and decides by its answer.
    SeekResult restartWhole(std::uint64_t offset, const KnownFile& known);
    bool otherVersion(const KnownFile& known) const;
    // Why a part's answer is not exactly first to last of the known file; None when it is.
    FailureReason partFailure(std::uint64_t first, std::uint64_t last, const KnownFile& known) const;
    // The transfer sends the whole resource: whether it may replace the partial file.
    SeekResult wholeAnswer(std::uint64_t offset, const KnownFile& known);
    SeekResult changedFile();
    // Replaces the transfer by an unranged one; false unless it answers for the whole.
    bool restartUnranged();
    SeekResult alreadyWhole();
    SeekResult fail(FailureReason why);

    std::string m_url;
    TransferSettings m_settings;
    Interrupter* m_interrupter;
    std::unique_ptr<CurlTransfer> m_transfer; // null once the stream cannot deliver more
    FailureReason m_failure;                  // for a stream without transfer
    std::uint64_t m_position = 0;
};

} // namespace zv

#include "platform/net/CurlUrlStream.h"

#include "platform/text/DecimalText.h"
#include "platform/text/HeaderText.h"

#include <optional>
#include <string_view>

namespace zv {

namespace {

struct ContentRange {
    std::optional<std::uint64_t> first; // absent for "bytes */total"
    std::optional<std::uint64_t> last;
    std::optional<std::uint64_t> total; // absent for "bytes 0-9/*"
};

// "bytes 3000-9999/10000", "bytes */10000" or "bytes 0-9/*".
ContentRange parseContentRange(std::string_view text)
{
    ContentRange range;
    constexpr std::string_view unit = "bytes ";
    if (text.substr(0, unit.size()) != unit)
        return range;
    text.remove_prefix(unit.size());
    const auto slash = text.find('/');
    if (slash == std::string_view::npos)
        return range;
    const std::string_view span = text.substr(0, slash);
    range.total = DecimalText::wholeNumber(text.substr(slash + 1));
    const auto dash = span.find('-');
    if (span != "*" && dash != std::string_view::npos) {
        range.first = DecimalText::wholeNumber(span.substr(0, dash));
        range.last = DecimalText::wholeNumber(span.substr(dash + 1));
    }
    return range;
}

ContentRange contentRangeOf(const CurlTransfer& transfer)
{
    return parseContentRange(transfer.header("Content-Range").value_or(""));
}

bool isSuccess(long status)
{
    return status >= 200 && status < 300;
}

// What an unranged request may be answered with: a success, and a 206 only when it covers
// the whole resource (to its end when no total is given).
bool answersForTheWhole(const CurlTransfer& transfer)
{
    const long status = transfer.status();
    if (!isSuccess(status))
        return false;
    if (status != 206)
        return true;
    const ContentRange range = contentRangeOf(transfer);
    return range.first == 0 && range.last && (!range.total || *range.last + 1 == *range.total);
}

// Why an answer that is not the one asked for fails.
FailureReason failureOfAnswer(const CurlTransfer& transfer)
{
    using Kind = FailureReason::Kind;
    const long status = transfer.status();
    if (status >= 400)
        return FailureReason::httpStatus(static_cast<int>(status), transfer.retryAfter());
    if (FailureReason broken = transfer.failure(); broken.failed())
        return broken;
    if (status >= 300)
        return FailureReason::of(Kind::Redirect, "a final status " + std::to_string(status));
    if (status == 0)
        return FailureReason::of(Kind::ConnectionLost);
    return FailureReason::of(Kind::WrongPart, "status " + std::to_string(status) + " for other bytes");
}

} // namespace

CurlUrlStream::CurlUrlStream(std::string url, TransferSettings settings, Interrupter* interrupter,
                             std::unique_ptr<CurlTransfer> transfer)
    : m_url(std::move(url)), m_settings(std::move(settings)), m_interrupter(interrupter),
      m_transfer(std::move(transfer))
{
}

std::unique_ptr<CurlUrlStream> CurlUrlStream::open(const std::string& url, const TransferSettings& settings,
                                                   Interrupter* interrupter, FailureReason& failure)
{
    auto transfer = std::make_unique<CurlTransfer>(url, settings, 0, interrupter);
    transfer->waitForBody();
    failure = {};
    if (!answersForTheWhole(*transfer))
        failure = failureOfAnswer(*transfer);
    else if (transfer->ended() && transfer->held() == 0)
        failure = transfer->failure();
    if (failure.failed())
        return nullptr;
    return std::make_unique<CurlUrlStream>(url, settings, interrupter, std::move(transfer));
}

std::unique_ptr<CurlUrlStream> CurlUrlStream::openPart(const std::string& url, const TransferSettings& settings,
                                                       Interrupter* interrupter, std::uint64_t first,
                                                       std::uint64_t last, const KnownFile& known,
                                                       FailureReason& failure)
{
    auto transfer =
        std::make_unique<CurlTransfer>(url, settings, RequestedRange{first, last, known.validator}, interrupter);
    transfer->waitForBody();
    auto stream = std::make_unique<CurlUrlStream>(url, settings, interrupter, std::move(transfer));
    failure = stream->partFailure(first, last, known);
    if (failure.failed())
        return nullptr;
    stream->m_position = first;
    return stream;
}

FailureReason CurlUrlStream::partFailure(std::uint64_t first, std::uint64_t last, const KnownFile& known) const
{
    using Kind = FailureReason::Kind;
    const long status = m_transfer->status();
    // Another validator is another version, whatever the status; a whole answer of the same
    // version (a server without ranges) only fails the connection.
    if (isSuccess(status) && otherVersion(known))
        return FailureReason::of(Kind::ChangedFile);
    if (isSuccess(status) && isHtml() && !known.htmlExpected)
        return FailureReason::of(Kind::WebPage);
    if (status != 206)
        return failureOfAnswer(*m_transfer);
    // Bytes of a compressed body sit at other offsets than the file's.
    if (isCompressed())
        return FailureReason::of(Kind::WrongPart, "a compressed part");
    const ContentRange range = contentRangeOf(*m_transfer);
    if (range.total && known.sameTotal && !known.sameTotal(*range.total))
        return FailureReason::of(Kind::WrongPart, "a part of another total");
    if (range.first != first || range.last != last || !range.total)
        return FailureReason::of(Kind::WrongPart, "a 206 for other bytes");
    return {};
}

InternetSession::Resumed CurlUrlStream::resume(const std::string& url, const TransferSettings& settings,
                                               Interrupter* interrupter, std::uint64_t offset,
                                               const KnownFile& known)
{
    if (offset == 0) {
        FailureReason failure;
        auto stream = open(url, settings, interrupter, failure);
        const SeekResult position = stream ? SeekResult::Continues : SeekResult::Failed;
        return {position, std::move(stream), failure};
    }
    auto stream = std::make_unique<CurlUrlStream>(url, settings, interrupter, nullptr);
    const SeekResult position = stream->setPosition(offset, known);
    const FailureReason failure = stream->failure();
    if (position == SeekResult::Failed || position == SeekResult::AlreadyWhole)
        stream.reset();
    return {position, std::move(stream), position == SeekResult::Failed ? failure : FailureReason{}};
}

std::uint64_t CurlUrlStream::dataAvailable()
{
    if (!m_transfer)
        return 0;
    if (const auto length = m_transfer->announcedLength())
        return *length;
    return m_transfer->held();
}

std::optional<std::uint64_t> CurlUrlStream::total() const
{
    if (!m_transfer)
        return std::nullopt;
    const ContentRange range = contentRangeOf(*m_transfer);
    if (range.total)
        return range.total;
    const auto length = m_transfer->announcedLength();
    if (!length)
        return std::nullopt;
    // A part starts where its range says; any other answer at the first byte.
    const std::uint64_t start = m_transfer->status() == 206 ? range.first.value_or(0) : 0;
    return start + *length;
}

bool CurlUrlStream::isHtml() const
{
    return HeaderText::isHtml(contentType());
}

std::string CurlUrlStream::contentType() const
{
    return m_transfer ? m_transfer->header("Content-Type").value_or("") : "";
}

bool CurlUrlStream::isCompressed() const
{
    if (!m_transfer)
        return false;
    const std::string coding(HeaderText::trimmed(m_transfer->header("Content-Encoding").value_or("")));
    return !coding.empty() && coding != "identity";
}

bool CurlUrlStream::acceptsRanges() const
{
    if (!m_transfer)
        return false;
    const std::string ranges = m_transfer->header("Accept-Ranges").value_or("");
    return m_transfer->status() == 206 || HeaderText::trimmed(ranges) == "bytes";
}

std::string CurlUrlStream::validator() const
{
    if (!m_transfer)
        return {};
    // A weak tag may not stand in If-Range.
    if (auto tag = m_transfer->header("ETag"); tag && !tag->empty() && tag->rfind("W/", 0) != 0)
        return *tag;
    return m_transfer->header("Last-Modified").value_or("");
}

std::string CurlUrlStream::contentDisposition() const
{
    return m_transfer ? m_transfer->header("Content-Disposition").value_or("") : "";
}

std::string CurlUrlStream::finalUrl() const
{
    return m_transfer ? m_transfer->effectiveUrl() : "";
}

std::size_t CurlUrlStream::read(char* buffer, std::size_t size)
{
    if (!m_transfer)
        return 0;
    // Fills the whole buffer unless the body ends first, as a blocking read does.
    std::size_t count = 0;
    while (count < size) {
        const std::size_t delivered = m_transfer->read(buffer + count, size - count);
        if (delivered == 0)
            break;
        count += delivered;
    }
    m_position += count;
    return count;
}

FailureReason CurlUrlStream::failure() const
{
    if (!m_transfer)
        return m_failure;
    // A body still coming has not ended cleanly (yet).
    if (!m_transfer->ended())
        return FailureReason::of(FailureReason::Kind::Other, "the body has not ended");
    return m_transfer->failure();
}

SeekResult CurlUrlStream::setPosition(std::uint64_t offset, const KnownFile& known)
{
    if (m_transfer && offset == m_position)
        return SeekResult::Continues;
    // Close the old connection before the ranged one opens.
    m_transfer.reset();
    m_failure = {};
    m_transfer = std::make_unique<CurlTransfer>(m_url, m_settings, offset, m_interrupter, known.validator);
    m_transfer->waitForBody();
    return answerFrom(offset, known);
}

SeekResult CurlUrlStream::answerFrom(std::uint64_t offset, const KnownFile& known)
{
    const long status = m_transfer->status();
    const ContentRange range = contentRangeOf(*m_transfer);
    if (status == 206 || status == 416) {
        // Another total is another file, wherever its part starts.
        if (range.total && known.sameTotal && !known.sameTotal(*range.total))
            return changedFile();
        // A server that ignores If-Range sends a part of another version as if it were ours.
        if (status == 206 && otherVersion(known))
            return restartWhole(offset, known);
        if (status == 206 && range.first == offset) {
            m_position = offset;
            return SeekResult::Continues;
        }
        if (status == 206 && range.first && *range.first < offset)
            return skipFrom(*range.first, offset, known);
        return decideByTotal(range.total, offset, known);
    }
    if (!isSuccess(status))
        return fail(failureOfAnswer(*m_transfer));
    return wholeAnswer(offset, known);
}

SeekResult CurlUrlStream::skipFrom(std::uint64_t first, std::uint64_t offset, const KnownFile& known)
{
    m_position = first;
    char scratch[64 * 1024];
    while (m_position < offset) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof scratch, offset - m_position));
        if (read(scratch, wanted) > 0)
            continue;
        // The body ended before the offset: cleanly, it told the resource's total.
        if (m_transfer && m_transfer->endedCleanly())
            return decideByTotal(m_position, offset, known);
        return fail(m_transfer ? m_transfer->failure() : m_failure);
    }
    return SeekResult::Skipped;
}

SeekResult CurlUrlStream::decideByTotal(std::optional<std::uint64_t> total, std::uint64_t offset,
                                        const KnownFile& known)
{
    if (total == offset)
        return alreadyWhole();
    return restartWhole(offset, known);
}

SeekResult CurlUrlStream::restartWhole(std::uint64_t offset, const KnownFile& known)
{
    if (!restartUnranged())
        return fail(failureOfAnswer(*m_transfer));
    return wholeAnswer(offset, known);
}

// Whether the answer names another version than the known one. An ETag is compared with an
// ETag and a date with a date: a server may send a tag in one answer and not in another.
bool CurlUrlStream::otherVersion(const KnownFile& known) const
{
    const std::string answered = validator();
    if (known.validator.empty() || answered.empty())
        return false;
    const auto isTag = [](const std::string& value) { return value.front() == '"'; };
    return isTag(known.validator) == isTag(answered) && answered != known.validator;
}

// The transfer delivers the whole resource from its first byte. It is taken for the partial
// file's resource only when it can be that: of the known total and no page unless a page was
// expected; with no total known, no page and no shorter than the partial file. Nothing of it
// is glued: it starts the file afresh, or completes a partial file of its exact length.
SeekResult CurlUrlStream::wholeAnswer(std::uint64_t offset, const KnownFile& known)
{
    const auto length = m_transfer->announcedLength();
    const bool html = isHtml();
    // A login or error page where the file was no page is never taken for it.
    if (html && !known.htmlExpected)
        return fail(FailureReason::of(FailureReason::Kind::WebPage));
    if (known.sameTotal) {
        if (!length || !known.sameTotal(*length))
            return changedFile();
    } else if (html || (length && *length < offset)) {
        return changedFile();
    } else if (!length) {
        return fail(FailureReason::of(FailureReason::Kind::WrongPart, "the resource's total is not told"));
    }
    // A partial file of the whole length is whole only when it is of this version.
    if (*length == offset && !otherVersion(known))
        return alreadyWhole();
    m_position = 0;
    return SeekResult::StartsAfresh;
}

bool CurlUrlStream::restartUnranged()
{
    m_transfer.reset();
    m_transfer = std::make_unique<CurlTransfer>(m_url, m_settings, 0, m_interrupter);
    m_transfer->waitForBody();
    m_position = 0;
    return answersForTheWhole(*m_transfer);
}

SeekResult CurlUrlStream::alreadyWhole()
{
    m_transfer.reset();
    m_failure = {};
    return SeekResult::AlreadyWhole;
}

SeekResult CurlUrlStream::changedFile()
{
    return fail(FailureReason::of(FailureReason::Kind::ChangedFile));
}

SeekResult CurlUrlStream::fail(FailureReason why)
{
    m_transfer.reset();
    m_failure = std::move(why);
    return SeekResult::Failed;
}

} // namespace zv

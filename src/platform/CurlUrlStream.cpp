#include "platform/CurlUrlStream.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace zv {

namespace {

bool isAnswer(long status)
{
    return status >= 200 && status < 400;
}

struct ContentRange {
    std::optional<std::uint64_t> first; // absent for "bytes */total"
    std::optional<std::uint64_t> total;
};

std::optional<std::uint64_t> parseNumber(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

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
    range.total = parseNumber(text.substr(slash + 1));
    if (span != "*")
        range.first = parseNumber(span.substr(0, span.find('-')));
    return range;
}

} // namespace

CurlUrlStream::CurlUrlStream(std::string url, TransferSettings settings, Interrupter* interrupter,
                             std::unique_ptr<CurlTransfer> transfer)
    : m_url(std::move(url)), m_settings(std::move(settings)), m_interrupter(interrupter),
      m_transfer(std::move(transfer))
{
}

std::unique_ptr<CurlUrlStream> CurlUrlStream::open(const std::string& url, const TransferSettings& settings,
                                                   Interrupter* interrupter)
{
    auto transfer = std::make_unique<CurlTransfer>(url, settings, 0, interrupter);
    transfer->waitForBody();
    if (!isAnswer(transfer->status()))
        return nullptr;
    if (transfer->ended() && !transfer->endedCleanly() && transfer->held() == 0)
        return nullptr;
    return std::make_unique<CurlUrlStream>(url, settings, interrupter, std::move(transfer));
}

std::uint64_t CurlUrlStream::dataAvailable()
{
    if (!m_transfer)
        return 0;
    if (const auto length = m_transfer->announcedLength())
        return *length;
    return m_transfer->held();
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

bool CurlUrlStream::endedCleanly() const
{
    return m_transfer ? m_transfer->endedCleanly() : m_cleanEnd;
}

SeekResult CurlUrlStream::setPosition(std::uint64_t offset)
{
    if (m_transfer && offset == m_position)
        return SeekResult::Continues;
    // Close the old connection before the ranged one opens.
    m_transfer.reset();
    m_cleanEnd = false;
    m_transfer = std::make_unique<CurlTransfer>(m_url, m_settings, offset, m_interrupter);
    m_transfer->waitForBody();
    m_position = offset;
    const long status = m_transfer->status();
    const ContentRange range = parseContentRange(m_transfer->header("Content-Range").value_or(""));
    if (status == 206)
        return range.first == offset ? SeekResult::Continues : fail();
    if (status == 416) {
        if (range.total != offset)
            return fail();
        m_transfer.reset();
        m_cleanEnd = true;
        return SeekResult::AlreadyWhole;
    }
    if (status == 200)
        return skipTo(offset);
    return fail();
}

SeekResult CurlUrlStream::skipTo(std::uint64_t offset)
{
    // The server ignored the range: drop what lies before the offset.
    m_position = 0;
    char scratch[64 * 1024];
    while (m_position < offset) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof scratch, offset - m_position));
        const std::size_t count = read(scratch, wanted);
        if (count == 0)
            return fail();
    }
    return SeekResult::Skipped;
}

SeekResult CurlUrlStream::fail()
{
    m_transfer.reset();
    m_cleanEnd = false;
    return SeekResult::Failed;
}

} // namespace zv

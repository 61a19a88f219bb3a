#include "transfer/PiecePlan.h"

#include <algorithm>
#include <iterator>

namespace zv {

namespace {

bool isPieceMap(std::string_view map, std::size_t pieces)
{
    return map.size() == pieces && map.find_first_not_of("01") == std::string_view::npos;
}

} // namespace

bool PiecePlan::fits(std::uint64_t total, std::uint64_t pieceSize, std::string_view finishedPieces)
{
    return pieceSize > 0 && isPieceMap(finishedPieces, static_cast<std::size_t>((total + pieceSize - 1) / pieceSize));
}

PiecePlan::PiecePlan(std::uint64_t total, std::uint64_t pieceSize, std::string_view finishedPieces)
    : m_total(total), m_pieceSize(pieceSize > 0 ? pieceSize : PieceSize)
{
    m_written.resize(static_cast<std::size_t>((m_total + m_pieceSize - 1) / m_pieceSize));
    const bool resumed = isPieceMap(finishedPieces, m_written.size());
    for (std::size_t piece = 0; piece < m_written.size(); ++piece) {
        if (resumed && finishedPieces[piece] == '1') {
            m_written[piece] = pieceLength(piece);
            m_finishedBytes += m_written[piece];
            m_writtenBytes += m_written[piece];
        } else {
            setFree(piece * m_pieceSize, piece * m_pieceSize + pieceLength(piece));
        }
    }
}

void PiecePlan::trustPrefix(std::uint64_t length)
{
    const std::lock_guard lock(m_mutex);
    length = std::min(length, m_total);
    // Free runs are counted as written up to the length; finished pieces already count.
    while (!m_free.empty() && m_free.begin()->first < length) {
        const auto [begin, end] = *m_free.begin();
        m_free.erase(m_free.begin());
        count(begin, std::min(end, length));
        if (end > length)
            m_free.emplace(length, end);
    }
}

std::optional<PiecePlan::Range> PiecePlan::take(ConnectionId connection)
{
    const std::lock_guard lock(m_mutex);
    drop(connection);
    std::optional<Range> range = takeFree();
    if (!range)
        range = split();
    if (range)
        m_held[connection] = Holding{range->begin, range->begin, range->end};
    return range;
}

std::size_t PiecePlan::mayWrite(ConnectionId connection, std::uint64_t offset, std::size_t size)
{
    const std::lock_guard lock(m_mutex);
    const auto held = m_held.find(connection);
    if (held == m_held.end() || offset != held->second.next || held->second.granted != held->second.next)
        return 0;
    Holding& holding = held->second;
    const auto allowed = static_cast<std::size_t>(std::min<std::uint64_t>(size, holding.end - offset));
    holding.granted = offset + allowed;
    return allowed;
}

bool PiecePlan::wrote(ConnectionId connection, std::uint64_t offset, std::size_t size)
{
    const std::lock_guard lock(m_mutex);
    const auto held = m_held.find(connection);
    if (held == m_held.end() || offset != held->second.next || size > held->second.granted - offset)
        return false;
    Holding& holding = held->second;
    count(offset, offset + size);
    holding.next += size;
    holding.granted = holding.next;
    if (holding.next == holding.end)
        m_held.erase(held);
    return true;
}

bool PiecePlan::extend(ConnectionId connection, std::uint64_t at)
{
    const std::lock_guard lock(m_mutex);
    const auto after = m_free.find(at);
    if (m_held.contains(connection) || after == m_free.end())
        return false;
    m_held[connection] = Holding{at, at, after->second};
    m_free.erase(after);
    return true;
}

std::optional<ConnectionId> PiecePlan::holderOf(std::uint64_t offset) const
{
    const std::lock_guard lock(m_mutex);
    for (const auto& [connection, holding] : m_held) {
        if (holding.next <= offset && offset < holding.end)
            return connection;
    }
    return std::nullopt;
}

bool PiecePlan::hasWork() const
{
    const std::lock_guard lock(m_mutex);
    return !m_free.empty() ||
           std::any_of(m_held.begin(), m_held.end(), [this](const auto& held) { return splittable(held.second); });
}

std::optional<PiecePlan::Range> PiecePlan::remaining(ConnectionId connection) const
{
    const std::lock_guard lock(m_mutex);
    const auto held = m_held.find(connection);
    if (held == m_held.end())
        return std::nullopt;
    return Range{held->second.next, held->second.end};
}

void PiecePlan::giveBack(ConnectionId connection)
{
    const std::lock_guard lock(m_mutex);
    drop(connection);
}

void PiecePlan::cutShort(ConnectionId connection)
{
    const std::lock_guard lock(m_mutex);
    const auto held = m_held.find(connection);
    if (held == m_held.end())
        return;
    Holding& holding = held->second;
    setFree(holding.granted, holding.end);
    holding.end = holding.granted;
    if (holding.next == holding.end)
        m_held.erase(held);
}

std::uint64_t PiecePlan::finishedBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_finishedBytes;
}

std::uint64_t PiecePlan::writtenBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_writtenBytes;
}

bool PiecePlan::allFinished() const
{
    const std::lock_guard lock(m_mutex);
    return m_finishedBytes == m_total;
}

std::string PiecePlan::pieceMap() const
{
    const std::lock_guard lock(m_mutex);
    std::string map(m_written.size(), '0');
    for (std::size_t piece = 0; piece < m_written.size(); ++piece) {
        if (isFinished(piece))
            map[piece] = '1';
    }
    return map;
}

std::uint64_t PiecePlan::pieceLength(std::size_t piece) const
{
    return std::min(m_pieceSize, m_total - piece * m_pieceSize);
}

bool PiecePlan::isFinished(std::size_t piece) const
{
    return m_written[piece] == pieceLength(piece);
}

void PiecePlan::setFree(std::uint64_t begin, std::uint64_t end)
{
    if (begin >= end)
        return;
    if (const auto after = m_free.find(end); after != m_free.end()) {
        end = after->second;
        m_free.erase(after);
    }
    if (const auto next = m_free.lower_bound(begin); next != m_free.begin()) {
        const auto before = std::prev(next);
        if (before->second == begin) {
            begin = before->first;
            m_free.erase(before);
        }
    }
    m_free.emplace(begin, end);
}

void PiecePlan::drop(ConnectionId connection)
{
    const auto held = m_held.find(connection);
    if (held == m_held.end())
        return;
    setFree(held->second.next, held->second.end);
    m_held.erase(held);
}

std::optional<PiecePlan::Range> PiecePlan::takeFree()
{
    if (m_free.empty())
        return std::nullopt;
    const Range range{m_free.begin()->first, m_free.begin()->second};
    m_free.erase(m_free.begin());
    return range;
}

std::optional<PiecePlan::Range> PiecePlan::split()
{
    const auto most = std::max_element(m_held.begin(), m_held.end(), [](const auto& a, const auto& b) {
        return a.second.end - a.second.granted < b.second.end - b.second.granted;
    });
    if (most == m_held.end() || !splittable(most->second))
        return std::nullopt;
    Holding& holding = most->second;
    const Range second{splitPoint(holding.granted, holding.end), holding.end};
    holding.end = second.begin;
    return second;
}

std::uint64_t PiecePlan::splitPoint(std::uint64_t begin, std::uint64_t end) const
{
    const std::uint64_t middle = begin + (end - begin) / 2;
    if (end - begin < 2 * m_pieceSize)
        return middle;
    // On the nearest piece boundary, so that each side finishes whole pieces of its own; with
    // two pieces or more left, that boundary lies at least half a piece inside.
    return (middle + m_pieceSize / 2) / m_pieceSize * m_pieceSize;
}

void PiecePlan::count(std::uint64_t begin, std::uint64_t end)
{
    for (auto piece = static_cast<std::size_t>(begin / m_pieceSize); piece * m_pieceSize < end; ++piece) {
        const std::uint64_t pieceBegin = piece * m_pieceSize;
        const std::uint64_t added = std::min(end, pieceBegin + m_pieceSize) - std::max(begin, pieceBegin);
        m_written[piece] += added;
        m_writtenBytes += added;
        if (added > 0 && isFinished(piece)) // no byte is granted twice, so this is its last
            m_finishedBytes += pieceLength(piece);
    }
}

} // namespace zv

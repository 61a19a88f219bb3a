#pragma once

#include "transfer/ConnectionId.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// Which bytes of a download over several connections are finished, which each connection holds
// and which are free. A connection takes a range, then writes it from its start, asking before
// every block how much it may write (its end moves down when another connection takes the rest
// of its range) and telling after the write how much it wrote. So no byte is ever granted to
// two connections, and a connection never writes outside what it holds. Written bytes are
// counted exactly: a piece is finished when every one of its bytes was written, by one
// connection or several, and what a failed connection wrote stays written. The piece map kept
// between runs tells finished pieces only. Any thread.
class PiecePlan {
public:
    // 8 MiB: at 4 MB/s a connection spends about 2 s on a piece, long beside a request's round
    // trips and TLS handshake; a crash redoes at most a piece per connection; the map of a
    // 100 GB file stays a line of 12,000 characters.
    static constexpr std::uint64_t PieceSize = std::uint64_t{8} << 20;
    // A range is split for an idle connection only when more than this is left of it: below,
    // a new request costs more than it saves.
    static constexpr std::uint64_t SmallestSplit = std::uint64_t{1} << 20;

    // [begin, end) of the file.
    struct Range {
        std::uint64_t begin = 0;
        std::uint64_t end = 0;
        bool operator==(const Range&) const = default;
    };

    // Whether a download of that total gains from several connections.
    static bool worthSeveralConnections(std::uint64_t total) { return total >= 2 * PieceSize; }

    // Whether a map is one of a file of that total in pieces of that size.
    static bool fits(std::uint64_t total, std::uint64_t pieceSize, std::string_view finishedPieces);

    // finishedPieces: '1' for each finished piece, '0' for an open one. A map of another length
    // or with other characters is of another file: every piece is open then.
    PiecePlan(std::uint64_t total, std::uint64_t pieceSize, std::string_view finishedPieces = {});

    // The file's first length bytes are written (a partial file with no piece map, trusted as a
    // prefix of the version): they count, and the next take starts after them. Before any take.
    void trustPrefix(std::uint64_t length);

    std::uint64_t total() const { return m_total; }
    std::uint64_t pieceSize() const { return m_pieceSize; }

    // Hands the connection its next range, to fetch from its begin: free bytes first (a run of
    // open pieces), else the second half of the range another connection has most left of, when
    // more than SmallestSplit is left. Gives back first what the connection still held.
    // nullopt: nothing is left to take.
    std::optional<Range> take(ConnectionId connection);
    // How many of size bytes at offset the connection may write now: up to its end, and only
    // at its next byte (0 elsewhere, and while an earlier grant is not yet reported).
    std::size_t mayWrite(ConnectionId connection, std::uint64_t offset, std::size_t size);
    // The connection wrote size bytes at offset, within what mayWrite granted; the rest of the
    // grant goes back to it. False, and nothing counted, for bytes it was not granted.
    bool wrote(ConnectionId connection, std::uint64_t offset, std::size_t size);
    // The connection, which has written all it held up to at, goes on with the free bytes that
    // begin there (its answer delivers them anyway); false when none are free there.
    bool extend(ConnectionId connection, std::uint64_t at);
    // The connection that holds the byte at offset and has not written it; nullopt for none.
    std::optional<ConnectionId> holderOf(std::uint64_t offset) const;
    // Whether a connection that takes now would get a range.
    bool hasWork() const;
    // What the connection holds and has not written yet; nullopt once it has written it all.
    std::optional<Range> remaining(ConnectionId connection) const;
    // The connection stops (it failed): what it has not written is free again, a grant it has
    // not reported too. Only from the connection's own thread, with no write of it under way.
    void giveBack(ConnectionId connection);
    // Ends the connection's range at what it was already granted (a slow one): the rest is
    // free for a faster one. Any thread, also while the connection writes.
    void cutShort(ConnectionId connection);

    std::uint64_t finishedBytes() const;
    // Every byte written so far, also of unfinished pieces.
    std::uint64_t writtenBytes() const;
    bool allFinished() const;
    // '1' for each finished piece, '0' for the others, for the progress file.
    std::string pieceMap() const;

private:
    struct Holding {
        std::uint64_t next = 0;    // the first byte not written yet
        std::uint64_t granted = 0; // mayWrite allowed up to here
        std::uint64_t end = 0;
    };

    std::uint64_t pieceLength(std::size_t piece) const;
    bool isFinished(std::size_t piece) const;
    void setFree(std::uint64_t begin, std::uint64_t end);
    void drop(ConnectionId connection);
    std::optional<Range> takeFree();
    std::optional<Range> split();
    bool splittable(const Holding& holding) const { return holding.end - holding.granted > SmallestSplit; }
    std::uint64_t splitPoint(std::uint64_t begin, std::uint64_t end) const;
    void count(std::uint64_t begin, std::uint64_t end);

    const std::uint64_t m_total;
    const std::uint64_t m_pieceSize;
    mutable std::mutex m_mutex;
    // Bytes written of each piece.
    std::vector<std::uint64_t> m_written;
    std::uint64_t m_finishedBytes = 0;
    std::uint64_t m_writtenBytes = 0;
    // Free ranges, begin to end, never touching each other.
    std::map<std::uint64_t, std::uint64_t> m_free;
    std::map<ConnectionId, Holding> m_held;
};

} // namespace zv

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zv {

// What an unfinished download's progress file tells of the file its bytes belong to.
struct ProgressRecord {
    std::string url;
    std::optional<std::uint64_t> total;
    std::string validator;   // the first answer's ETag, else its Last-Modified
    std::string contentType; // the first answer's
    // For downloads over several connections: the size of a piece, and '1' for each
    // finished piece, '0' for one still open. 0 and empty for one connection.
    std::uint64_t pieceSize = 0;
    std::string finishedPieces;
    // The task's address was changed since its bytes came: the next answer must show it is
    // the same file before a byte is added.
    bool addressChanged = false;

    bool operator==(const ProgressRecord&) const = default;
};

// The small text file beside an unfinished download ("<download>.zv-progress") that keeps
// what identifies its version between runs and across restarts, so that a resume never
// glues bytes of two versions. Replaced atomically (temporary file, sync, rename), made
// readable by its owner only (URLs may hold passwords).
class ProgressFile {
public:
    static constexpr std::string_view Suffix = ".zv-progress";
    static constexpr int Version = 1;

    explicit ProgressFile(const std::string& download);

    const std::string& path() const { return m_path; }
    // nullopt when there is none, or it is damaged or of a later version.
    std::optional<ProgressRecord> read() const;
    // A failed write removes the old file, so that it is not trusted any more.
    std::error_code write(const ProgressRecord& record) const;
    void remove() const;

    // Whether a file name is a progress file's, or a temporary one of its writes.
    static bool isProgressFileName(std::string_view name);

    static std::string format(const ProgressRecord& record);
    static std::optional<ProgressRecord> parse(std::string_view text);

private:
    std::string m_path;
};

} // namespace zv

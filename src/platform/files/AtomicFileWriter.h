#pragma once

#include "platform/files/ByteSink.h"
#include "platform/files/FileDescriptor.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zv {

// Replaces a file's content so that a failure part-way leaves the old file whole. The bytes
// go to a temporary file in the folder of the real target (symlinks followed), which takes
// the old file's permissions (a new file is readable by its owner only); commit() flushes
// and syncs it and renames it over the target.
// Where that folder refuses new files but the target itself is writable, and for targets
// that are not regular files (devices), the target is written in place instead. A regular
// file written in place starts with UnfinishedMark until commit() has written and synced
// everything else, and gets its real first byte last: a write cut at any point leaves either
// the old file or one that says it is unfinished, never new bytes over old ones that read
// as whole.
// Failures throw std::system_error carrying the errno value; a directory fails with EISDIR.
class AtomicFileWriter final : public ByteSink {
public:
    // The first byte of a file while it is written in place (for content that does not
    // start with it).
    static constexpr char UnfinishedMark = '#';

    explicit AtomicFileWriter(const std::string& target);
    // Without commit() the target stays exactly as it was (unless written in place).
    ~AtomicFileWriter() override;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view bytes) override;
    void commit();

    // The file that is really replaced: the target with its symlinks followed.
    const std::string& realTarget() const { return m_target; }
    bool writesInPlace() const { return m_temporary.empty(); }

    // Follows a chain of symlinks (relative ones against their own folder) to the file they
    // name, whether it exists or not.
    static std::string followSymlinks(const std::string& path);
    // For the name of a temporary file this writer makes (".<target>.tmp-<8 hex digits>",
    // left behind when the process was killed mid-write), the target's name.
    static std::optional<std::string> targetOfTemporary(const std::string& name);

private:
    // 0, or the errno value of the folder's refusal.
    int createTemporary();
    void openInPlace(bool regular);
    void flushBuffer();
    // Before the first byte written in place: the mark goes first, synced.
    void markUnfinished();
    void writeFirstByte();
    void syncAndClose();

    std::string m_target;
    std::string m_temporary; // empty when writing in place
    FileDescriptor m_file;
    std::string m_buffer;
    std::uint64_t m_written = 0;
    bool m_regular = true;
    std::optional<char> m_firstByte; // kept back while the mark stands
    bool m_committed = false;
};

} // namespace zv

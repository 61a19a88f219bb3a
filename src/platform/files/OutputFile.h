#pragma once

#include "platform/files/FileDescriptor.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zv {

// A destination file written block by block straight to the system, without buffering, under
// an exclusive advisory lock held while it is open, so that two writers never share one file.
// Only regular files on storage are written: a pipe, a device or a socket could block the
// writer or never fill, and a file under /proc or /sys is one of the kernel's controls.
// A file opened for positioned writes takes blocks at any offset, from several threads at once.
// Virtual so that tests can stand in a file whose system calls block or refuse.
class OutputFile {
public:
    // InUse: another writer holds the file's lock (this program's other task, or another copy).
    enum class OpenResult { Opened, Missing, Failed, InUse };
    // Reserved: the file's blocks are set aside on the disk. Extended: the file system reserves
    // none, so only its length was set (later writes can still find the disk full).
    enum class Preallocation { Reserved, Extended, Failed };

    OutputFile() = default;
    virtual ~OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, replacing any regular file of that name.
    virtual OpenResult create(const std::string& path);
    // Opens an existing file positioned at its end; Missing when there is none.
    virtual OpenResult openAtEnd(const std::string& path);
    // Opens the file for writeAt, creating it when missing and keeping what it holds. Read-write
    // and never appending: on an appending descriptor Linux puts every positioned write at the end.
    virtual OpenResult openForPositionedWrites(const std::string& path);

    bool isOpen() const { return m_file.isOpen(); }
    // The length when it was opened.
    std::uint64_t sizeAtOpen() const { return m_sizeAtOpen; }
    // Whether its path still names this file: false once the file or a folder above it
    // was removed, moved or replaced.
    bool isStillAtItsPath() const;

    // Goes on writing at the file's first hole: the bytes of a file that was given its length
    // first and written in pieces are known to be there only up to it. Returns that offset (the
    // end, for a file without holes); nullopt on an error.
    std::optional<std::uint64_t> goOnAtFirstHole();

    // Writes the whole block; false on any error (disk full, ...).
    virtual bool write(const char* data, std::size_t size);
    // Writes the whole block at offset, leaving the file position alone; false on any error.
    // Any number of threads at once, on blocks that do not overlap (close only after them).
    virtual bool writeAt(std::uint64_t offset, const char* data, std::size_t size);
    // Makes the file length bytes long without writing a byte: fails with the disk-full words
    // when the bytes the file still lacks exceed the free space, else reserves its blocks, or
    // sets its length where the file system reserves none. Never shortens the file.
    Preallocation preallocate(std::uint64_t length);
    // Puts the written data on the disk before a record that counts it is kept; false on an error.
    virtual bool sync();
    // False when the system reports an error for the written data.
    virtual bool close();

    // Why the last call that failed did: the system's words ("No space left on device"), or
    // that the destination is no regular file on storage. With several writers failing at
    // once, the words of one of their failures, each kept whole.
    std::string errorText() const;

protected:
    // Reserves the blocks of [offset, offset + length): 0, or the error number, as
    // posix_fallocate returns it. EOPNOTSUPP and EINVAL: the file system reserves none.
    virtual int allocate(int fd, std::uint64_t offset, std::uint64_t length);

private:
    // Not an errno value: the path names something other than a regular file on storage.
    static constexpr int NotStorage = -1;

    OpenResult open(const std::string& path, int flags);
    // Opens with flags and keeps the existing length as sizeAtOpen, positioned at the end.
    OpenResult openKeeping(const std::string& path, int flags);
    bool failedWith(int error);
    // Sets the length where allocate was refused; never shortens.
    Preallocation extendTo(std::uint64_t length, std::uint64_t size);
    // Keeps error (an errno value or NotStorage) for errorText.
    OpenResult failWith(int error);

    FileDescriptor m_file;
    std::string m_path;
    std::uint64_t m_sizeAtOpen = 0;
    // Atomic: writeAt fails on several threads at once, and errorText reads it from another.
    std::atomic<int> m_error{0};
};

} // namespace zv

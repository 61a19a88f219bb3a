#pragma once

#include "platform/files/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

// A destination file written block by block straight to the system, without buffering, under
// an exclusive advisory lock held while it is open, so that two writers never share one file.
// Only regular files on storage are written: a pipe, a device or a socket could block the
// writer or never fill, and a file under /proc or /sys is one of the kernel's controls.
// Virtual so that tests can stand in a file whose system calls block.
class OutputFile {
public:
    // InUse: another writer holds the file's lock (this program's other task, or another copy).
    enum class OpenResult { Opened, Missing, Failed, InUse };

    OutputFile() = default;
    virtual ~OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, replacing any regular file of that name.
    virtual OpenResult create(const std::string& path);
    // Opens an existing file positioned at its end; Missing when there is none.
    virtual OpenResult openAtEnd(const std::string& path);

    bool isOpen() const { return m_file.isOpen(); }
    // The length when it was opened.
    std::uint64_t sizeAtOpen() const { return m_sizeAtOpen; }
    // Whether its path still names this file: false once the file or a folder above it
    // was removed, moved or replaced.
    bool isStillAtItsPath() const;

    // Writes the whole block; false on any error (disk full, ...).
    virtual bool write(const char* data, std::size_t size);
    // False when the system reports an error for the written data.
    virtual bool close();

    // Why the last call that failed did: the system's words ("No space left on device"), or
    // that the destination is no regular file on storage.
    std::string errorText() const;

private:
    // Not an errno value: the path names something other than a regular file on storage.
    static constexpr int NotStorage = -1;

    OpenResult open(const std::string& path, int flags);
    // Keeps error (an errno value or NotStorage) for errorText.
    OpenResult failWith(int error);

    FileDescriptor m_file;
    std::string m_path;
    std::uint64_t m_sizeAtOpen = 0;
    int m_error = 0;
};

} // namespace zv

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

// A destination file written block by block straight to the system, without buffering.
// Virtual so that tests can stand in a file whose system calls block.
class OutputFile {
public:
    enum class OpenResult { Opened, Missing, Failed };

    OutputFile() = default;
    virtual ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, replacing any file of that name.
    virtual OpenResult create(const std::string& path);
    // Opens an existing file positioned at its end; Missing when there is none.
    virtual OpenResult openAtEnd(const std::string& path);

    bool isOpen() const { return m_fd >= 0; }
    // The length when it was opened.
    std::uint64_t sizeAtOpen() const { return m_sizeAtOpen; }

    // Writes the whole block; false on any error (disk full, ...).
    virtual bool write(const char* data, std::size_t size);
    // False when the system reports an error for the written data.
    virtual bool close();

private:
    int m_fd = -1;
    std::uint64_t m_sizeAtOpen = 0;
};

} // namespace zv

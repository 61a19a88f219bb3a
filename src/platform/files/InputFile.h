#pragma once

#include "platform/files/ByteSource.h"
#include "platform/files/FileDescriptor.h"

#include <string>

namespace zv {

// A regular file opened for reading. Failures throw std::system_error carrying the errno
// value; a directory fails with EISDIR, and any other file that is not a regular one (a
// device or a pipe, which could block or never end) with EACCES.
class InputFile final : public ByteSource {
public:
    explicit InputFile(const std::string& path);

    std::size_t read(char* buffer, std::size_t size) override;

private:
    FileDescriptor m_file;
};

} // namespace zv

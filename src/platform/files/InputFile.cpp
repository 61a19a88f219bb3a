#include "platform/files/InputFile.h"

#include "platform/files/SystemErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {

InputFile::InputFile(const std::string& path)
    // Non-blocking so that opening a pipe cannot hang; only regular files are read.
    : m_file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
    if (!m_file.isOpen())
        throw SystemErrors::fromErrno();
    struct stat info {};
    if (::fstat(m_file.get(), &info) != 0)
        throw SystemErrors::fromErrno();
    if (S_ISDIR(info.st_mode))
        throw SystemErrors::fromCode(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw SystemErrors::fromCode(EACCES);
}

std::size_t InputFile::read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(m_file.get(), buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw SystemErrors::fromErrno();
    }
}

} // namespace zv

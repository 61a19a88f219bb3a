#include "platform/OutputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {

OutputFile::~OutputFile()
{
    close();
}

OutputFile::OpenResult OutputFile::create(const std::string& path)
{
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    m_sizeAtOpen = 0;
    return m_fd >= 0 ? OpenResult::Opened : (errno == ENOENT ? OpenResult::Missing : OpenResult::Failed);
}

OutputFile::OpenResult OutputFile::openAtEnd(const std::string& path)
{
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0)
        return errno == ENOENT ? OpenResult::Missing : OpenResult::Failed;
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (end < 0) {
        close();
        return OpenResult::Failed;
    }
    m_sizeAtOpen = static_cast<std::uint64_t>(end);
    return OpenResult::Opened;
}

bool OutputFile::write(const char* data, std::size_t size)
{
    if (m_fd < 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputFile::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

} // namespace zv

#include "platform/files/FileDescriptor.h"

#include <cerrno>
#include <unistd.h>

namespace zv {

FileDescriptor::~FileDescriptor()
{
    close();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

int FileDescriptor::close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(std::exchange(m_fd, -1));
    // After EINTR the descriptor is gone on Linux; it is not retried.
    return result == 0 || errno == EINTR ? 0 : errno;
}

} // namespace zv

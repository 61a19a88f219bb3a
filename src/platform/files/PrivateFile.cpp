#include "platform/files/PrivateFile.h"

#include "platform/files/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

namespace zv::PrivateFile {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::error_code copyBytes(int from, int to)
{
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || !writeAll(to, buffer.data(), static_cast<std::size_t>(got)))
            return lastError();
        if (got == 0)
            return {};
    }
}

} // namespace

std::error_code createIfMissing(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, Mode));
    return file.isOpen() ? std::error_code() : lastError();
}

std::error_code copyAsNew(const std::string& source, const std::string& copy)
{
    FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from.isOpen())
        return lastError();
    FileDescriptor to(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode));
    if (!to.isOpen())
        return lastError();
    std::error_code error = copyBytes(from.get(), to.get());
    if (!error && ::fsync(to.get()) != 0)
        error = lastError();
    if (const int closed = to.close(); !error && closed != 0)
        error = {closed, std::generic_category()};
    if (error)
        ::unlink(copy.c_str());
    return error;
}

} // namespace zv::PrivateFile

#include "platform/files/OutputFile.h"

#include <array>
#include <cerrno>
#include <limits>
#include <system_error>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zv {

namespace {

// proc, sysfs and the kernel's file systems mounted under /sys: their files look regular,
// but writing one changes the system ("/proc/self/comm" renames a thread).
bool isKernelInterface(const struct statfs& system)
{
    static constexpr std::array<unsigned long, 11> types = {
        PROC_SUPER_MAGIC, SYSFS_MAGIC,    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC, TRACEFS_MAGIC,
        SECURITYFS_MAGIC, EFIVARFS_MAGIC, PSTOREFS_MAGIC,     BPF_FS_MAGIC,        SELINUX_MAGIC,
    };
    const auto type = static_cast<unsigned long>(system.f_type);
    for (const unsigned long kernel : types) {
        if (type == kernel)
            return true;
    }
    return false;
}

bool isPlainFile(const struct stat& info, const struct statfs& system)
{
    return S_ISREG(info.st_mode) && !isKernelInterface(system);
}

bool isPlainFile(int fd)
{
    struct stat info {};
    struct statfs system {};
    return ::fstat(fd, &info) == 0 && ::fstatfs(fd, &system) == 0 && isPlainFile(info, system);
}

bool isEmpty(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_size == 0;
}

// Opening a device can act by itself, so an existing path is looked at before it is opened.
bool namesSomethingElse(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false; // nothing there yet: opening decides
    struct statfs system {};
    return ::statfs(path.c_str(), &system) != 0 || !isPlainFile(info, system);
}

// Whether [offset, offset + size) lies within what off_t can address.
bool fitsAnOffset(std::uint64_t offset, std::uint64_t size)
{
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= most && size <= most - offset;
}

// Writes the whole block through writeSome(data, size, bytesDoneBefore), going on after
// interrupted and short writes. 0, or the error number.
template <typename WriteSome>
int writeWhole(const char* data, std::size_t size, WriteSome writeSome)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = writeSome(data + done, size - done, done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace

OutputFile::OpenResult OutputFile::create(const std::string& path)
{
    // Truncated only once the descriptor is known to be a plain file.
    const OpenResult opened = open(path, O_WRONLY | O_CREAT);
    if (opened != OpenResult::Opened)
        return opened;
    // A new, empty file is left as it is: ext4 writes a file truncated to nothing back in
    // full when it is closed, and the worker would wait for the disk.
    if (!isEmpty(m_file.get()) && ::ftruncate(m_file.get(), 0) != 0) {
        const int error = errno;
        close();
        return failWith(error);
    }
    m_sizeAtOpen = 0;
    return OpenResult::Opened;
}

OutputFile::OpenResult OutputFile::openAtEnd(const std::string& path)
{
    return openKeeping(path, O_WRONLY);
}

OutputFile::OpenResult OutputFile::openForPositionedWrites(const std::string& path)
{
    return openKeeping(path, O_RDWR | O_CREAT);
}

OutputFile::OpenResult OutputFile::openKeeping(const std::string& path, int flags)
{
    const OpenResult opened = open(path, flags);
    if (opened != OpenResult::Opened)
        return opened;
    const off_t end = ::lseek(m_file.get(), 0, SEEK_END);
    if (end < 0) {
        const int error = errno;
        close();
        return failWith(error);
    }
    m_sizeAtOpen = static_cast<std::uint64_t>(end);
    return OpenResult::Opened;
}

OutputFile::OpenResult OutputFile::open(const std::string& path, int flags)
{
    close();
    if (namesSomethingElse(path))
        return failWith(NotStorage);
    // Something swapped in after that look must not block us either: a pipe without a reader
    // fails at once (ENXIO), and what opens is looked at again through its descriptor.
    // O_NONBLOCK has no effect on the regular files that pass.
    FileDescriptor file(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!file.isOpen()) {
        const int error = errno;
        failWith(error);
        return error == ENOENT ? OpenResult::Missing : OpenResult::Failed;
    }
    if (!isPlainFile(file.get()))
        return failWith(NotStorage);
    // Taken before anything is truncated; the kernel lets it go when the descriptor closes.
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        failWith(error);
        return error == EWOULDBLOCK ? OpenResult::InUse : OpenResult::Failed;
    }
    m_file = std::move(file);
    m_path = path;
    return OpenResult::Opened;
}

bool OutputFile::isStillAtItsPath() const
{
    struct stat opened {};
    struct stat named {};
    return m_file.isOpen() && ::fstat(m_file.get(), &opened) == 0 && ::stat(m_path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool OutputFile::write(const char* data, std::size_t size)
{
    if (!m_file.isOpen())
        return failedWith(EBADF);
    const int fd = m_file.get();
    const int error =
        writeWhole(data, size, [fd](const char* block, std::size_t length, std::size_t) { return ::write(fd, block, length); });
    return error == 0 || failedWith(error);
}

bool OutputFile::writeAt(std::uint64_t offset, const char* data, std::size_t size)
{
    if (!m_file.isOpen())
        return failedWith(EBADF);
    if (!fitsAnOffset(offset, size))
        return failedWith(EFBIG);
    const int fd = m_file.get();
    const int error = writeWhole(data, size, [fd, offset](const char* block, std::size_t length, std::size_t done) {
        return ::pwrite(fd, block, length, static_cast<off_t>(offset + done));
    });
    return error == 0 || failedWith(error);
}

OutputFile::Preallocation OutputFile::preallocate(std::uint64_t length)
{
    if (!m_file.isOpen() || !fitsAnOffset(0, length)) {
        failWith(m_file.isOpen() ? EFBIG : EBADF);
        return Preallocation::Failed;
    }
    const int fd = m_file.get();
    struct stat info {};
    struct statvfs disk {};
    if (::fstat(fd, &info) != 0 || ::fstatvfs(fd, &disk) != 0) {
        failWith(errno);
        return Preallocation::Failed;
    }
    // What the file already holds on the disk (st_blocks counts 512 bytes), so that the blocks
    // of a sparse file's holes count as missing.
    const auto held = static_cast<std::uint64_t>(info.st_blocks) * 512;
    const auto available = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
    if (length > held && length - held > available) {
        failWith(ENOSPC);
        return Preallocation::Failed;
    }
    const int refused = allocate(fd, 0, length);
    if (refused == 0)
        return Preallocation::Reserved;
    if (refused != EOPNOTSUPP && refused != EINVAL) {
        failWith(refused);
        return Preallocation::Failed;
    }
    return extendTo(length, static_cast<std::uint64_t>(info.st_size));
}

OutputFile::Preallocation OutputFile::extendTo(std::uint64_t length, std::uint64_t size)
{
    if (length > size && ::ftruncate(m_file.get(), static_cast<off_t>(length)) != 0) {
        failWith(errno);
        return Preallocation::Failed;
    }
    return Preallocation::Extended;
}

int OutputFile::allocate(int fd, std::uint64_t offset, std::uint64_t length)
{
    // fallocate rather than posix_fallocate: where the file system reserves nothing, glibc's
    // posix_fallocate writes a zero into every block instead, the very writing this avoids.
    int error = 0;
    do {
        error = ::fallocate(fd, 0, static_cast<off_t>(offset), static_cast<off_t>(length)) == 0 ? 0 : errno;
    } while (error == EINTR);
    return error;
}

std::optional<std::uint64_t> OutputFile::goOnAtFirstHole()
{
    off_t hole = ::lseek(m_file.get(), 0, SEEK_HOLE);
    if (hole < 0 && errno == ENXIO) // an empty file
        hole = 0;
    if (hole < 0 || ::lseek(m_file.get(), hole, SEEK_SET) < 0) {
        failWith(errno);
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(hole);
}

bool OutputFile::sync()
{
    if (::fdatasync(m_file.get()) != 0)
        return failedWith(errno);
    return true;
}

bool OutputFile::close()
{
    const int error = m_file.close();
    if (error != 0)
        failWith(error);
    return error == 0;
}

OutputFile::OpenResult OutputFile::failWith(int error)
{
    m_error.store(error, std::memory_order_relaxed);
    return OpenResult::Failed;
}

bool OutputFile::failedWith(int error)
{
    failWith(error);
    return false;
}

std::string OutputFile::errorText() const
{
    const int error = m_error.load(std::memory_order_relaxed);
    if (error == NotStorage)
        return "not a regular file on storage";
    return std::generic_category().message(error);
}

} // namespace zv

#include "platform/files/AtomicFileWriter.h"

#include "platform/files/PrivateFile.h"
#include "platform/files/SystemErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace zv {

namespace {

constexpr std::size_t BufferSize = 64 * 1024;
constexpr int MaxSymlinkHops = 40;
constexpr int MaxTemporaryAttempts = 100;
// Leaves room in a 255-byte name for the dot and the temporary suffix.
constexpr std::size_t MaxTemporaryStem = 200;
constexpr std::string_view TemporaryMark = ".tmp-";
constexpr std::size_t SuffixDigits = 8;

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix()
{
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device random;
    std::string suffix;
    for (unsigned value = random(), i = 0; i < SuffixDigits; ++i, value >>= 4)
        suffix += digits[value & 15u];
    return suffix;
}

void syncFolder(const std::string& folder)
{
    // Makes the rename itself durable; a folder that cannot be synced is no failure.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.get());
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target) : m_target(followSymlinks(target))
{
    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        throw SystemErrors::fromErrno();
    if (exists && S_ISDIR(old.st_mode))
        throw SystemErrors::fromCode(EISDIR);
    if (exists && !S_ISREG(old.st_mode)) {
        // A device is never replaced by a regular file.
        openInPlace(false);
        return;
    }
    const int error = createTemporary();
    if (error == 0) {
        if (exists) {
            // Best effort: a file system without owners or modes still gets its list.
            [[maybe_unused]] const int owned = ::fchown(m_file.get(), old.st_uid, old.st_gid);
            ::fchmod(m_file.get(), old.st_mode & 07777);
        }
        return;
    }
    if (exists && (error == EACCES || error == EPERM)) {
        openInPlace(true);
        return;
    }
    throw SystemErrors::fromCode(error);
}

AtomicFileWriter::~AtomicFileWriter()
{
    m_file.close();
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

int AtomicFileWriter::createTemporary()
{
    const std::string stem = "." + nameOf(m_target).substr(0, MaxTemporaryStem) + std::string(TemporaryMark);
    const std::string folder = folderOf(m_target);
    for (int attempt = 0; attempt < MaxTemporaryAttempts; ++attempt) {
        const std::string name = (folder == "/" ? folder : folder + "/") + stem + randomSuffix();
        // Private until it takes the old file's mode: the list may hold passwords.
        FileDescriptor file(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, PrivateFile::Mode));
        if (file.isOpen()) {
            m_file = std::move(file);
            m_temporary = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

void AtomicFileWriter::openInPlace(bool regular)
{
    m_regular = regular;
    // Not truncated here: the old length is cut at commit(), after the new bytes are out.
    // Non-blocking so that a pipe without a reader cannot hang the caller.
    m_file = FileDescriptor(::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | (regular ? 0 : O_NONBLOCK)));
    if (!m_file.isOpen())
        throw SystemErrors::fromErrno();
}

void AtomicFileWriter::write(std::string_view bytes)
{
    m_buffer.append(bytes);
    if (m_buffer.size() >= BufferSize)
        flushBuffer();
}

void AtomicFileWriter::flushBuffer()
{
    if (writesInPlace() && m_regular && m_written == 0 && !m_buffer.empty())
        markUnfinished();
    std::string_view rest = m_buffer;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_file.get(), rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw SystemErrors::fromErrno();
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
        m_written += static_cast<std::uint64_t>(written);
    }
    m_buffer.clear();
}

void AtomicFileWriter::markUnfinished()
{
    if (::pwrite(m_file.get(), &UnfinishedMark, 1, 0) != 1 || ::fsync(m_file.get()) != 0
        || ::lseek(m_file.get(), 1, SEEK_SET) != 1)
        throw SystemErrors::fromErrno();
    m_firstByte = m_buffer.front();
    m_buffer.erase(0, 1);
    m_written = 1;
}

void AtomicFileWriter::writeFirstByte()
{
    // Everything after it is on the disk before the mark goes.
    if (::fsync(m_file.get()) != 0 || ::pwrite(m_file.get(), &*m_firstByte, 1, 0) != 1)
        throw SystemErrors::fromErrno();
}

void AtomicFileWriter::commit()
{
    if (m_committed)
        return;
    flushBuffer();
    if (writesInPlace() && m_regular && ::ftruncate(m_file.get(), static_cast<off_t>(m_written)) != 0)
        throw SystemErrors::fromErrno();
    if (m_firstByte)
        writeFirstByte();
    syncAndClose();
    if (!writesInPlace()) {
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
            throw SystemErrors::fromErrno();
        syncFolder(folderOf(m_target));
    }
    m_committed = true;
}

void AtomicFileWriter::syncAndClose()
{
    // Devices and some special file systems cannot be synced; that loses nothing.
    if (::fsync(m_file.get()) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw SystemErrors::fromErrno();
    if (const int error = m_file.close())
        throw SystemErrors::fromCode(error);
}

std::optional<std::string> AtomicFileWriter::targetOfTemporary(const std::string& name)
{
    const std::size_t tail = TemporaryMark.size() + SuffixDigits;
    if (name.size() <= tail + 1 || name.front() != '.')
        return std::nullopt;
    const std::string_view suffix = std::string_view(name).substr(name.size() - tail);
    const auto isDigit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    if (!suffix.starts_with(TemporaryMark)
        || !std::all_of(suffix.begin() + TemporaryMark.size(), suffix.end(), isDigit))
        return std::nullopt;
    return name.substr(1, name.size() - 1 - tail);
}

std::string AtomicFileWriter::followSymlinks(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path current = path;
    for (int hop = 0; hop < MaxSymlinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current.string();
        const fs::path link = fs::read_symlink(current, error);
        if (error)
            throw std::system_error(error);
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    throw SystemErrors::fromCode(ELOOP);
}

} // namespace zv

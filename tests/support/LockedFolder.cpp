#include "support/LockedFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>

namespace zv::test {

namespace fs = std::filesystem;

namespace {

bool setImmutable(const fs::path& folder, bool on)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

LockedFolder::LockedFolder(const fs::path& folder) : m_folder(folder)
{
    if (::geteuid() == 0)
        m_immutable = setImmutable(folder, true);
    else
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
}

LockedFolder::~LockedFolder()
{
    if (m_immutable)
        setImmutable(m_folder, false);
    else
        fs::permissions(m_folder, fs::perms::owner_write, fs::perm_options::add);
}

bool LockedFolder::refusesNewFiles() const
{
    const fs::path probe = m_folder / ".probe";
    if (std::ofstream(probe).is_open()) {
        std::error_code error;
        fs::remove(probe, error);
        return false;
    }
    return true;
}

} // namespace zv::test

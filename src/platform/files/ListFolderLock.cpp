#include "platform/files/ListFolderLock.h"

#include "platform/files/Paths.h"
#include "platform/files/PrivateFile.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace zv {

ListFolderLock::ListFolderLock(const std::string& folder)
{
    const std::string file = Paths::join(folder, FileName);
    // Close-on-exec: a program started from ours must not hold our lock after we end.
    m_file = FileDescriptor(::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, PrivateFile::Mode));
    if (!m_file.isOpen())
        m_file = FileDescriptor(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!m_file.isOpen())
        m_problem = file + ": " + std::strerror(errno);
    m_folder = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.isOpen())
        m_problem = folder + ": " + std::strerror(errno);
    const bool fileHeld = lock(m_file);
    if (m_state == State::InUse)
        return;
    const bool folderHeld = lock(m_folder);
    if (m_state == State::InUse)
        return;
    m_state = fileHeld || folderHeld ? State::Held : State::Unavailable;
}

bool ListFolderLock::lock(FileDescriptor& fd)
{
    if (!fd.isOpen())
        return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno == EWOULDBLOCK) {
        m_state = State::InUse;
        release();
        return false;
    }
    m_problem = std::strerror(errno);
    fd.close();
    return false;
}

void ListFolderLock::release()
{
    m_file.close();
    m_folder.close();
}

} // namespace zv

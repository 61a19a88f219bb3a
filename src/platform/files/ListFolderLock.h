#pragma once

#include "platform/files/FileDescriptor.h"

#include <string>

namespace zv {

// One running copy per list folder, whatever its environment: an advisory lock (flock) on
// ".vt_tasks.lock" in the folder and on the folder itself, taken without waiting and
// released by the kernel when the process ends, however it ends. The folder's own lock
// covers a folder that refuses the lock file; holding both keeps a copy that could make the
// file from running beside one that could not.
class ListFolderLock {
public:
    static constexpr const char* FileName = ".vt_tasks.lock";
    enum class State { Held, InUse, Unavailable };

    explicit ListFolderLock(const std::string& folder);

    State state() const { return m_state; }
    // Why the lock is Unavailable.
    const std::string& problem() const { return m_problem; }
    // Lets a new start run (the list has been written for the last time).
    void release();

private:
    // False, with the reason kept, when fd could not be locked for a reason other than
    // another holder.
    bool lock(FileDescriptor& fd);

    FileDescriptor m_file;
    FileDescriptor m_folder;
    State m_state = State::Unavailable;
    std::string m_problem;
};

} // namespace zv

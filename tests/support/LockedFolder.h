#pragma once

#include <filesystem>

namespace zv::test {

// Makes a folder refuse new files while the files already in it stay writable, also for
// root (the immutable attribute, where the file system has it). Undone at destruction.
class LockedFolder {
public:
    explicit LockedFolder(const std::filesystem::path& folder);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    // Whether the folder really refuses a new file; tests skip where it could not be done.
    bool refusesNewFiles() const;

private:
    std::filesystem::path m_folder;
    bool m_immutable = false;
};

} // namespace zv::test

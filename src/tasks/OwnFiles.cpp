#include "tasks/OwnFiles.h"

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/ListFolder.h"
#include "platform/files/ListFolderLock.h"
#include "tasks/ProgressFile.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskListFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zv::OwnFiles {

namespace fs = std::filesystem;

namespace {

bool isOwnName(const std::string& name)
{
    const std::string list = TaskListFile::DefaultFileName;
    const std::string copy = RecoveryCopy::fileFor(list);
    const std::string settings = ListFolder::SettingsFileName;
    return name == copy || isNumbered(name, list + ".bad") || isNumbered(name, copy + ".bad") || name == settings
        || isNumbered(name, settings + ".bad") || name == ListFolderLock::FileName
        || AtomicFileWriter::targetOfTemporary(name).has_value() || ProgressFile::isProgressFileName(name);
}

std::string nameOf(const std::string& file) { return fs::path(file).filename().string(); }

} // namespace

bool isOwnFile(const std::string& file)
{
    if (isOwnName(nameOf(file)))
        return true;
    try {
        return isOwnName(nameOf(AtomicFileWriter::followSymlinks(file)));
    } catch (const std::system_error&) {
        // A link that cannot be followed is refused by the write or the read itself.
        return false;
    }
}

std::string refusalText(const std::string& file)
{
    return "\"" + file + "\" is a file Zare Vantrel keeps for itself, not a task list. Choose another file.";
}

bool isNumbered(std::string_view name, std::string_view base)
{
    if (!name.starts_with(base))
        return false;
    const std::string_view number = name.substr(base.size());
    return number.empty()
        || (number.size() > 1 && number.front() == '.'
            && std::all_of(number.begin() + 1, number.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

} // namespace zv::OwnFiles

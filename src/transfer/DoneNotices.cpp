#include "transfer/DoneNotices.h"

#include "platform/services/Deferrer.h"
#include "platform/services/DesktopNotifier.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace zv {

namespace {

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string folderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

std::string summary(std::size_t count)
{
    return count == 1 ? "Download finished" : std::to_string(count) + " downloads finished";
}

// The folder every file of the batch lies in, or empty when they lie in more than one.
std::string sharedFolder(const std::vector<std::string>& files)
{
    const std::string folder = folderOf(files.front());
    const bool shared = std::all_of(files.begin(), files.end(),
                                    [&folder](const std::string& file) { return folderOf(file) == folder; });
    return shared ? folder : std::string();
}

// A line per file name (a long batch: the first few and how many more), then the folder.
std::string body(const std::vector<std::string>& files, const std::string& folder)
{
    const std::size_t listed = files.size() <= DoneNotices::NamesListed ? files.size() : DoneNotices::NamesListed - 1;
    std::string text;
    for (std::size_t i = 0; i < listed; ++i)
        text += (i == 0 ? "" : "\n") + fileName(files[i]);
    if (listed < files.size())
        text += "\nand " + std::to_string(files.size() - listed) + " more";
    if (!folder.empty())
        text += "\nin " + folder;
    return text;
}

} // namespace

DoneNotices::DoneNotices(DesktopNotifier& notifier, Deferrer& deferrer)
    : m_notifier(notifier), m_deferrer(deferrer), m_self(std::make_shared<DoneNotices*>(this))
{
}

void DoneNotices::completed(const std::string& destinationFile)
{
    m_files.push_back(destinationFile);
    const unsigned batch = m_batch;
    if (m_files.size() == 1)
        callAfter(LongestWaitMs, [batch](DoneNotices& notices) { notices.tellIfStill(batch); });
    callAfter(QuietMs, [batch, count = m_files.size()](DoneNotices& notices) {
        // Another completion since this one waits for its own quiet time.
        if (notices.m_files.size() == count)
            notices.tellIfStill(batch);
    });
}

void DoneNotices::callAfter(int milliseconds, std::function<void(DoneNotices&)> call)
{
    m_deferrer.callAfter(milliseconds, [self = std::weak_ptr<DoneNotices*>(m_self), call = std::move(call)] {
        if (const auto notices = self.lock())
            call(**notices);
    });
}

void DoneNotices::tellIfStill(unsigned batch)
{
    if (batch != m_batch || m_files.empty())
        return;
    const std::vector<std::string> files = std::exchange(m_files, {});
    ++m_batch;
    const std::string folder = sharedFolder(files);
    m_notifier.notify(summary(files.size()), body(files, folder), folder);
}

} // namespace zv

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

std::string summary(std::size_t count, bool failures)
{
    if (failures)
        return count == 1 ? "Download failed" : std::to_string(count) + " downloads failed";
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

// A line per item (a long batch: the first few and how many more).
std::string lines(const std::vector<std::string>& items)
{
    const std::size_t listed = items.size() <= DoneNotices::NamesListed ? items.size() : DoneNotices::NamesListed - 1;
    std::string text;
    for (std::size_t i = 0; i < listed; ++i)
        text += (i == 0 ? "" : "\n") + items[i];
    if (listed < items.size())
        text += "\nand " + std::to_string(items.size() - listed) + " more";
    return text;
}

} // namespace

DoneNotices::DoneNotices(DesktopNotifier& notifier, Deferrer& deferrer)
    : m_notifier(notifier), m_deferrer(deferrer), m_self(std::make_shared<DoneNotices*>(this))
{
}

void DoneNotices::completed(const std::string& destinationFile) { add(Completions, destinationFile); }

void DoneNotices::failed(const std::string& name, const std::string& reason) { add(Failures, name + ": " + reason); }

void DoneNotices::add(Kind kind, std::string item)
{
    Batch& batch = m_batches[kind];
    batch.items.push_back(std::move(item));
    const unsigned told = batch.told;
    if (batch.items.size() == 1)
        callAfter(LongestWaitMs, [kind, told](DoneNotices& notices) { notices.tellIfStill(kind, told); });
    callAfter(QuietMs, [kind, told, count = batch.items.size()](DoneNotices& notices) {
        // Another one since this one waits for its own quiet time.
        if (notices.m_batches[kind].items.size() == count)
            notices.tellIfStill(kind, told);
    });
}

void DoneNotices::callAfter(int milliseconds, std::function<void(DoneNotices&)> call)
{
    m_deferrer.callAfter(milliseconds, [self = std::weak_ptr<DoneNotices*>(m_self), call = std::move(call)] {
        if (const auto notices = self.lock())
            call(**notices);
    });
}

void DoneNotices::tellIfStill(Kind kind, unsigned told)
{
    Batch& batch = m_batches[kind];
    if (told != batch.told || batch.items.empty())
        return;
    const std::vector<std::string> items = std::exchange(batch.items, {});
    ++batch.told;
    if (kind == Failures) {
        m_notifier.notify(summary(items.size(), true), lines(items), {});
        return;
    }
    std::vector<std::string> names;
    for (const std::string& file : items)
        names.push_back(fileName(file));
    const std::string folder = sharedFolder(items);
    m_notifier.notify(summary(items.size(), false), lines(names) + (folder.empty() ? "" : "\nin " + folder), folder);
}

} // namespace zv

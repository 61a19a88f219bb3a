#include "transfer/TaskEntryRules.h"

#include "platform/text/FormatSettings.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskTable.h"
#include "transfer/FileNames.h"

#include <algorithm>
#include <array>

namespace zv {

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool beginsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char wanted, char c) { return lowerAscii(c) == wanted; });
}

constexpr const char* AccessCaption = "Attempt of access to a file";

} // namespace

std::optional<TaskEntryRules::Refusal> TaskEntryRules::refusal(const std::string& url, const std::string& path,
                                                               bool adding, int taskCount)
{
    if (adding && taskCount >= TaskTable::MaxTasks)
        return Refusal{"The list of tasks is full: " + std::to_string(TaskTable::MaxTasks)
                           + " tasks at most!\rClear the list to add new tasks.",
                       "Too many tasks!"};
    if (!hasWebScheme(url))
        return Refusal{"Example for adress:\rhttp://\rhttps://", AccessCaption};
    if (!hasFileExtension(url))
        return Refusal{"Is not supported this file!", "File corrupt!"};
    if (isBlank(path))
        return Refusal{"Please! Select directory!", "Free path!"};
    return std::nullopt;
}

bool TaskEntryRules::hasWebScheme(std::string_view url)
{
    return beginsWith(url, "http:") || beginsWith(url, "https:");
}

bool TaskEntryRules::hasFileExtension(std::string_view url)
{
    // A signed link's query or a fragment is not the file's name.
    url = url.substr(0, url.find_first_of("?#"));
    if (url.empty())
        return false;
    constexpr std::array<std::size_t, 4> placesFromEnd{4, 5, 3, 2};
    return std::any_of(placesFromEnd.begin(), placesFromEnd.end(), [url](std::size_t place) {
        const std::size_t index = url.size() > place ? url.size() - place : 0;
        return url[index] == '.';
    });
}

bool TaskEntryRules::isBlank(std::string_view text)
{
    // Bytes of multi-byte characters are all above 127, so they are never stripped.
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string TaskEntryRules::fileName(const std::string& typed, const std::string& url)
{
    if (!isBlank(typed))
        return typed;
    const std::string fromUrl = FileNames::nameFromUrl(url);
    return isBlank(fromUrl) ? FileNames::Fallback : fromUrl;
}

std::string TaskEntryRules::scheduleCell(const std::string& date, const std::string& time,
                                         const FormatSettings& formats)
{
    const std::string typed = date + " " + time;
    if (CellFormats::readsAtFixedPositions(typed, formats))
        return typed;
    return formats.timeStamp({formats.parseDate(date), formats.parseTime(time)});
}

std::string TaskEntryRules::sizeText(std::uint64_t bytes, std::string_view decimalSeparator)
{
    if (bytes == 0)
        return {};
    return CellFormats::sizeText(bytes, decimalSeparator, CellFormats::ByteForm::TwoDecimals);
}

} // namespace zv

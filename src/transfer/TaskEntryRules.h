#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

class FormatSettings;

// The task editor's checks and texts, on the fields' bytes.
namespace TaskEntryRules {
// Why OK takes no task before the server is asked: a warning's text and caption.
struct Refusal {
    std::string text;
    std::string caption;
};
// The first rule the fields break, in the order OK checks them: a new task in a full table,
// an address that is not the web's, an address without a file extension, a blank folder.
std::optional<Refusal> refusal(const std::string& url, const std::string& path, bool adding, int taskCount);

// Begins with "http:" or "https:", letters compared without case.
bool hasWebScheme(std::string_view url);
// A dot in the 4th, 5th, 3rd or 2nd place from the end of the address without its query
// ("?...") and fragment ("#..."): it ends in a dot and one to four characters. A text
// shorter than a place is tested at its first character.
bool hasFileExtension(std::string_view url);
// Empty once blanks and control characters are stripped from both ends.
bool isBlank(std::string_view text);
// The name typed, as typed, unless it is blank; else the URL's last segment; else the
// fallback name.
std::string fileName(const std::string& typed, const std::string& url);
// The Schedule cell for a date and a time that both parse: as typed when the schedule
// watch reads it at its fixed positions, otherwise the short date and long time parsed.
std::string scheduleCell(const std::string& date, const std::string& time,
                         const FormatSettings& formats);
// The editor's own rendering of a probed size: empty for 0, two decimals also for bytes.
std::string sizeText(std::uint64_t bytes, std::string_view decimalSeparator);
} // namespace TaskEntryRules

} // namespace zv

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class TaskCommands;
class TaskTable;

// Links from outside the editor (a batch, a script) added as the editor's OK adds one task:
// the same checks, in the order given, without asking the server first.
namespace LinkAdding {

// Longer links are no links a browser hands over.
inline constexpr std::size_t MaxUrlLength = 8192;

// Why a link from outside is not taken at all (not http or https, too long, holding control
// characters); nullopt when it is taken.
std::optional<std::string> refusalOf(std::string_view url);
// How a link is named in a line of refusals: cut, control characters as '?', quoted.
std::string shown(std::string_view url);

// The links in dropped or pasted text (a text/uri-list or plain text): its lines, trimmed,
// without blank lines and a uri-list's comments; empty when none is an http or https link.
std::vector<std::string> linksIn(std::string_view text);

struct Outcome {
    enum class Kind { Added, AlreadyListed, Repeated, Refused };
    Kind kind = Kind::Added;
    std::string text; // a refusal's text, its line breaks as the boxes have them
    bool tableFull = false;
};

struct Request {
    std::vector<std::string> urls;
    std::string path;   // the destination folder
    std::string name;   // the file name, for a single link; else each URL's
    bool start = false; // "Immediately"
};

// One outcome per URL. A URL refused by refusalOf is refused with its reason; a URL already in the table, or earlier in
// the request, is skipped and said so; the others each pass the editor's checks or are refused with its text.
std::vector<Outcome> add(TaskCommands& tasks, const TaskTable& table, const Request& request);

// One line for standard error or a box: the URL and what became of it, empty for one added.
std::string describe(const std::string& url, const Outcome& outcome);

} // namespace LinkAdding

} // namespace zv

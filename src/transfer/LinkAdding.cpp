#include "transfer/LinkAdding.h"

#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/TaskCommands.h"
#include "transfer/TaskDraft.h"
#include "transfer/TaskEntryRules.h"

#include <algorithm>
#include <set>

namespace zv {

namespace {

std::set<std::string> listedUrls(const TaskTable& table)
{
    std::set<std::string> urls;
    for (int row = 1; row < table.rowCount(); ++row)
        urls.insert(table.cell(ColUrl, row));
    return urls;
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

constexpr std::size_t ShownLength = 200;

} // namespace

std::optional<std::string> LinkAdding::refusalOf(std::string_view url)
{
    if (!TaskEntryRules::hasWebScheme(url))
        return "not an http or https URL";
    if (url.size() > MaxUrlLength)
        return "longer than " + std::to_string(MaxUrlLength) + " bytes";
    if (std::any_of(url.begin(), url.end(), isControl))
        return "holds a line break or another control character";
    return std::nullopt;
}

std::vector<std::string> LinkAdding::linksIn(std::string_view text)
{
    std::vector<std::string> links;
    bool anyWebLink = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ')
            line.remove_prefix(1);
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        anyWebLink = anyWebLink || TaskEntryRules::hasWebScheme(line);
        links.emplace_back(line);
    }
    return anyWebLink ? links : std::vector<std::string>{};
}

std::string LinkAdding::shown(std::string_view url)
{
    std::string text(url.substr(0, ShownLength));
    std::replace_if(text.begin(), text.end(), isControl, '?');
    return "\"" + text + (url.size() > ShownLength ? "...\"" : "\"");
}

std::vector<LinkAdding::Outcome> LinkAdding::add(TaskCommands& tasks, const TaskTable& table, const Request& request)
{
    std::set<std::string> listed = listedUrls(table);
    std::set<std::string> seen;
    std::vector<Outcome> outcomes;
    for (const std::string& url : request.urls) {
        if (!seen.insert(url).second) {
            outcomes.push_back({Outcome::Kind::Repeated, {}});
            continue;
        }
        if (auto why = refusalOf(url)) {
            outcomes.push_back({Outcome::Kind::Refused, std::move(*why)});
            continue;
        }
        if (listed.count(url) != 0) {
            outcomes.push_back({Outcome::Kind::AlreadyListed, {}});
            continue;
        }
        if (const auto refused = TaskEntryRules::refusal(url, request.path, true, table.taskCount())) {
            const bool full = table.taskCount() >= TaskTable::MaxTasks;
            outcomes.push_back({Outcome::Kind::Refused, refused->text, full});
            continue;
        }
        const std::string name = request.urls.size() == 1 ? request.name : std::string();
        const TaskId task = tasks.add(TaskDraft{url, request.path, TaskEntryRules::fileName(name, url), {}});
        if (request.start)
            tasks.start(task);
        listed.insert(url);
        outcomes.push_back({Outcome::Kind::Added, {}});
    }
    return outcomes;
}

std::string LinkAdding::describe(const std::string& url, const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Added: return {};
    case Outcome::Kind::AlreadyListed: return shown(url) + ": skipped, already in the list";
    case Outcome::Kind::Repeated: return shown(url) + ": skipped, given twice";
    case Outcome::Kind::Refused: break;
    }
    std::string text = outcome.text;
    std::replace(text.begin(), text.end(), '\r', ' ');
    return shown(url) + ": not added: " + text;
}

} // namespace zv

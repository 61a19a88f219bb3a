#include "app/CommandLine.h"

#include "platform/text/ApplicationTitle.h"
#include "transfer/LinkMessage.h"
#include "transfer/LinkAdding.h"

#include <algorithm>
#include <filesystem>

namespace zv {

namespace {

Launch refused(const std::string& text) { return {Launch::Kind::Refuse, text, CommandLine::BadArguments, {}}; }

std::string absoluteFolder(const std::string& folder, const std::string& workingFolder)
{
    const std::filesystem::path path(folder);
    return (path.is_absolute() ? path : std::filesystem::path(workingFolder) / path).lexically_normal().string();
}

// Every refused link with its reason, on one line; empty when none is refused.
std::string refusals(const std::vector<std::string>& urls)
{
    std::string text;
    for (const std::string& url : urls) {
        if (const auto why = LinkAdding::refusalOf(url))
            text += (text.empty() ? "refused, nothing added: " : ", ") + LinkAdding::shown(url) + " (" + *why + ")";
    }
    return text;
}

} // namespace

std::string CommandLine::usage()
{
    return "Usage: zare-vantrel [--folder DIR] [--name FILE] [--later] [--quiet] [URL...]\n"
           "Adds the http or https URLs to the running copy's task list (starting it when none\n"
           "runs): the task editor opens for one URL, the batch dialog for several.\n"
           "  --folder DIR  save into DIR (a relative DIR is taken from the current folder)\n"
           "  --name FILE   save the one URL under FILE\n"
           "  --later       add the tasks to be started by hand\n"
           "  --quiet       add without any dialog; each link not added is named on\n"
           "                standard error, and the exit status is then 1\n"
           "  --help        show this text\n"
           "  --version     show the version\n";
}

std::vector<std::string> CommandLine::takeOwnOptions(int& argc, char* argv[])
{
    std::vector<std::string> own;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool takesValue = argument == "--folder" || argument == "--name";
        if (!takesValue && argument != "--later" && argument != "--quiet") {
            argv[kept++] = argv[i];
            continue;
        }
        own.push_back(argument);
        if (takesValue && i + 1 < argc)
            own.emplace_back(argv[++i]);
    }
    argc = kept;
    argv[argc] = nullptr;
    return own;
}

std::optional<Launch> CommandLine::printRequest(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument == "--help")
            return Launch{Launch::Kind::Print, usage(), 0, {}};
        if (argument == "--version")
            return Launch{Launch::Kind::Print, std::string(ApplicationTitle) + "\n", 0, {}};
    }
    return std::nullopt;
}

Launch CommandLine::parse(const std::vector<std::string>& arguments, const std::string& workingFolder)
{
    if (auto print = printRequest(arguments))
        return *print;
    Launch launch;
    LinkBatch& links = launch.links;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--folder" || argument == "--name";
        if (takesValue && i + 1 == arguments.size())
            return refused(argument + " needs a value");
        if (argument == "--folder")
            links.folder = absoluteFolder(arguments[++i], workingFolder);
        else if (argument == "--name")
            links.name = arguments[++i];
        else if (argument == "--later")
            links.later = true;
        else if (argument == "--quiet")
            links.quiet = true;
        else if (argument.starts_with("--"))
            return refused("unknown option " + argument + " (see --help)");
        else
            links.urls.push_back(argument);
    }
    if (const std::string text = refusals(links.urls); !text.empty())
        return refused(text);
    if (LinkMessage::encode(links).size() > LinkMessage::MaxSize)
        return refused("too many links at once; hand them over in several calls");
    if (!links.name.empty() && links.urls.size() != 1)
        return refused("--name needs exactly one URL");
    if (links.urls.empty() && (!links.folder.empty() || !links.name.empty() || links.later || links.quiet))
        return refused("the options need at least one URL (see --help)");
    return launch;
}

} // namespace zv

#include "transfer/FileNames.h"

#include "platform/text/Utf8.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/ContentDisposition.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>

namespace zv {

namespace {

// The name before its last dot and the extension from it on; a leading dot starts no
// extension (".profile").
std::pair<std::string_view, std::string_view> splitExtension(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {name, {}};
    // "tool.tar.gz" is numbered "tool (1).tar.gz".
    constexpr std::string_view tar = ".tar";
    if (dot > tar.size() && name.substr(dot - tar.size(), tar.size()) == tar)
        dot -= tar.size();
    return {name.substr(0, dot), name.substr(dot)};
}

// stem + suffix + extension within MaxNameBytes, the stem cut on a character boundary; an
// extension that would leave the stem no room is cut as part of it.
std::string fitted(std::string_view stem, std::string_view suffix, std::string_view extension)
{
    constexpr std::size_t longestCharacter = 4;
    if (suffix.size() + extension.size() + longestCharacter > FileNames::MaxNameBytes) {
        const std::string whole = std::string(stem) + std::string(extension);
        return whole.substr(0, Utf8::prefixLength(whole, FileNames::MaxNameBytes - suffix.size()))
            + std::string(suffix);
    }
    const std::size_t room = FileNames::MaxNameBytes - suffix.size() - extension.size();
    return std::string(stem.substr(0, Utf8::prefixLength(stem, room))) + std::string(suffix)
        + std::string(extension);
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

} // namespace

namespace {

std::string afterLastSlash(const std::string& text)
{
    const auto slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

} // namespace

std::string FileNames::nameFromUrl(const std::string& url)
{
    // A signed link's query is no part of the file's name.
    return afterLastSlash(url.substr(0, url.find_first_of("?#")));
}

bool FileNames::isDerivedName(const std::string& name, const std::string& url)
{
    return name.empty() || name == Fallback || name == nameFromUrl(url) || name == afterLastSlash(url);
}

std::string FileNames::destinationName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Fallback;
    return name;
}

std::string FileNames::destinationPath(const std::string& folder, const std::string& name)
{
    return CellFormats::localFileLocation(folder, destinationName(name));
}

std::string FileNames::destinationOf(const TaskTable& table, int row)
{
    const std::string& written = table.runOutcome(row).destination;
    return written.empty() ? destinationPath(table.cell(ColPath, row), table.cell(ColFileName, row)) : written;
}

std::string FileNames::baseName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

bool FileNames::sameFile(const std::string& one, const std::string& other)
{
    // The names first: the folders are looked up only for names that match.
    if (baseName(one) != baseName(other))
        return false;
    std::error_code error;
    const auto resolved = [&error](const std::string& path) {
        const auto canonical = std::filesystem::weakly_canonical(path, error);
        return error ? std::filesystem::path(path).lexically_normal() : canonical;
    };
    return resolved(one) == resolved(other);
}

std::optional<std::string> FileNames::safeServerName(std::string_view name)
{
    if (const std::size_t separator = name.find_last_of("/\\"); separator != std::string_view::npos)
        name.remove_prefix(separator + 1);
    std::string kept;
    std::copy_if(name.begin(), name.end(), std::back_inserter(kept), [](char c) { return !isControl(c); });
    kept.erase(0, std::min(kept.find_first_not_of(' '), kept.size()));
    const auto [stem, extension] = splitExtension(kept);
    std::string cut = fitted(stem, {}, extension);
    // Nothing but spaces and dots: empty, "." or ".." among them.
    const std::size_t last = cut.find_last_not_of(" .");
    if (last == std::string::npos)
        return std::nullopt;
    cut.erase(last + 1);
    return cut;
}

std::optional<std::string> FileNames::serverGivenName(std::string_view disposition, const std::string& finalUrl)
{
    if (const auto given = ContentDisposition::fileName(disposition))
        if (auto safe = safeServerName(*given))
            return safe;
    return safeServerName(ContentDisposition::decodedName(nameFromUrl(finalUrl)));
}

std::optional<std::string> FileNames::freeName(const std::string& folder, const std::string& wanted,
                                              const std::function<bool(const std::string& destination)>& taken)
{
    if (!taken(destinationPath(folder, wanted)))
        return wanted;
    const auto [stem, extension] = splitExtension(wanted);
    for (int number = 1; number <= MaxNumbered; ++number) {
        std::string candidate = fitted(stem, " (" + std::to_string(number) + ")", extension);
        if (!taken(destinationPath(folder, candidate)))
            return candidate;
    }
    return std::nullopt;
}

} // namespace zv

#include "transfer/LinkMessage.h"

#include <charconv>

namespace zv::LinkMessage {

namespace {

constexpr std::string_view Heading = "zare-vantrel links ";
// After the last field: a message cut between two fields is not taken for a shorter one.
constexpr std::string_view Trailer = "end\n";

void field(std::string& message, std::string_view key, std::string_view value)
{
    message.append(key).append(" ").append(std::to_string(value.size())).append("\n");
    message.append(value).append("\n");
}

// Takes the next "<key> <length>\n<bytes>\n" from message; false when there is none whole.
bool nextField(std::string_view& message, std::string_view& key, std::string_view& value)
{
    const auto lineEnd = message.find('\n');
    const auto space = message.substr(0, lineEnd).find(' ');
    if (lineEnd == std::string_view::npos || space == std::string_view::npos)
        return false;
    key = message.substr(0, space);
    const std::string_view digits = message.substr(space + 1, lineEnd - space - 1);
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return false;
    message.remove_prefix(lineEnd + 1);
    if (length >= message.size() || message[length] != '\n')
        return false;
    value = message.substr(0, length);
    message.remove_prefix(length + 1);
    return true;
}

bool flag(std::string_view value, bool& into)
{
    into = value == "1";
    return value == "0" || value == "1";
}

bool take(LinkBatch& batch, std::string_view key, std::string_view value)
{
    if (key == "url")
        batch.urls.emplace_back(value);
    else if (key == "folder")
        batch.folder = value;
    else if (key == "name")
        batch.name = value;
    else if (key == "later")
        return flag(value, batch.later);
    else if (key == "quiet")
        return flag(value, batch.quiet);
    else
        return false;
    return true;
}

} // namespace

std::string encode(const LinkBatch& batch)
{
    std::string message = std::string(Heading) + std::to_string(Version) + "\n";
    field(message, "folder", batch.folder);
    field(message, "name", batch.name);
    field(message, "later", batch.later ? "1" : "0");
    field(message, "quiet", batch.quiet ? "1" : "0");
    for (const std::string& url : batch.urls)
        field(message, "url", url);
    return message.append(Trailer);
}

std::optional<LinkBatch> decode(std::string_view message)
{
    const std::string heading = std::string(Heading) + std::to_string(Version) + "\n";
    if (message.size() > MaxSize || !message.starts_with(heading))
        return std::nullopt;
    message.remove_prefix(heading.size());
    LinkBatch batch;
    std::string_view key;
    std::string_view value;
    while (message != Trailer) {
        if (!nextField(message, key, value) || !take(batch, key, value))
            return std::nullopt;
    }
    if (batch.urls.empty())
        return std::nullopt;
    return batch;
}

} // namespace zv::LinkMessage

#include "platform/text/IniDocument.h"

#include "platform/text/Utf8.h"

#include <algorithm>

namespace zv {

namespace {

constexpr std::string_view Space = " \t";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(Space);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Space) - first + 1);
}

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
    });
}

bool isOneLine(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

} // namespace

IniDocument IniDocument::parse(std::string_view text)
{
    if (!Utf8::isValid(text))
        throw Damaged("it is not UTF-8 text");
    if (hasControlCharacter(text))
        throw Damaged("it holds control characters");
    IniDocument document;
    std::string section;
    int number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        auto parsed = parseLine(line, section);
        if (!parsed)
            throw Damaged("line " + std::to_string(number) + " is neither a section, a setting nor a comment");
        if (parsed->kind == Kind::Section)
            section = parsed->section;
        document.m_lines.push_back(std::move(*parsed));
    }
    return document;
}

std::optional<IniDocument::Line> IniDocument::parseLine(std::string_view line, const std::string& section)
{
    const std::string_view content = trimmed(line);
    if (content.empty() || content.front() == ';' || content.front() == '#')
        return Line{Kind::Other, std::string(line), section, {}, {}};
    if (content.front() == '[' && content.back() == ']') {
        const std::string_view name = trimmed(content.substr(1, content.size() - 2));
        if (name.empty() || name.find_first_of("[]") != std::string_view::npos)
            return std::nullopt;
        return Line{Kind::Section, std::string(line), std::string(name), {}, {}};
    }
    const auto equals = content.find('=');
    const std::string_view key = trimmed(content.substr(0, equals));
    if (equals == std::string_view::npos || key.empty())
        return std::nullopt;
    return Line{Kind::Setting, std::string(line), section, std::string(key),
                std::string(trimmed(content.substr(equals + 1)))};
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    const auto line = lastLineOf(section, key);
    return line ? std::optional<std::string>(m_lines[*line].value) : std::nullopt;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    if (!isOneLine(section) || !isOneLine(key) || !isOneLine(value))
        throw std::invalid_argument("a setting is one line");
    Line setting{Kind::Setting, std::string(key) + "=" + std::string(value), std::string(section), std::string(key),
                 std::string(value)};
    if (const auto line = lastLineOf(section, key)) {
        m_lines[*line] = std::move(setting);
        return;
    }
    if (const auto line = lastLineOf(section, std::nullopt)) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*line) + 1, std::move(setting));
        return;
    }
    // Settings of no section stand before the first one.
    if (section.empty()) {
        m_lines.insert(m_lines.begin(), std::move(setting));
        return;
    }
    if (!m_lines.empty() && !trimmed(m_lines.back().text).empty())
        m_lines.push_back({Kind::Other, {}, {}, {}, {}});
    m_lines.push_back({Kind::Section, "[" + std::string(section) + "]", std::string(section), {}, {}});
    m_lines.push_back(std::move(setting));
}

std::string IniDocument::text() const
{
    std::string text;
    for (const Line& line : m_lines)
        text += line.text + "\n";
    return text;
}

std::optional<std::size_t> IniDocument::lastLineOf(std::string_view section, std::optional<std::string_view> key) const
{
    for (std::size_t line = m_lines.size(); line-- > 0;) {
        const Line& candidate = m_lines[line];
        if (candidate.kind == Kind::Other || candidate.section != section)
            continue;
        if (!key || (candidate.kind == Kind::Setting && candidate.key == *key))
            return line;
    }
    return std::nullopt;
}

} // namespace zv

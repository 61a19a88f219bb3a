#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// A plain INI text, kept line by line so that a rewrite keeps what the program does not
// know: other sections and keys, comments, blank lines and their order. A line is blank, a
// comment (";" or "#" first), a section ("[Downloads]") or a setting ("key=value"; the space
// around key and value is not part of them). Names are case-sensitive; a key given twice
// counts by its last line; settings before the first section belong to the section "".
class IniDocument {
public:
    // A text that is not UTF-8, holds control characters other than tabs and line ends, or
    // has a line that is none of those kinds; what() says which line.
    class Damaged : public std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    static IniDocument parse(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Changes the key's last line, or adds one at the end of the section's last part (the
    // section at the end of the text when it has none). Names and values are one line each.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Every line, each ended by a line feed.
    std::string text() const;

private:
    enum class Kind { Other, Section, Setting };
    struct Line {
        Kind kind;
        std::string text;
        std::string section; // the section the line belongs to, or heads
        std::string key;
        std::string value;
    };

    // Nothing for a line that is none of the kinds.
    static std::optional<Line> parseLine(std::string_view line, const std::string& section);
    std::optional<std::size_t> lastLineOf(std::string_view section, std::optional<std::string_view> key) const;

    std::vector<Line> m_lines;
};

} // namespace zv

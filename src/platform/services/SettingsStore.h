#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv {

// The user's preferences that last between runs: text values by section and key. A value
// the store does not hold means the setting's default. Keys the program does not know stay
// as they are when it saves.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Reads the saved settings. Never fails: what cannot be read leaves the defaults; the
    // text says what went wrong where the user should know (nothing for a store never saved).
    virtual std::optional<std::string> load() = 0;
    virtual std::optional<std::string> value(std::string_view section, std::string_view key) const = 0;
    // Changes the value in memory; save() keeps it. Names and values are one line each.
    virtual void setValue(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Keeps the values changed since the last save; the failure's text, if any.
    virtual std::optional<std::string> save() = 0;
};

} // namespace zv

#pragma once

#include "platform/services/SettingsStore.h"

#include <map>
#include <utility>

namespace zv::test {

// Settings held in memory: what load() reports and whether save() fails are set by the
// test, and the saves are counted.
class MemorySettings final : public SettingsStore {
public:
    std::optional<std::string> load() override { return loadProblem; }
    std::optional<std::string> value(std::string_view section, std::string_view key) const override
    {
        const auto found = values.find({std::string(section), std::string(key)});
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void setValue(std::string_view section, std::string_view key, std::string_view value) override
    {
        values[{std::string(section), std::string(key)}] = std::string(value);
    }
    std::optional<std::string> save() override
    {
        ++saves;
        return saveFailure;
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::optional<std::string> loadProblem;
    std::optional<std::string> saveFailure;
    int saves = 0;
};

} // namespace zv::test

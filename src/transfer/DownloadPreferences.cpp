#include "transfer/DownloadPreferences.h"

#include "platform/services/SettingsStore.h"
#include "platform/text/DecimalText.h"

namespace zv {

std::optional<int> DownloadPreferences::maxRunningOf(std::string_view text)
{
    const auto value = DecimalText::wholeNumber(text);
    if (!value || *value > static_cast<std::uint64_t>(MostRunning))
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<std::uint64_t> DownloadPreferences::speedLimitOf(std::string_view text)
{
    const auto value = DecimalText::wholeNumber(text);
    if (!value || *value > FastestLimit)
        return std::nullopt;
    return value;
}

std::optional<bool> DownloadPreferences::switchOf(std::string_view text)
{
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return std::nullopt;
}

std::optional<int> DownloadPreferences::connectionsOf(std::string_view text)
{
    const auto value = DecimalText::wholeNumber(text);
    if (!value || *value == 0 || *value > static_cast<std::uint64_t>(MostConnections))
        return std::nullopt;
    return static_cast<int>(*value);
}

DownloadPreferences DownloadPreferences::read(const SettingsStore& store)
{
    DownloadPreferences read;
    const auto valueOf = [&store](std::string_view key) { return store.value(Section, key).value_or(""); };
    read.maxRunning = maxRunningOf(valueOf(MaxRunningKey)).value_or(read.maxRunning);
    read.speedLimit = speedLimitOf(valueOf(SpeedLimitKey)).value_or(read.speedLimit);
    read.speedLimitOn = switchOf(valueOf(SpeedLimitOnKey)).value_or(read.speedLimitOn);
    read.connections = connectionsOf(valueOf(ConnectionsKey)).value_or(read.connections);
    read.connectionsPerServer = connectionsOf(valueOf(ConnectionsPerServerKey)).value_or(read.connectionsPerServer);
    return read;
}

} // namespace zv

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

class SettingsStore;

// The [Downloads] preferences: how many downloads run at once, how fast they all go together
// and over how many connections. A value written by hand that is not one of its key's own reads as that key's
// default; the other keys are kept.
struct DownloadPreferences {
    static constexpr std::string_view Section = "Downloads";
    static constexpr std::string_view MaxRunningKey = "MaxRunning";
    static constexpr std::string_view SpeedLimitKey = "SpeedLimit";
    static constexpr std::string_view SpeedLimitOnKey = "SpeedLimitOn";
    static constexpr std::string_view ConnectionsKey = "Connections";
    static constexpr std::string_view ConnectionsPerServerKey = "ConnectionsPerServer";
    static constexpr int MostConnections = 16;
    static constexpr int MostRunning = 20;
    static constexpr std::uint64_t FastestLimit = 10ull * 1024 * 1024 * 1024; // bytes per second

    int maxRunning = 0;          // 0: no cap
    std::uint64_t speedLimit = 0; // bytes per second; 0: no limit
    // The tray's toggle: off keeps the typed limit without applying it.
    bool speedLimitOn = true;
    int connections = 1;          // per download: 1 to MostConnections
    int connectionsPerServer = 8; // all downloads from one server together: 1 to MostConnections

    // The limit in force: 0 while none is typed or the toggle is off.
    std::uint64_t limitInForce() const { return speedLimitOn ? speedLimit : 0; }

    static DownloadPreferences read(const SettingsStore& store);
    // What each key's text stands for; none for a text that is not one of its values.
    static std::optional<int> maxRunningOf(std::string_view text);
    static std::optional<std::uint64_t> speedLimitOf(std::string_view text);
    static std::optional<bool> switchOf(std::string_view text);
    // 1 to MostConnections.
    static std::optional<int> connectionsOf(std::string_view text);
    static std::string switchText(bool on) { return on ? "true" : "false"; }

    bool operator==(const DownloadPreferences&) const = default;
};

} // namespace zv

#pragma once

#include <string>

#include <sys/types.h>

namespace zv::test {

// A session bus of the test's own: a dbus-daemon started for it and ended with it, so that
// neither the machine's desktop nor another test sees what goes over it.
class PrivateSessionBus {
public:
    // Whether dbus-daemon is installed.
    static bool available();

    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // What DBUS_SESSION_BUS_ADDRESS names it by; empty when the daemon did not start.
    const std::string& address() const { return m_address; }

private:
    std::string m_address;
    pid_t m_pid = -1;
};

} // namespace zv::test

#include "support/PrivateSessionBus.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace zv::test {

bool PrivateSessionBus::available() { return std::system("command -v dbus-daemon >/dev/null 2>&1") == 0; }

PrivateSessionBus::PrivateSessionBus()
{
    // The daemon forks once its address is printed, so the pipe ends as it is ready.
    FILE* pipe = ::popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!pipe)
        return;
    std::string output;
    std::array<char, 512> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), count);
    ::pclose(pipe);
    std::istringstream lines(output);
    std::string address;
    pid_t pid = -1;
    if (std::getline(lines, address) && (lines >> pid) && pid > 0) {
        m_address = address;
        m_pid = pid;
    }
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

} // namespace zv::test

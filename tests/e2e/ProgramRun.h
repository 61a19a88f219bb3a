#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace zv::test {

// A copy of the built program with what lies beside it, in a folder of its own, started
// on the X display of the test (DISPLAY) and ended by a signal.
class ProgramRun {
public:
    // A folder that holds the program already (another run's) is used as it stands.
    explicit ProgramRun(const std::filesystem::path& folder);
    ~ProgramRun();

    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }
    // For the next start: no file the program writes may grow beyond this many bytes
    // (SIGXFSZ is ignored, so a write past it fails with EFBIG).
    void setFileSizeLimit(std::optional<std::uint64_t> bytes) { m_fileSizeLimit = bytes; }
    // For the next starts: HOME and the working folder (else the program's folder).
    void setHome(const std::filesystem::path& folder) { m_home = folder; }
    // For the next starts: an environment variable the program gets besides the test's own.
    void setEnvironment(const std::string& name, const std::string& value) { m_environment[name] = value; }
    // For the next starts: the arguments after the program's name.
    void setArguments(std::vector<std::string> arguments) { m_arguments = std::move(arguments); }
    // For the next starts: standard error goes to this file (appended to).
    void setStandardError(const std::filesystem::path& file) { m_standardError = file; }
    // Starts the program and waits until it has reached the X server (has a window). Under
    // xvfb-run a start now and then fails to connect and aborts; such a start is repeated.
    void start();
    pid_t pid() const { return m_pid; }
    bool running();
    // How the last run ended, as waitpid gives it (-1 while it runs or never ran).
    int exitStatus() const { return m_exitStatus; }
    // Sends the signal and waits for the exit; returns the exit status (-1: did not end).
    int stop(int signalNumber, std::chrono::seconds limit = std::chrono::seconds(20));
    // Waits for an exit of the program's own; returns the exit status (-1: still running, or
    // never ran).
    int waitForExit(std::chrono::seconds limit);

    // Runs a command (xdotool and the like) and gives its standard output.
    static std::string command(const std::string& line);

private:
    void startOnce();
    bool hasWindow() const;

    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    int m_exitStatus = -1;
    std::optional<std::uint64_t> m_fileSizeLimit;
    std::filesystem::path m_standardError;
    std::filesystem::path m_home;
    std::map<std::string, std::string> m_environment;
    std::vector<std::string> m_arguments;
};

// Polls condition until it holds or the limit passes; true when it held.
bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit);

} // namespace zv::test

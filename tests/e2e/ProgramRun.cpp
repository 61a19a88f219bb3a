#include "ProgramRun.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::test {

namespace fs = std::filesystem;

ProgramRun::ProgramRun(const fs::path& folder) : m_folder(folder)
{
    const fs::path bin = std::getenv("ZV_BIN_DIR");
    fs::create_directories(folder);
    // Never over a copy that may be running: its executable is busy.
    if (fs::exists(folder / "zare-vantrel"))
        return;
    for (const char* name : {"zare-vantrel", "help.html", "winOrbelSysExit.wav"})
        fs::copy_file(bin / name, folder / name);
    fs::copy(bin / "pic", folder / "pic", fs::copy_options::recursive);
}

ProgramRun::~ProgramRun()
{
    if (m_pid > 0)
        stop(SIGKILL);
}

void ProgramRun::start()
{
    constexpr int Attempts = 3;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        startOnce();
        waitFor([&] { return !running() || hasWindow(); }, std::chrono::seconds(30));
        // Only an abort before any window is the display's refusal; every other end stands.
        const bool refused = m_pid <= 0 && WIFSIGNALED(m_exitStatus) && WTERMSIG(m_exitStatus) == SIGABRT;
        if (!refused)
            return;
    }
}

bool ProgramRun::hasWindow() const
{
    return !command("xdotool search --pid " + std::to_string(m_pid) + " 2>/dev/null").empty();
}

void ProgramRun::startOnce()
{
    const std::string program = (m_folder / "zare-vantrel").string();
    const std::string home = (m_home.empty() ? m_folder : m_home).string();
    const std::optional<std::uint64_t> fileSizeLimit = m_fileSizeLimit;
    const std::string standardError = m_standardError.string();
    // Made before the fork: the child only execs.
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), m_arguments.begin(), m_arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_exitStatus = -1;
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        // The program's own window system and notation, whatever the test process uses.
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("LC_ALL", "C", 1);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("SESSION_MANAGER");
        for (const auto& [name, value] : m_environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (fileSizeLimit) {
            // An ignored signal stays ignored across exec.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(*fileSizeLimit), static_cast<rlim_t>(*fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(125);
        }
        if (!standardError.empty()) {
            const int file = ::open(standardError.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (file < 0 || ::dup2(file, STDERR_FILENO) < 0)
                ::_exit(124);
        }
        if (::chdir(home.c_str()) != 0)
            ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
}

bool ProgramRun::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        m_exitStatus = status;
        return false;
    }
    return true;
}

int ProgramRun::stop(int signalNumber, std::chrono::seconds limit)
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, signalNumber);
    const int status = waitForExit(limit);
    if (status == -1 && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int killed = -1;
        ::waitpid(m_pid, &killed, 0);
        m_pid = -1;
        m_exitStatus = killed;
    }
    return status;
}

int ProgramRun::waitForExit(std::chrono::seconds limit)
{
    if (m_pid <= 0)
        return m_exitStatus; // ended already (a start that ended by itself is reaped there)
    int status = -1;
    if (!waitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit))
        return -1;
    m_pid = -1;
    m_exitStatus = status;
    return status;
}

std::string ProgramRun::command(const std::string& line)
{
    std::string output;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 4096> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), count);
    ::pclose(pipe);
    return output;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace zv::test

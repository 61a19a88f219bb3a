#include "transfer/ThreadedProbeRunner.h"

#include "platform/threads/Interrupter.h"
#include "transfer/Probe.h"

#include <algorithm>

namespace zv {

namespace {

// The "host:port" part of a URL, which tells one server from another well enough here.
std::string serverOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    return url.substr(start, url.find_first_of("/?#", start) - start);
}

} // namespace

// One probe; its answer is handed to the main thread, where the runner gives it on.
class ThreadedProbeRunner::ProbeThread final : public ThreadBase {
public:
    ProbeThread(HandOverQueue& mainThread, InternetSessionFactory& internet, std::string url,
                std::function<void(const ProbeResult&)> onAnswer)
        : ThreadBase(mainThread), m_internet(internet), m_url(std::move(url)), m_server(serverOf(m_url)),
          m_onAnswer(std::move(onAnswer))
    {
    }
    ~ProbeThread() override { stopAndWait(); }

    bool answered() const { return m_answered.load(); }
    const std::string& server() const { return m_server; }

protected:
    void execute() override
    {
        const ProbeResult result = Probe::run(m_internet, m_url, &m_interrupter);
        synchronize([this, &result] {
            // Its place is free for the next probe while the answer runs.
            m_answered = true;
            m_onAnswer(result);
        });
    }
    void onTerminateRequested() override { m_interrupter.interrupt(); }

private:
    InternetSessionFactory& m_internet;
    const std::string m_url;
    const std::string m_server;
    const std::function<void(const ProbeResult&)> m_onAnswer;
    Interrupter m_interrupter;
    std::atomic<bool> m_answered{false};
};

ThreadedProbeRunner::ThreadedProbeRunner(HandOverQueue& mainThread, InternetSessionFactory& internet,
                                         int maxInFlight)
    : m_mainThread(mainThread), m_internet(internet), m_maxInFlight(std::max(maxInFlight, 1))
{
}

ThreadedProbeRunner::~ThreadedProbeRunner()
{
    cancelAll();
    // Moved out first: a last hand-over run while waiting may look at the list.
    auto running = std::move(m_running);
    running.clear();
}

void ThreadedProbeRunner::ask(const std::string& url, Answer answer)
{
    m_waiting.push_back({url, std::move(answer)});
    startWaiting();
}

void ThreadedProbeRunner::cancelAll()
{
    ++m_generation;
    m_waiting.clear();
    for (const ThreadPtr& thread : m_running)
        thread->terminate();
}

std::size_t ThreadedProbeRunner::outstanding() const
{
    return m_waiting.size() + inFlight();
}

std::size_t ThreadedProbeRunner::inFlight(const std::string* server) const
{
    return static_cast<std::size_t>(std::count_if(m_running.begin(), m_running.end(), [server](const ThreadPtr& thread) {
        const auto& probe = static_cast<const ProbeThread&>(*thread);
        return !probe.answered() && !thread->finished() && (!server || probe.server() == *server);
    }));
}

bool ThreadedProbeRunner::mayStart(const std::string& server) const
{
    return static_cast<int>(inFlight(&server)) < m_maxInFlight;
}

void ThreadedProbeRunner::startWaiting()
{
    releaseEnded();
    for (auto request = m_waiting.begin();
         request != m_waiting.end() && static_cast<int>(inFlight()) < MaxInFlightInAll;) {
        if (!mayStart(serverOf(request->url))) {
            ++request;
            continue;
        }
        auto onAnswer = [this, generation = m_generation, answer = std::move(request->answer)](const ProbeResult& result) {
            deliver(generation, answer, result);
        };
        auto* thread = new ProbeThread(m_mainThread, m_internet, request->url, std::move(onAnswer));
        request = m_waiting.erase(request);
        m_running.emplace_back(thread);
        thread->resume();
    }
}

void ThreadedProbeRunner::deliver(std::uint64_t generation, const Answer& answer, const ProbeResult& result)
{
    if (generation == m_generation)
        answer(result);
    startWaiting();
}

void ThreadedProbeRunner::releaseEnded()
{
    // An answering thread still waits in its hand-over: it is released at a later turn.
    // Ended ones leave the list first: releasing one runs waiting hand-overs, which may
    // come back here.
    std::vector<ThreadPtr> ended;
    for (auto thread = m_running.begin(); thread != m_running.end();) {
        if ((*thread)->finished()) {
            ended.push_back(std::move(*thread));
            thread = m_running.erase(thread);
        } else {
            ++thread;
        }
    }
}

} // namespace zv

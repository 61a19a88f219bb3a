#include "transfer/ThreadedProbeRunner.h"

#include "platform/Interrupter.h"
#include "transfer/Probe.h"

#include <algorithm>

namespace zv {

// One probe; its answer is handed to the main thread, where the runner gives it on.
class ThreadedProbeRunner::ProbeThread final : public ThreadBase {
public:
    ProbeThread(HandOverQueue& mainThread, InternetSessionFactory& internet, std::string url,
                std::function<void(std::uint64_t)> onAnswer)
        : ThreadBase(mainThread), m_internet(internet), m_url(std::move(url)), m_onAnswer(std::move(onAnswer))
    {
    }
    ~ProbeThread() override { stopAndWait(); }

    bool answered() const { return m_answered.load(); }

protected:
    void execute() override
    {
        const std::uint64_t bytes = Probe::bytesAvailable(m_internet, m_url, &m_interrupter);
        synchronize([this, bytes] {
            // Its place is free for the next probe while the answer runs.
            m_answered = true;
            m_onAnswer(bytes);
        });
    }
    void onTerminateRequested() override { m_interrupter.interrupt(); }

private:
    InternetSessionFactory& m_internet;
    const std::string m_url;
    const std::function<void(std::uint64_t)> m_onAnswer;
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

std::size_t ThreadedProbeRunner::inFlight() const
{
    return static_cast<std::size_t>(std::count_if(m_running.begin(), m_running.end(), [](const ThreadPtr& thread) {
        return !static_cast<const ProbeThread&>(*thread).answered() && !thread->finished();
    }));
}

void ThreadedProbeRunner::startWaiting()
{
    releaseEnded();
    while (!m_waiting.empty() && static_cast<int>(inFlight()) < m_maxInFlight) {
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        auto onAnswer = [this, generation = m_generation, answer = std::move(request.answer)](std::uint64_t bytes) {
            deliver(generation, answer, bytes);
        };
        m_running.emplace_back(new ProbeThread(m_mainThread, m_internet, request.url, std::move(onAnswer)));
        m_running.back()->resume();
    }
}

void ThreadedProbeRunner::deliver(std::uint64_t generation, const Answer& answer, std::uint64_t bytes)
{
    if (generation == m_generation)
        answer(bytes);
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

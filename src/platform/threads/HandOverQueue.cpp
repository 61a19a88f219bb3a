#include "platform/threads/HandOverQueue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

namespace zv {

namespace {

struct Item {
    std::function<void()> procedure;
    // The worker waits on its item alone: finishing a report wakes no other worker, and the
    // main thread takes the queue's mutex once per drain, not twice per report (with 254
    // workers, a worker preempted while holding it stalls the main thread).
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool released = false; // the queue was shut down first
};

void finish(const std::shared_ptr<Item>& item)
{
    {
        std::lock_guard lock(item->mutex);
        item->done = true;
    }
    item->finished.notify_one();
}

} // namespace

// Shared by the queue and the handles of its workers.
struct HandOverQueue::State {
    bool runOnMain(std::function<void()> procedure);
    int drain();
    bool waitUntil(const std::function<bool()>& done, std::optional<Deadline> deadline);
    void notify();
    void shutDown();
    bool isMainThread() const { return std::this_thread::get_id() == mainThread; }

    std::shared_ptr<Item> takeNext();

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Item>> items;
    std::unordered_set<Item*> waiting; // workers still waiting for their procedure
    std::function<void()> wakeUp;
    std::atomic<bool> isShutDown{false}; // written under mutex; read without it by drain
    const std::thread::id mainThread = std::this_thread::get_id();
};

bool HandOverQueue::State::runOnMain(std::function<void()> procedure)
{
    if (isMainThread()) {
        if (isShutDown)
            return false;
        procedure();
        return true;
    }
    auto item = std::make_shared<Item>();
    item->procedure = std::move(procedure);
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex);
        if (isShutDown)
            return false;
        items.push_back(item);
        waiting.insert(item.get());
        wake = wakeUp;
    }
    changed.notify_all(); // the main thread in waitUntil
    if (wake)
        wake();
    bool done = false;
    {
        std::unique_lock lock(item->mutex);
        item->finished.wait(lock, [&] { return item->done || item->released; });
        done = item->done;
    }
    std::lock_guard lock(mutex);
    waiting.erase(item.get());
    return done;
}

std::shared_ptr<Item> HandOverQueue::State::takeNext()
{
    if (isShutDown || items.empty())
        return nullptr;
    auto item = items.front();
    items.pop_front();
    return item;
}

int HandOverQueue::State::drain()
{
    // Only what is queued now: released workers report again at once, and the event loop
    // must get its turn between their rounds.
    std::deque<std::shared_ptr<Item>> batch;
    {
        std::lock_guard lock(mutex);
        if (isShutDown)
            return 0;
        batch.swap(items);
    }
    int count = 0;
    for (const std::shared_ptr<Item>& item : batch) {
        if (isShutDown) // a report shut the queue down: shutDown released the rest
            break;
        item->procedure();
        finish(item);
        ++count;
    }
    return count;
}

bool HandOverQueue::State::waitUntil(const std::function<bool()>& done, std::optional<Deadline> deadline)
{
    while (true) {
        std::shared_ptr<Item> item;
        {
            std::unique_lock lock(mutex);
            if (!deadline) {
                changed.wait(lock, [&] { return isShutDown || !items.empty() || done(); });
            } else if (!changed.wait_until(lock, *deadline, [&] { return !items.empty() || done(); })) {
                return false;
            }
            item = takeNext();
            if (!item)
                return done();
        }
        item->procedure();
        finish(item);
    }
}

void HandOverQueue::State::notify()
{
    { std::lock_guard lock(mutex); }
    changed.notify_all();
}

void HandOverQueue::State::shutDown()
{
    {
        std::lock_guard lock(mutex);
        isShutDown = true;
        items.clear();
        for (Item* item : waiting) {
            {
                std::lock_guard itemLock(item->mutex);
                item->released = true;
            }
            item->finished.notify_one();
        }
    }
    changed.notify_all();
}

bool HandOverQueue::Handle::runOnMain(std::function<void()> procedure) const
{
    return m_state->runOnMain(std::move(procedure));
}

void HandOverQueue::Handle::notify() const
{
    m_state->notify();
}

void HandOverQueue::Handle::waitUntil(const std::function<bool()>& done) const
{
    m_state->waitUntil(done, std::nullopt);
}

bool HandOverQueue::Handle::waitUntil(const std::function<bool()>& done, Deadline deadline) const
{
    return m_state->waitUntil(done, deadline);
}

HandOverQueue::HandOverQueue() : m_state(std::make_shared<State>()) {}

HandOverQueue::~HandOverQueue()
{
    shutDown();
}

bool HandOverQueue::runOnMain(std::function<void()> procedure)
{
    return m_state->runOnMain(std::move(procedure));
}

int HandOverQueue::drain()
{
    return m_state->drain();
}

void HandOverQueue::waitUntil(const std::function<bool()>& done)
{
    m_state->waitUntil(done, std::nullopt);
}

bool HandOverQueue::waitUntil(const std::function<bool()>& done, Deadline deadline)
{
    return m_state->waitUntil(done, deadline);
}

void HandOverQueue::notify()
{
    m_state->notify();
}

void HandOverQueue::setWakeUp(std::function<void()> wakeUp)
{
    std::lock_guard lock(m_state->mutex);
    m_state->wakeUp = std::move(wakeUp);
}

void HandOverQueue::shutDown()
{
    m_state->shutDown();
}

bool HandOverQueue::isShutDown() const
{
    return m_state->isShutDown;
}

bool HandOverQueue::isMainThread() const
{
    return m_state->isMainThread();
}

} // namespace zv

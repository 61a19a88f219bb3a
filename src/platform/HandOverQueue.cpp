#include "platform/HandOverQueue.h"


namespace zv {

struct HandOverQueue::Item {
    std::function<void()> procedure;
    // The worker waits on its item alone: finishing a report wakes no other worker, and the
    // main thread takes the queue's mutex once per drain, not twice per report (with 254
    // workers, a worker preempted while holding it stalls the main thread).
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool released = false; // the queue was shut down first
};

HandOverQueue::HandOverQueue() : m_mainThread(std::this_thread::get_id()) {}

HandOverQueue::~HandOverQueue()
{
    shutDown();
}

bool HandOverQueue::runOnMain(std::function<void()> procedure)
{
    if (isMainThread()) {
        if (isShutDown())
            return false;
        procedure();
        return true;
    }
    auto item = std::make_shared<Item>();
    item->procedure = std::move(procedure);
    std::function<void()> wakeUp;
    {
        std::lock_guard lock(m_mutex);
        if (m_shutDown)
            return false;
        m_items.push_back(item);
        m_waiting.insert(item.get());
        wakeUp = m_wakeUp;
    }
    m_changed.notify_all(); // the main thread in waitUntil
    if (wakeUp)
        wakeUp();
    bool done = false;
    {
        std::unique_lock lock(item->mutex);
        item->finished.wait(lock, [&] { return item->done || item->released; });
        done = item->done;
    }
    std::lock_guard lock(m_mutex);
    m_waiting.erase(item.get());
    return done;
}

std::shared_ptr<HandOverQueue::Item> HandOverQueue::takeNext()
{
    if (m_shutDown || m_items.empty())
        return nullptr;
    auto item = m_items.front();
    m_items.pop_front();
    return item;
}

void HandOverQueue::finish(const std::shared_ptr<Item>& item)
{
    {
        std::lock_guard lock(item->mutex);
        item->done = true;
    }
    item->finished.notify_one();
}

int HandOverQueue::drain()
{
    // Only what is queued now: released workers report again at once, and the event loop
    // must get its turn between their rounds.
    std::deque<std::shared_ptr<Item>> batch;
    {
        std::lock_guard lock(m_mutex);
        if (m_shutDown)
            return 0;
        batch.swap(m_items);
    }
    int count = 0;
    for (const std::shared_ptr<Item>& item : batch) {
        if (m_shutDown) // a report shut the queue down: shutDown released the rest
            break;
        item->procedure();
        finish(item);
        ++count;
    }
    return count;
}

void HandOverQueue::waitUntil(const std::function<bool()>& done)
{
    while (true) {
        std::shared_ptr<Item> item;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_shutDown || !m_items.empty() || done(); });
            item = takeNext();
            if (!item)
                return;
        }
        item->procedure();
        finish(item);
    }
}

void HandOverQueue::notify()
{
    { std::lock_guard lock(m_mutex); }
    m_changed.notify_all();
}

void HandOverQueue::setWakeUp(std::function<void()> wakeUp)
{
    std::lock_guard lock(m_mutex);
    m_wakeUp = std::move(wakeUp);
}

void HandOverQueue::shutDown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        m_items.clear();
        for (Item* item : m_waiting) {
            {
                std::lock_guard itemLock(item->mutex);
                item->released = true;
            }
            item->finished.notify_one();
        }
    }
    m_changed.notify_all();
}

bool HandOverQueue::isShutDown() const
{
    return m_shutDown;
}

bool HandOverQueue::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

} // namespace zv

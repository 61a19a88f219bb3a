#include "platform/HandOverQueue.h"


namespace zv {

struct HandOverQueue::Item {
    std::function<void()> procedure;
    bool done = false;
    // Only the worker that handed the procedure over waits here: finishing one report must
    // not wake every other waiting worker (with 254 of them, the main thread then fights
    // them all for the mutex on every report).
    std::condition_variable finished;
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
    std::unique_lock lock(m_mutex);
    item->finished.wait(lock, [&] { return item->done || m_shutDown; });
    m_waiting.erase(item.get());
    return item->done;
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
        std::lock_guard lock(m_mutex);
        item->done = true;
    }
    item->finished.notify_one();
}

int HandOverQueue::drain()
{
    // Only what is queued now: released workers report again at once, and the event loop
    // must get its turn between their rounds.
    std::size_t queued = 0;
    {
        std::lock_guard lock(m_mutex);
        queued = m_items.size();
    }
    int count = 0;
    for (; static_cast<std::size_t>(count) < queued; ++count) {
        std::shared_ptr<Item> item;
        {
            std::lock_guard lock(m_mutex);
            item = takeNext();
        }
        if (!item)
            break;
        item->procedure();
        finish(item);
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
        for (Item* item : m_waiting)
            item->finished.notify_one();
    }
    m_changed.notify_all();
}

bool HandOverQueue::isShutDown() const
{
    std::lock_guard lock(m_mutex);
    return m_shutDown;
}

bool HandOverQueue::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

} // namespace zv

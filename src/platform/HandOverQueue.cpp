#include "platform/HandOverQueue.h"


namespace zv {

struct HandOverQueue::Item {
    std::function<void()> procedure;
    bool done = false;
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
        wakeUp = m_wakeUp;
    }
    m_changed.notify_all();
    if (wakeUp)
        wakeUp();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return item->done || m_shutDown; });
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
    m_changed.notify_all();
}

int HandOverQueue::drain()
{
    int count = 0;
    while (true) {
        std::shared_ptr<Item> item;
        {
            std::lock_guard lock(m_mutex);
            item = takeNext();
        }
        if (!item)
            return count;
        item->procedure();
        finish(item);
        ++count;
    }
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

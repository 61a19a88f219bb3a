#include "tasks/WorkerSlots.h"

namespace zv {

WorkerSlots::WorkerSlots(std::chrono::milliseconds stopLimit) : m_stopLimit(stopLimit) {}

WorkerSlots::~WorkerSlots()
{
    destroyAll();
}

ThreadBase* WorkerSlots::at(int row) const
{
    m_owner.check();
    return valid(row) ? m_slots[static_cast<std::size_t>(row)].get() : nullptr;
}

bool WorkerSlots::isEnding(int row) const
{
    m_owner.check();
    if (!valid(row))
        return false;
    const auto& fate = m_abandoned[static_cast<std::size_t>(row)];
    return fate && !fate->ended;
}

void WorkerSlots::put(int row, ThreadPtr worker)
{
    m_owner.check();
    if (!valid(row))
        return;
    destroy(row);
    m_slots[static_cast<std::size_t>(row)] = std::move(worker);
}

void WorkerSlots::destroy(int row)
{
    m_owner.check();
    if (!valid(row))
        return;
    // Move out first: the worker's last reports run during the wait and may look at slots.
    ThreadPtr worker = std::move(m_slots[static_cast<std::size_t>(row)]);
    if (!worker)
        return;
    std::shared_ptr<const ThreadFate> fate = worker->fate();
    ThreadDestroyer{m_stopLimit}(worker.release());
    if (fate->abandoned)
        m_abandoned[static_cast<std::size_t>(row)] = std::move(fate);
}

void WorkerSlots::terminateAll()
{
    m_owner.check();
    for (const ThreadPtr& worker : m_slots) {
        if (worker)
            worker->terminate();
    }
}

void WorkerSlots::destroyAll()
{
    m_owner.check();
    terminateAll();
    for (int row = 1; row <= SlotCount; ++row)
        destroy(row);
}

} // namespace zv

#include "tasks/WorkerSlots.h"

namespace zv {

WorkerSlots::WorkerSlots(std::chrono::milliseconds stopLimit) : m_stopLimit(stopLimit) {}

WorkerSlots::~WorkerSlots()
{
    destroyAll();
}

ThreadBase* WorkerSlots::at(TaskId task) const
{
    m_owner.check();
    const auto slot = m_slots.find(task);
    return slot == m_slots.end() ? nullptr : slot->second.get();
}

bool WorkerSlots::isEnding(TaskId task) const
{
    m_owner.check();
    const auto fate = m_abandoned.find(task);
    return fate != m_abandoned.end() && !fate->second->ended;
}

void WorkerSlots::put(TaskId task, ThreadPtr worker)
{
    m_owner.check();
    if (task == TaskId::None)
        return;
    destroy(task);
    m_slots[task] = std::move(worker);
}

void WorkerSlots::destroy(TaskId task)
{
    m_owner.check();
    const auto slot = m_slots.find(task);
    if (slot == m_slots.end())
        return;
    // Out of the map first: the worker's last reports run during the wait and may look at slots.
    ThreadPtr worker = std::move(slot->second);
    m_slots.erase(slot);
    if (!worker)
        return;
    std::shared_ptr<const ThreadFate> fate = worker->fate();
    ThreadDestroyer{m_stopLimit}(worker.release());
    if (fate->abandoned)
        m_abandoned[task] = std::move(fate);
    // The fates of ended workers are of no use any more.
    std::erase_if(m_abandoned, [](const auto& entry) { return entry.second->ended.load(); });
}

void WorkerSlots::terminateAll()
{
    m_owner.check();
    for (const auto& [task, worker] : m_slots) {
        if (worker)
            worker->terminate();
    }
}

void WorkerSlots::destroyAll()
{
    m_owner.check();
    terminateAll();
    while (!m_slots.empty())
        destroy(m_slots.begin()->first);
}

} // namespace zv

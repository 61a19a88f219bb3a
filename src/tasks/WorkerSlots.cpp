#include "tasks/WorkerSlots.h"

namespace zv {

ThreadBase* WorkerSlots::at(int row) const
{
    return valid(row) ? m_slots[static_cast<std::size_t>(row)].get() : nullptr;
}

void WorkerSlots::put(int row, ThreadPtr worker)
{
    if (valid(row))
        m_slots[static_cast<std::size_t>(row)] = std::move(worker);
}

void WorkerSlots::destroy(int row)
{
    if (!valid(row))
        return;
    // Move out first: the worker's last reports run during the wait and may look at slots.
    ThreadPtr worker = std::move(m_slots[static_cast<std::size_t>(row)]);
    worker.reset();
}

void WorkerSlots::destroyAll()
{
    for (int row = 1; row <= SlotCount; ++row)
        destroy(row);
}

} // namespace zv

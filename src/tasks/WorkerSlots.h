#pragma once

#include "platform/ThreadBase.h"

#include <array>

namespace zv {

// One worker per task row number 1 to 255. Whether a row counts as running is told by
// its Process cell, not by its slot.
class WorkerSlots {
public:
    static constexpr int SlotCount = 255;

    // The worker in the row's slot, or null (also for row numbers outside 1 to 255).
    ThreadBase* at(int row) const;
    bool isEmpty(int row) const { return at(row) == nullptr; }

    // Puts worker into the row's slot, destroying what the slot held.
    void put(int row, ThreadPtr worker);
    // Destroys the row's worker (terminate, wait while servicing its reports) and empties
    // the slot; an empty slot is left alone.
    void destroy(int row);
    // Destroys every worker, in ascending row order.
    void destroyAll();

private:
    static bool valid(int row) { return row >= 1 && row <= SlotCount; }

    std::array<ThreadPtr, SlotCount + 1> m_slots; // index 0 unused
};

} // namespace zv

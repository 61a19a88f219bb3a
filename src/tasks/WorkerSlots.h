#pragma once

#include "platform/threads/OwnerThread.h"
#include "platform/threads/ThreadBase.h"

#include <array>
#include <chrono>
#include <memory>

namespace zv {

// One worker per task row number 1 to 255. Whether a row counts as running is told by
// its Process cell, not by its slot.
// Only the thread that made it touches it (checked in debug builds).
class WorkerSlots {
public:
    static constexpr int SlotCount = 255;

    // stopLimit: how long a destroy waits after the terminate request before it abandons a
    // worker blocked where no interrupt reaches, so that no stop freezes the window.
    explicit WorkerSlots(std::chrono::milliseconds stopLimit = ThreadBase::DefaultStopLimit);
    ~WorkerSlots();

    WorkerSlots(const WorkerSlots&) = delete;
    WorkerSlots& operator=(const WorkerSlots&) = delete;

    // The worker in the row's slot, or null (also for row numbers outside 1 to 255).
    ThreadBase* at(int row) const;
    bool isEmpty(int row) const { return at(row) == nullptr; }
    // An abandoned worker of this row has not ended yet: nothing may start the row, or two
    // writers would share its file.
    bool isEnding(int row) const;

    // Puts worker into the row's slot, destroying what the slot held.
    void put(int row, ThreadPtr worker);
    // Destroys the row's worker (terminate, wait while servicing its reports, abandon it
    // after the stop limit) and empties the slot; an empty slot is left alone.
    void destroy(int row);
    // Asks every worker to end at once, so that their stop limits run together.
    void terminateAll();
    // Destroys every worker, in ascending row order, all terminated first.
    void destroyAll();

private:
    static bool valid(int row) { return row >= 1 && row <= SlotCount; }

    std::chrono::milliseconds m_stopLimit;
    std::array<ThreadPtr, SlotCount + 1> m_slots; // index 0 unused
    std::array<std::shared_ptr<const ThreadFate>, SlotCount + 1> m_abandoned;
    [[no_unique_address]] OwnerThread m_owner;
};

} // namespace zv

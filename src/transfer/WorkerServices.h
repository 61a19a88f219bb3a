#pragma once

#include <functional>

namespace zv {

class Clock;
class FormatSettings;
class HandOverQueue;
class InternetSessionFactory;
class TaskTable;

// What a transfer worker reaches: the network, and (from its main-thread reports only)
// the table, the formats, the clock and the done sound.
struct WorkerServices {
    HandOverQueue& mainThread;
    InternetSessionFactory& internet;
    TaskTable& table;
    const FormatSettings& formats;
    const Clock& clock;
    std::function<void()> playDoneSound;
};

} // namespace zv

#pragma once

#include "transfer/WorkerServices.h"

#include <functional>

namespace zv {

class Dialogs;
class ProbeRunner;
class ProgressBoard;
class ScheduleBackoff;
class WorkerSlots;

// What starting, stopping and cancelling tasks reaches; the main window passes it in.
struct TransferServices {
    WorkerServices worker;
    WorkerSlots& workerSlots;
    Dialogs& dialogs;
    ProbeRunner& probes;
    // The refresh-speed setting's selected item (-1 for none), read at every start.
    std::function<int()> refreshSpeedItem;
    // Learns of every worker started, for the progress the window shows; none in some tests.
    ProgressBoard* progress = nullptr;
    // Holds back the schedule's starts of tasks whose last start failed; none in some tests.
    ScheduleBackoff* scheduleBackoff = nullptr;
};

} // namespace zv

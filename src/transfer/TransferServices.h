#pragma once

#include "transfer/WorkerServices.h"

#include <functional>

namespace zv {

class Deferrer;
class Dialogs;
class ProbeRunner;
class ProgressBoard;
class RunQueue;
class ScheduleBackoff;
class TaskListener;
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
    // Times the retries of a probe that failed for a passing reason (under worker.retries),
    // on the main thread; without it every failed probe ends its start at once. It also holds
    // back the question a run's end raises until the run's last report is done; without it
    // no such question is asked.
    Deferrer* deferrer = nullptr;
    // A start ended for good at its probe: the task's name and why, in plain words.
    std::function<void(const std::string& name, const std::string& reason)> startFailed = {};
    // Told when a run starts and when it ends, and when a command changes a task; none in
    // some tests.
    TaskListener* events = nullptr;
    // Where starts wait under the cap on running downloads; without it there is no cap.
    RunQueue* queue = nullptr;
};

} // namespace zv

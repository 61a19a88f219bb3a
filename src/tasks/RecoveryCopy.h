#pragma once

#include <memory>
#include <string>

namespace zv {

class Deferrer;
class Dialogs;
struct TableChange;
class TaskTable;

// A copy of the task table, in the list file format, kept beside the default list file
// while the program runs, so that a crash or power cut costs at most about a second of the
// user's changes. Each change of a task row schedules one atomic write of the whole table;
// progress alone (a new "Size loaded", the same text written again) schedules none, but
// the next write carries it. A normal close removes the copy after the list was saved, so
// a copy found at start-up means the last run ended abnormally.
// Make it after the list was loaded at start-up: loading is no change of the user's.
class RecoveryCopy {
public:
    static constexpr const char* Suffix = ".recover";
    // Changes within this time after the first one go into the same write.
    static constexpr int WriteDelayMs = 1000;
    // A failed write is tried again after this time, if no change has asked first.
    static constexpr int RetryDelayMs = 5000;
    // Shown once at start-up, after the table was loaded from a copy.
    static constexpr const char* RestoredText =
        "Zare Vantrel was not closed normally last time. The task list has been restored"
        " as it stood just before.";

    RecoveryCopy(TaskTable& table, Dialogs& dialogs, Deferrer& deferrer, std::string file);
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // "<default list file>.recover".
    static std::string fileFor(const std::string& defaultListFile);
    static bool exists(const std::string& file);

    const std::string& file() const { return m_file; }
    // Whether a change waits to be written.
    bool isPending() const { return m_pending; }
    // Writes a waiting change at once.
    void flushNow();
    // Deletes the copy and writes no more: the list has been saved and the program ends.
    void removeAfterNormalClose();

private:
    void onChange(const TableChange& change);
    void schedule(int milliseconds);
    void fired();
    void write();

    TaskTable& m_table;
    Dialogs& m_dialogs;
    Deferrer& m_deferrer;
    const std::string m_file;
    int m_listenerId = 0;
    bool m_pending = false;
    bool m_scheduled = false;
    bool m_failureReported = false;
    bool m_closed = false;
    // Calls the deferrer still holds find out through it that the copy is gone.
    std::shared_ptr<RecoveryCopy*> m_self;
};

} // namespace zv

#pragma once

#include <functional>
#include <memory>
#include <optional>
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
// the next write carries it. After the cells the copy records which list file was current,
// so that a restored table goes back where it would have been saved. At the close the copy
// is brought up to date before the list is written and removed after, so a copy found at
// start-up means the last run ended abnormally, and holds the table as it last stood.
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

    // The line after the cells: this prefix, then the absolute path of the current list file.
    static constexpr const char* RecordPrefix = "List file: ";

    // currentListFile gives the list file the table would be saved to now.
    RecoveryCopy(TaskTable& table, Dialogs& dialogs, Deferrer& deferrer, std::string file,
                 std::function<std::string()> currentListFile);
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // "<default list file>.recover".
    static std::string fileFor(const std::string& defaultListFile);
    static bool exists(const std::string& file);
    // The record of a list file; empty when its name cannot be kept on one line.
    static std::string recordFor(const std::string& listFile);
    // The list file a copy's line after the cells records, if it is a readable record.
    static std::optional<std::string> recordedListFile(const std::optional<std::string>& line);

    const std::string& file() const { return m_file; }
    // Whether a change waits to be written.
    bool isPending() const { return m_pending; }
    // Writes a waiting change at once.
    void flushNow();
    // A change the table does not show (another current list file) to be written too.
    void markChanged();
    // Writes the table now, without a box; the failure's text, if any.
    std::optional<std::string> bringUpToDate();
    // Deletes the copy and writes no more: the list has been saved and the program ends.
    void removeAfterNormalClose();

private:
    void onChange(const TableChange& change);
    void schedule(int milliseconds);
    void fired();
    void write();
    // Throws InOutError.
    void writeTable();

    TaskTable& m_table;
    Dialogs& m_dialogs;
    Deferrer& m_deferrer;
    const std::string m_file;
    const std::function<std::string()> m_currentListFile;
    int m_listenerId = 0;
    bool m_pending = false;
    bool m_scheduled = false;
    bool m_failureReported = false;
    bool m_closed = false;
    // Calls the deferrer still holds find out through it that the copy is gone.
    std::shared_ptr<RecoveryCopy*> m_self;
};

} // namespace zv

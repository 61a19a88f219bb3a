#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zv {

class Deferrer;
class DesktopNotifier;

// Tells the desktop which downloads have completed, gathered into batches so that "Start all"
// over many small files gives a few notifications, never one per file: a batch is told once
// QuietMs pass without another completion, and at the latest LongestWaitMs after its first.
// Failures (a run that ended stopped on its own, a start that ended at its probe) are gathered
// the same way into notices of their own. Completions and failures still waiting when the
// notices go are dropped. Main thread only.
class DoneNotices {
public:
    static constexpr int QuietMs = 2000;
    static constexpr int LongestWaitMs = 10000;
    // A batch of more lists the first NamesListed - 1 and how many more there are.
    static constexpr std::size_t NamesListed = 4;

    DoneNotices(DesktopNotifier& notifier, Deferrer& deferrer);
    DoneNotices(const DoneNotices&) = delete;
    DoneNotices& operator=(const DoneNotices&) = delete;

    // A download has completed; destinationFile is the path of the file it wrote.
    void completed(const std::string& destinationFile);
    // A download failed for good; name is the task's file name, reason in plain words.
    void failed(const std::string& name, const std::string& reason);

private:
    enum Kind { Completions, Failures };
    struct Batch {
        std::vector<std::string> items; // files or failures, in the order they came
        unsigned told = 0;              // how many batches were told
    };

    void add(Kind kind, std::string item);
    void callAfter(int milliseconds, std::function<void(DoneNotices&)> call);
    void tellIfStill(Kind kind, unsigned batch);

    DesktopNotifier& m_notifier;
    Deferrer& m_deferrer;
    std::array<Batch, 2> m_batches; // by Kind
    // Calls the deferrer still holds find out through it that the notices are gone.
    std::shared_ptr<DoneNotices*> m_self;
};

} // namespace zv

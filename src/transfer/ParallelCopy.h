#pragma once

#include "platform/services/FailureReason.h"
#include "platform/services/UrlStream.h"
#include "platform/threads/Interrupter.h"
#include "transfer/ConnectionPace.h"
#include "transfer/PiecePlan.h"
#include "transfer/ServerBudget.h"
#include "transfer/WorkerServices.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zv {

class InternetSession;
class OutputFile;
class Retries;

// Copies what the piece plan leaves of one file over several connections at once, each writing
// the ranges the plan gives it at their own offsets in the destination. The first connection
// goes on with the answer the run already has; the others ask for parts of the same version
// (If-Range) on sessions of their own. A connection whose server answers anything but its part
// ends, gives its range back and lowers the download's count; it never fails the download and
// never writes a byte elsewhere. run() watches the connections on the calling thread until
// every byte is written, a stop, a failure of the file, another version, or no connection left.
class ParallelCopy {
public:
    // How often the connections are watched: a stop, an end and a free range are seen this soon.
    static constexpr std::chrono::milliseconds Watch{100};
    // The progress file is kept at most this often while the copy runs.
    static constexpr std::chrono::seconds MapEvery{2};
    // Bytes asked of an answer at once: its blocks as the transfer delivers them.
    static constexpr std::size_t BlockSize = 16 * 1024;

    enum class End {
        Whole,             // every byte of the file is written
        Stopped,           // the worker's stop
        FileFailed,        // a write to the file failed
        OtherVersion,      // a connection found another version of the resource (ChangedFile)
        ConnectionsFailed, // no connection is left and bytes are missing: failure says why
    };
    struct Result {
        End end = End::Whole;
        FailureReason failure;
    };

    struct Setup {
        std::string url;
        std::string agent;
        KnownFile version;   // the total and validator every part must have
        int connections = 1; // wanted, the first included
    };
    // Called on run()'s thread.
    struct Watchers {
        // After every watch, with the connections delivering now.
        std::function<void(int connections)> progress;
        // At most every MapEvery and once at the end: the plan's map is to be kept.
        std::function<void()> keepMap;
    };

    // stop: the worker's; it reaches every connection. file: open for positioned writes.
    ParallelCopy(const WorkerServices& services, Interrupter& stop, OutputFile& file, PiecePlan& plan, Setup setup,
                 Watchers watchers);
    ~ParallelCopy();
    ParallelCopy(const ParallelCopy&) = delete;
    ParallelCopy& operator=(const ParallelCopy&) = delete;

    // first delivers the plan's range that FirstConnection took, from its begin; it is read on
    // another thread until run() returns. Returns once every connection has ended.
    Result run(UrlStream& first, PiecePlan::Range firstRange);

    static constexpr ConnectionId FirstConnection{0};

private:
    struct Connection {
        ConnectionId id{};
        std::unique_ptr<ServerBudget::Lease> lease;
        Interrupter interrupter;      // its own stop: its requests and its waits
        UrlStream* first = nullptr;   // the run's answer, for the first connection
        PiecePlan::Range firstRange;
        bool cut = false;             // its range was cut short for a faster one (watcher only)
        std::atomic<bool> answered{false}; // its server sent the part it asked for
        std::atomic<bool> ended{false};
        FailureReason failure;        // why it ended, when it failed; read once ended
        std::thread thread;
    };
    // How one answer ended.
    enum class AnswerEnd { RangeDone, Stopped, FileFailed, Broken };

    void start(UrlStream* first, PiecePlan::Range firstRange, std::unique_ptr<ServerBudget::Lease> lease);
    // A connection's thread: it delivers, then gives back what it did not write.
    void serve(Connection& connection);
    // Why the connection ended: None when it ran out of work or was stopped.
    FailureReason deliver(Connection& connection);
    // The next answer for the connection, from the range it takes; null when there is no work,
    // or it must end (failure set).
    std::unique_ptr<UrlStream> openNext(Connection& connection, InternetSession& session, Retries& retries,
                                        std::uint64_t& at, FailureReason& failure);
    // The server said it is busy: fewer connections to it, none new before its wait.
    void serverBusy(const FailureReason& failure);
    void fewer();
    // A failed request or answer: whether the connection asks again (after its retry wait).
    bool retriesAfter(Connection& connection, Retries& retries, const FailureReason& failure);
    AnswerEnd copyAnswer(Connection& connection, UrlStream& answer, std::uint64_t at, bool extendable,
                         std::uint64_t& bytes, FailureReason& broken);
    bool stopping(const Connection& connection) const;
    // Whether the run's own answer, at the end of its range, goes on: into free bytes, or into
    // those of a connection whose server has not yet sent its part (and may refuse it).
    bool goesOn(Connection& connection, std::uint64_t at);
    bool answered(ConnectionId connection) const;

    // The watcher's steps.
    std::optional<End> endNow();
    void reap();
    void judgePace();
    void startMore();
    // The place for one more connection now, with a lease of the budget or (the download's own
    // connection, when none delivers) without; nullopt when none is to start.
    std::optional<std::unique_ptr<ServerBudget::Lease>> nextPlace();
    // Connections not ended and not cut short; with m_mutex held.
    int delivering() const;
    void finish(End end);
    void interruptAll();
    void notify();

    const WorkerServices& m_services;
    Interrupter& m_stop;
    OutputFile& m_file;
    PiecePlan& m_plan;
    const Setup m_setup;
    const Watchers m_watchers;
    const std::string m_server;
    ConnectionPace m_pace;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_connectionEnded = false;
    std::list<std::unique_ptr<Connection>> m_connections;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_fileFailed{false};
    std::atomic<bool> m_otherVersion{false};
    std::atomic<int> m_wanted;
    // No new connection before this (steady clock ticks): the server asked to wait.
    std::atomic<std::chrono::steady_clock::rep> m_notBefore{0};
    FailureReason m_lastFailure; // of the last connection that ended failing (watcher only)
    bool m_noneLeft = false;     // the last connection ended failing (watcher only)
    std::uint32_t m_nextId = 0;
    // Last, so that it ends first: a stop then no longer reaches a connection being destroyed.
    Interrupter::Subscription m_stopping;
};

} // namespace zv

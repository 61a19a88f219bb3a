#pragma once

#include "platform/threads/Interrupter.h"
#include "platform/threads/ThreadBase.h"
#include "transfer/WorkerServices.h"

#include <cstdint>
#include <string>

namespace zv {

class InternetSession;
class OutputFile;
class UrlStream;

// Copies one URL into one local file on a thread of its own and reports into its task's
// row through the main thread. The fields are set before resume() and not touched after.
class TfileThread final : public ThreadBase {
public:
    static constexpr const char* Agent = "Zare Vantrel";
    static constexpr std::size_t BlockSize = 1024;

    explicit TfileThread(WorkerServices services);
    ~TfileThread() override;

    std::string Url;
    std::string DestFile;
    std::uint8_t CreateNew = 1; // 1: create afresh; 0: append to the partial file
    std::uint8_t Row = 0;
    std::uint64_t Loaded = 0;
    std::uint32_t RefreshEvery = 1000; // reads between two progress reports

    // The reports; they run on the main thread while the worker waits.
    void ShowProgress();
    void ShowDone();
    void ShowStopped();

protected:
    void execute() override;
    void onTerminateRequested() override;

private:
    bool transfer(InternetSession& session);
    bool resumeDownload(InternetSession& session, OutputFile& file);
    bool createDestination(OutputFile& file);
    bool copyFrom(UrlStream& stream, OutputFile& file);
    void report(void (TfileThread::*show)());

    WorkerServices m_services;
    Interrupter m_interrupter;
    std::uint64_t m_reads = 0;
    bool m_createdFile = false;
    bool m_lostFile = false; // its path no longer named the file written when the body ended
};

} // namespace zv

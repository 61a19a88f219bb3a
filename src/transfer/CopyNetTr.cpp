#include "transfer/CopyNetTr.h"

#include "platform/services/Clock.h"
#include "platform/text/FormatSettings.h"
#include "platform/services/InternetSession.h"
#include "platform/services/InternetSessionFactory.h"
#include "platform/files/OutputFile.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

TfileThread::TfileThread(WorkerServices services)
    : ThreadBase(services.mainThread), m_services(std::move(services))
{
}

TfileThread::~TfileThread()
{
    stopAndWait();
}

void TfileThread::onTerminateRequested()
{
    // Breaks a read that waits on a silent server.
    m_interrupter.interrupt();
}

void TfileThread::execute()
{
    Loaded = 0;
    m_reads = 0;
    m_createdFile = false;
    m_lostFile = false;
    bool completed = false;
    try {
        if (auto session = m_services.internet.openSession(Agent, SessionUse::Download, &m_interrupter))
            completed = transfer(*session);
    } catch (...) {
        // Out of memory or a library's exception: the run ends as stopped, its reports still made.
    }
    report(&TfileThread::ShowProgress);
    report(completed ? &TfileThread::ShowDone : &TfileThread::ShowStopped);
}

// Whether the whole resource arrived cleanly and is on disk.
bool TfileThread::transfer(InternetSession& session)
{
    const std::unique_ptr<OutputFile> destination =
        m_services.makeOutputFile ? m_services.makeOutputFile() : std::make_unique<OutputFile>();
    OutputFile& file = *destination;
    if (!CreateNew) {
        const auto opened = file.openAtEnd(DestFile);
        if (opened == OutputFile::OpenResult::Opened)
            return resumeDownload(session, file);
        if (opened == OutputFile::OpenResult::Failed)
            return false;
        // The partial file is gone: start afresh.
    }
    const auto stream = session.openUrl(Url);
    return stream && createDestination(file) && copyFrom(*stream, file);
}

// The partial file is open at its end; one range request goes on from there.
bool TfileThread::resumeDownload(InternetSession& session, OutputFile& file)
{
    Loaded = file.sizeAtOpen();
    const auto resumed = session.resumeUrl(Url, Loaded);
    switch (resumed.position) {
    case SeekResult::Failed:
        // Never append bytes from another offset; the partial file stays as it is.
        return false;
    case SeekResult::AlreadyWhole:
        return file.close() && !terminated();
    case SeekResult::StartsAfresh:
        // The server holds another resource than the partial file's: it is replaced.
        Loaded = 0;
        if (!createDestination(file))
            return false;
        break;
    case SeekResult::Continues:
    case SeekResult::Skipped:
        break;
    }
    return copyFrom(*resumed.stream, file);
}

bool TfileThread::createDestination(OutputFile& file)
{
    // An abandoned worker leaves the file to its row's next run.
    if (abandoned() || file.create(DestFile) != OutputFile::OpenResult::Opened)
        return false;
    m_createdFile = true;
    return true;
}

bool TfileThread::copyFrom(UrlStream& stream, OutputFile& file)
{
    const std::uint32_t refreshEvery = std::max<std::uint32_t>(RefreshEvery, 1);
    char block[BlockSize];
    std::size_t count = 0;
    do {
        count = stream.read(block, sizeof block);
        // Abandoned while blocked in the file: its row may run another worker once this ends.
        if (abandoned() || !file.write(block, count))
            return false;
        Loaded += count;
        if (++m_reads % refreshEvery == 0)
            report(&TfileThread::ShowProgress);
    } while (count != 0 && !terminated());
    if (!file.isStillAtItsPath()) {
        m_lostFile = true;
        return false;
    }
    return file.close() && !terminated() && stream.endedCleanly();
}

void TfileThread::report(void (TfileThread::*show)())
{
    synchronize([this, show] { (this->*show)(); });
}

void TfileThread::ShowProgress()
{
    if (Loaded == 0)
        return;
    TaskTable& table = m_services.table;
    table.setCell(ColSizeLoaded, Row, CellFormats::sizeText(Loaded, m_services.formats.decimalSeparator()));
    table.setCell(ColStatus, Row, std::string(Status::Started));
}

void TfileThread::ShowDone()
{
    TaskTable& table = m_services.table;
    table.setCell(ColStatus, Row, std::string(Status::Done));
    table.setCell(ColProcess, Row, std::string(Process::Finished));
    table.setCell(ColTimeOfEnd, Row, m_services.formats.timeStamp(m_services.clock.now()));
    if (m_services.playDoneSound)
        m_services.playDoneSound();
}

void TfileThread::ShowStopped()
{
    // A create-afresh run that never created its file, or a run whose file was removed or
    // replaced, must not make the next start append to an unrelated file of that name.
    const bool nothingToResume = (CreateNew && !m_createdFile) || m_lostFile;
    m_services.table.setCell(ColStatus, Row, std::string(nothingToResume ? Status::New : Status::Started));
    m_services.table.setCell(ColProcess, Row, std::string(Process::Idle));
}

} // namespace zv

#include "transfer/CopyNetTr.h"

#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "platform/InternetSessionFactory.h"
#include "platform/OutputFile.h"
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
    bool completed = false;
    try {
        if (auto session = m_services.internet.openSession(Agent, SessionUse::Download, &m_interrupter)) {
            if (auto stream = session->openUrl(Url))
                completed = copyFrom(*stream);
        }
    } catch (...) {
        // Out of memory or a library's exception: the run ends as stopped, its reports still made.
    }
    report(&TfileThread::ShowProgress);
    report(completed ? &TfileThread::ShowDone : &TfileThread::ShowStopped);
}

// Whether the whole body arrived cleanly and is on disk.
bool TfileThread::copyFrom(UrlStream& stream)
{
    const std::unique_ptr<OutputFile> file =
        m_services.makeOutputFile ? m_services.makeOutputFile() : std::make_unique<OutputFile>();
    if (!openDestination(*file, stream))
        return false;
    const std::uint32_t refreshEvery = std::max<std::uint32_t>(RefreshEvery, 1);
    char block[BlockSize];
    std::size_t count = 0;
    do {
        count = stream.read(block, sizeof block);
        // Abandoned while blocked in the file: its row may run another worker once this ends.
        if (abandoned() || !file->write(block, count))
            return false;
        Loaded += count;
        if (++m_reads % refreshEvery == 0)
            report(&TfileThread::ShowProgress);
    } while (count != 0 && !terminated());
    return file->close() && !terminated() && stream.endedCleanly();
}

bool TfileThread::openDestination(OutputFile& file, UrlStream& stream)
{
    if (!CreateNew) {
        const auto opened = file.openAtEnd(DestFile);
        if (opened == OutputFile::OpenResult::Opened) {
            Loaded = file.sizeAtOpen();
            // Never append bytes from another offset: a failed seek ends the run.
            return stream.setPosition(Loaded) != SeekResult::Failed;
        }
        if (opened == OutputFile::OpenResult::Failed)
            return false;
        // The partial file is gone: start afresh.
    }
    if (file.create(DestFile) != OutputFile::OpenResult::Opened)
        return false;
    m_createdFile = true;
    return true;
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
    // A create-afresh run that never created its file must not make the next start append
    // to an unrelated file of that name.
    const bool nothingCreated = CreateNew && !m_createdFile;
    m_services.table.setCell(ColStatus, Row, std::string(nothingCreated ? Status::New : Status::Started));
    m_services.table.setCell(ColProcess, Row, std::string(Process::Idle));
}

} // namespace zv

// Shows the task editor (add or modify mode) or one of its pickers over a small table,
// with the real dialogs, clock, locale and network, so the dialogs can be looked at and
// tried without the main window. "editor-preview [add|modify|date|folder|batch]".
#include "platform/net/CurlSessionFactory.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/files/Paths.h"
#include "platform/desktop/QtDialogs.h"
#include "platform/threads/SystemClock.h"
#include "tasks/EditorMode.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/TaskCommands.h"
#include "transfer/TaskOperations.h"
#include "transfer/ThreadedProbeRunner.h"
#include "ui/BrowseForFolders.h"
#include "ui/CalendarU.h"
#include "ui/EditorHost.h"
#include "ui/ExtentionsU.h"
#include "ui/LinkBatchForm.h"

#include <QApplication>


using namespace zv;

namespace {

class PreviewHost final : public EditorHost {
public:
    std::string defaultPath() const override { return m_path; }
    void setDefaultPath(const std::string& path) override { m_path = path; }

private:
    std::string m_path = Paths::defaultDownloadFolder();
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("add");

    TaskTable table;
    table.writeHeader();
    const int row = table.appendRow();
    table.setCell(ColStatus, row, "2");
    table.setCell(ColProcess, row, "1");
    table.setCell(ColFileName, row, "archive.zip");
    table.setCell(ColUrl, row, "https://www.example.com/files/archive.zip");
    table.setCell(ColPath, row, Paths::defaultDownloadFolder());
    table.setCell(ColSchedule, row, "14.04.2007 9:05:00");
    table.fixHeaderIfTasks();
    table.setCurrentRow(row);

    EditorMode mode;
    PreviewHost host;
    QtDialogs dialogs;
    const FormatSettings formats = FormatSettings::fromSystemLocale();
    SystemClock clock;
    CurlSessionFactory internet;
    // Probe answers come back through the event loop, as in the program.
    HandOverQueue mainThread;
    mainThread.setWakeUp([&mainThread] {
        QMetaObject::invokeMethod(qApp, [&mainThread] { mainThread.drain(); }, Qt::QueuedConnection);
    });
    ThreadedProbeRunner probes(mainThread, internet);

    TForm2 folderPicker(host);
    TForm4 datePicker(formats, clock);
    // "Immediately" really starts the task written.
    WorkerSlots workers;
    TaskOperations operations({{mainThread, internet, table, formats, clock, {}}, workers, dialogs, probes, {}});
    TaskCommands commands(table, operations, dialogs);
    TEditTaskForm editor({table, commands, mode, dialogs, formats, clock, probes, host}, folderPicker, datePicker);
    dialogs.setOwner(&editor);

    if (what == QLatin1String("date"))
        return datePicker.exec() == mrOk ? 0 : 1;
    if (what == QLatin1String("folder"))
        return folderPicker.exec() == mrOk ? 0 : 1;
    if (what == QLatin1String("batch")) {
        QtDialogs batchDialogs;
        TLinkBatchForm batch({commands, table, batchDialogs, [&host] { return host.defaultPath(); }});
        batchDialogs.setOwner(&batch);
        LinkBatch links;
        links.urls = {"https://www.example.com/files/archive.zip", "https://www.example.com/files/manual.pdf",
                      "https://www.example.com/files/manual.pdf", "ftp://www.example.com/files/old.tar.gz",
                      "https://mirror.example.org/iso/disk-1.iso"};
        batch.openFor(links);
        return table.rowCount() - 2;
    }
    if (what == QLatin1String("modify"))
        editor.editCurrentTask();
    else
        editor.openInAddMode();
    std::printf("row %d: %s | %s | %s | %s | %s\n", table.rowCount() - 1, table.cell(ColFileName, table.rowCount() - 1).c_str(),
                table.cell(ColSize, table.rowCount() - 1).c_str(), table.cell(ColUrl, table.rowCount() - 1).c_str(),
                table.cell(ColPath, table.rowCount() - 1).c_str(), table.cell(ColSchedule, table.rowCount() - 1).c_str());
    return 0;
}

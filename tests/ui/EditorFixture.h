#pragma once

#include "support/ImmediateProbeRunner.h"
#include "tasks/EditorMode.h"
#include "transfer/TransferFixture.h"
#include "ui/BrowseForFolders.h"
#include "ui/ByteLineEdit.h"
#include "ui/CalendarU.h"
#include "transfer/TaskCommands.h"
#include "ui/EditorHost.h"
#include "ui/ExtentionsU.h"
#include "ui/QelButton.h"

#include <QCalendarWidget>
#include <QPushButton>

#include <QDialog>
#include <QRadioButton>
#include <QTimer>

#include <functional>

namespace zv::test {

// The main window's side of the editor: its default path field.
class RecordingHost final : public EditorHost {
public:
    std::string defaultPath() const override { return path; }
    void setDefaultPath(const std::string& newPath) override { path = newPath; }

    std::string path;
};

// Runs action once the dialog's modal run has begun, then ends the run if the action left
// it open, so a test never waits on a dialog.
inline void duringModalRun(QDialog& dialog, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, [&dialog, action] {
        action();
        if (dialog.isVisible())
            dialog.reject();
    });
}

// The editor and its pickers over a table, the local server and a temporary folder; the
// editor's commands are the real ones.
class EditorFixture : public TransferFixture {
protected:
    EditorFixture()
    {
        host.path = dir.path().string();
    }

    // Whether a start of the row's task was made: a worker runs, or its probe refused it.
    bool startTried(int row) const { return worker(row) != nullptr || table.runOutcome(row).notStarted; }

    // Opens the editor as a modal run would, without waiting in it.
    void openEditor() { editor.open(); }

    // Opens in add mode with a URL typed and presses OK.
    void addWith(const std::string& url)
    {
        openEditor();
        editor.Edit1->setText(QString::fromStdString(url));
        editor.QelButton7->Click();
    }

    const std::string& lastCell(int column) const { return table.cell(column, table.rowCount() - 1); }
    std::string fieldText(const QLineEdit* field) const { return field->text().toStdString(); }
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : dialogs.messages)
            texts.push_back(message.text);
        return texts;
    }

    RecordingHost host;
    TaskCommands commands{table, operations, dialogs};
    ImmediateProbeRunner probes{internet};
    EditorMode mode;
    TForm2 folderPicker{host};
    TForm4 datePicker{formats, clock};
    TEditTaskForm editor{EditorServices{table, commands, mode, dialogs, formats, clock, probes, host}, folderPicker,
                         datePicker};
};

} // namespace zv::test

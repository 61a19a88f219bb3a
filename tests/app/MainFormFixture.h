#pragma once

#include "app/MainFormU.h"
#include "platform/net/CurlSessionFactory.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/threads/QtDeferrer.h"
#include "platform/services/OnlineQuery.h"
#include "support/FixedClock.h"
#include "support/ImmediateProbeRunner.h"
#include "support/MemorySettings.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingNotifyIconShell.h"
#include "support/RecordingShell.h"
#include "support/RecordingSound.h"
#include "support/TempDir.h"
#include "tasks/TaskCodes.h"
#include "transfer/TaskSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace zv::test {

class FixedOnline final : public OnlineQuery {
public:
    bool isOnline() const override { return true; }
};

// A main window and its task session over fakes, in a program folder of its own that holds
// the pictures the build put beside the executable.
class MainFormFixture : public ::testing::Test {
protected:
    MainFormFixture()
    {
        const char* bin = std::getenv("ZV_BIN_DIR");
        if (bin)
            std::filesystem::copy(std::filesystem::path(bin) / "pic", programDir.path() / "pic");
        std::filesystem::create_directory(programDir.path() / "dl");
    }

    // A fresh start: a new session and its window.
    void createForm()
    {
        form.reset();
        session.reset();
        session = std::make_unique<TaskSession>(TaskSession::Services{
            queue, internet, std::make_unique<ImmediateProbeRunner>(internet), formats, clock, dialogs, online,
            deferrer, notifier, settings, programDir.path().string(), programDir.path().string()});
        form = std::make_unique<TMainForm>(*session, MainFormServices{
            formats, clock, dialogs, editorDialogs, shell, trayShell, sound, programDir.path().string(),
            [this] { return programDir.file("dl"); }});
    }

    // Appends a task row with the given codes and makes it current.
    int addTask(std::string_view status, std::string_view process, const std::string& name = "f.bin")
    {
        TaskTable& table = form->table();
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(status));
        table.setCell(ColProcess, row, std::string(process));
        table.setCell(ColFileName, row, name);
        table.setCell(ColSize, row, "1.00 KB");
        table.setCell(ColSizeLoaded, row, "0 Byte");
        table.setCell(ColUrl, row, "http://127.0.0.1:1/" + name);
        table.setCell(ColPath, row, programDir.file("dl"));
        table.setCell(ColSchedule, row, "No");
        table.fixHeaderIfTasks();
        table.setCurrentRow(row);
        return row;
    }

    std::string codes(int row) const
    {
        return form->table().cell(ColStatus, row) + "/" + form->table().cell(ColProcess, row);
    }

    TempDir programDir;
    HandOverQueue queue;
    CurlSessionFactory internet{InternetLimits{std::chrono::milliseconds(2000),
                                               std::chrono::milliseconds(2000),
                                               std::chrono::milliseconds(2000)}};
    FormatSettings formats;
    FixedClock clock;
    RecordingDialogs dialogs;
    RecordingDialogs editorDialogs;
    RecordingShell shell;
    RecordingNotifyIconShell trayShell;
    RecordingSound sound;
    FixedOnline online;
    QtDeferrer deferrer;
    RecordingNotifier notifier;
    MemorySettings settings;
    std::unique_ptr<TaskSession> session;
    std::unique_ptr<TMainForm> form;
};

} // namespace zv::test

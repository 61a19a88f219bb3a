#include "EditorFixture.h"

#include "platform/text/ApplicationTitle.h"
#include "support/ManualProbeRunner.h"
#include "ui/QelButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

using namespace zv;
using namespace zv::test;

namespace zv::test {

bool operator==(const RecordingDialogs::Message& a, const RecordingDialogs::Message& b)
{
    return a.text == b.text && a.caption == b.caption && a.icon == b.icon;
}

void PrintTo(const RecordingDialogs::Message& message, std::ostream* out)
{
    *out << '"' << message.text << "\" / \"" << message.caption << "\" / " << static_cast<int>(message.icon);
}

} // namespace zv::test

namespace {

using Message = RecordingDialogs::Message;

const Message schemeWarning{"Example for adress:\rhttp://\rhttps://", "Attempt of access to a file", MessageIcon::Warning};
const Message extensionWarning{"Is not supported this file!", "File corrupt!", MessageIcon::Warning};
const Message pathWarning{"Please! Select directory!", "Free path!", MessageIcon::Warning};
const Message accessible{"The file is accessible!", "Attempt of access to a file", MessageIcon::Information};
const Message notAccessible{"The file is not accessible!", "Attempt of access to a file", MessageIcon::Warning};

using Messages = std::vector<Message>;

class TaskEditor : public EditorFixture {};

// An editor whose probes stay pending until the test answers them.
class TaskEditorAsking : public TaskEditor {
protected:
    bool showsBusy() const
    {
        return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    }

    ManualProbeRunner heldProbes;
    TEditTaskForm asking{EditorServices{table, commands, mode, dialogs, formats, clock, heldProbes, host}, folderPicker,
                         datePicker};
};

} // namespace

// --- OK: the checks in order -------------------------------------------------------------


TEST_F(TaskEditor, AddedRowIsNewIdleUnscheduledFixedAndCurrent)
{
    server.serve("/a.zip", "data");
    addWith(server.url("/a.zip"));
    ASSERT_EQ(table.taskCount(), 1);
    EXPECT_EQ(codes(1), "1/1");
    EXPECT_EQ(table.cell(ColSizeLoaded, 1), "0 Byte");
    EXPECT_EQ(table.cell(ColPath, 1), dir.path().string());
    EXPECT_EQ(table.cell(ColSchedule, 1), "No");
    EXPECT_EQ(table.cell(ColTimeOfBeginning, 1), "");
    EXPECT_EQ(table.cell(ColTimeOfEnd, 1), "");
    EXPECT_EQ(table.fixedRows(), 1);
    EXPECT_EQ(table.currentRow(), 1);
    EXPECT_FALSE(startTried(1));
}

TEST_F(TaskEditor, RefusedAddressesKeepTheDialogOpenAndWriteNothing)
{
    addWith("ftp://127.0.0.1/a.zip");
    editor.Edit1->setText("http://127.0.0.1/file");
    editor.QelButton7->Click();
    EXPECT_EQ(dialogs.messages, (Messages{schemeWarning, extensionWarning}));
    EXPECT_EQ(table.taskCount(), 0);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(fieldText(editor.Edit1), "http://127.0.0.1/file");
}



TEST_F(TaskEditor, BlankPathIsRefusedBeforeTheServerIsAsked)
{
    host.path = "  ";
    addWith(server.url("/a.zip"));
    EXPECT_EQ(dialogs.messages, Messages{pathWarning});
    EXPECT_EQ(table.taskCount(), 0);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(TaskEditor, FullTableRefusesAnAdditionWithAWarning)
{
    for (int i = 0; i < TaskTable::MaxTasks; ++i)
        addTask(server.url("/a.zip"), "a.zip");
    addWith(server.url("/a.zip"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Too many tasks!");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(table.taskCount(), TaskTable::MaxTasks);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(editor.isVisible());
}


// --- the size the server offers ----------------------------------------------------------

using SizeCase = std::pair<std::uint64_t, std::string>;

class EditorSize : public EditorFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EditorSize, SizeCellIsTheEditorsRenderingOfTheProbe)
{
    const auto [length, expected] = GetParam();
    TestResource resource;
    resource.generatedLength = length;
    if (length == 0)
        resource = TestResource::page(404, "missing");
    server.serve("/f.bin", resource);
    addWith(server.url("/f.bin"));
    ASSERT_EQ(table.taskCount(), 1) << "a failed probe still writes the task";
    EXPECT_EQ(table.cell(ColSize, 1), expected);
}

INSTANTIATE_TEST_SUITE_P(TaskEditor, EditorSize,
                         ::testing::Values(SizeCase{0, ""}, SizeCase{1024, "1.00 KB"}),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param.first); });

// --- "Check file!" -----------------------------------------------------------------------

TEST_F(TaskEditor, CheckFileDrawsTheLineAtOneThousandBytes)
{
    server.serve("/small.zip", std::string(999, 's'));
    server.serve("/big.zip", std::string(1000, 'b'));
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/small.zip")));
    editor.QelButton4->Click();
    EXPECT_EQ(dialogs.messages, Messages{notAccessible});
    EXPECT_EQ(fieldText(editor.NewFileName), "");
    editor.Edit1->setText(QString::fromStdString(server.url("/big.zip")));
    editor.QelButton4->Click();
    EXPECT_EQ(dialogs.messages, (Messages{notAccessible, accessible}));
    EXPECT_EQ(fieldText(editor.NewFileName), "big.zip");
    EXPECT_EQ(table.taskCount(), 0);
}

TEST_F(TaskEditor, CheckFileRefillsTheNameOnlyWhenTheExtensionPasses)
{
    server.serve("/download", std::string(5000, 'd'));
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/download")));
    editor.NewFileName->setText("typed.zip");
    editor.QelButton4->Click();
    EXPECT_EQ(dialogs.messages, (Messages{accessible, extensionWarning}));
    EXPECT_EQ(fieldText(editor.NewFileName), "typed.zip");
}

// --- "Under the schedule:" ---------------------------------------------------------------

TEST_F(TaskEditor, UnreadableOrEmptyScheduleBeepsFocusesTheFieldAndWritesNothing)
{
    struct Case {
        const char* date;
        const char* time;
        QWidget* field;
        std::string text;
    };
    const Case cases[] = {
        {"31.02.2007", "12:00:00", editor.Edit2, "\"31.02.2007\" - This date is not correct!"},
        {"", "12:00:00", editor.Edit2, "\"\" - This date is not correct!"},
        {"10.10.2007", "25:00:00", editor.Edit3, "\"25:00:00\" - This time is not correct!"},
        {"10.10.2007", "", editor.Edit3, "\"\" - This time is not correct!"},
    };
    server.serve("/a.zip", "data");
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/a.zip")));
    editor.UnderCh->setChecked(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dialogs.messages.clear();
        const int beeps = dialogs.beeps;
        editor.Edit2->setText(c.date);
        editor.Edit3->setText(c.time);
        editor.QelButton7->Click();
        EXPECT_EQ(dialogs.beeps, beeps + 1);
        EXPECT_EQ(editor.focusWidget(), c.field);
        EXPECT_EQ(dialogs.messages, (Messages{{c.text, ApplicationTitle, MessageIcon::Error}}));
        EXPECT_TRUE(editor.isVisible());
    }
    EXPECT_EQ(table.taskCount(), 0);
    EXPECT_EQ(server.requestsFor("/a.zip").size(), std::size(cases)) << "the server is asked before the schedule";
}


TEST_F(TaskEditor, ScheduleFieldsAreIgnoredUnlessScheduled)
{
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/a.zip")));
    editor.Edit2->setText("31.02.2007");
    editor.QelButton7->Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(lastCell(ColSchedule), "No");
}

TEST_F(TaskEditor, DatePickedInTheCalendarGoesIntoTheSchedule)
{
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/a.zip")));
    editor.UnderCh->setChecked(true);
    editor.Edit3->setText("9:05:00");
    duringModalRun(datePicker, [this] {
        datePicker.MonthCalendar1->setSelectedDate(QDate(2007, 10, 10));
        datePicker.BitBtn1->click();
    });
    editor.QelButton1->Click();
    EXPECT_FALSE(datePicker.isVisible());
    EXPECT_EQ(fieldText(editor.Edit2), "10.10.2007");
    EXPECT_TRUE(editor.isVisible()) << "the editor stays open, and refills nothing";
    EXPECT_EQ(fieldText(editor.Edit3), "9:05:00");
    editor.QelButton7->Click();
    EXPECT_EQ(lastCell(ColSchedule), "10.10.2007 9:05:00");
}

TEST_F(TaskEditor, CurrentDateAndTimeButtonsFillFromTheClock)
{
    clock.current = {{2007, 4, 14}, {7, 8, 9, 0}};
    openEditor();
    editor.Edit2->setText("");
    editor.Edit3->setText("");
    editor.QelButton3->Click();
    EXPECT_EQ(fieldText(editor.Edit2), "14.04.2007");
    EXPECT_EQ(fieldText(editor.Edit3), "");
    editor.QelButton2->Click();
    EXPECT_EQ(fieldText(editor.Edit3), "7:08:09");
}

// --- filling on opening ------------------------------------------------------------------

TEST_F(TaskEditor, SecondAddOpeningKeepsTheAddressAndRefillsTheRest)
{
    openEditor();
    editor.Edit1->setText("http://example.com/kept.zip");
    editor.NewFileName->setText("name.zip");
    editor.ImmedCh->setChecked(true);
    editor.Edit2->setText("01.01.2001");
    editor.reject();
    clock.current = {{2007, 4, 15}, {9, 5, 0, 0}};
    host.path = "/elsewhere";
    openEditor();
    EXPECT_EQ(fieldText(editor.Edit1), "http://example.com/kept.zip");
    EXPECT_EQ(fieldText(editor.Edit2), "15.04.2007");
    EXPECT_EQ(fieldText(editor.Edit3), "9:05:00");
    EXPECT_EQ(fieldText(editor.Edit4), "/elsewhere");
    EXPECT_EQ(fieldText(editor.NewFileName), "");
    EXPECT_TRUE(editor.LaterCh->isChecked());
    EXPECT_EQ(editor.QelButton7->Caption(), "Add task!");
}

TEST_F(TaskEditor, ModifyModeSplitsTheScheduleCell)
{
    const int row = addTask("http://h/a.zip", "a.zip", Status::Started, Process::Idle, "10.10.2007 9:05:00");
    mode.setModify(table.idOf(row));
    openEditor();
    EXPECT_EQ(fieldText(editor.Edit2), "10.10.2007");
    EXPECT_EQ(fieldText(editor.Edit3), "9:05:00");
    EXPECT_TRUE(editor.UnderCh->isChecked());
    EXPECT_EQ(fieldText(editor.Edit1), "http://h/a.zip");
    EXPECT_EQ(fieldText(editor.Edit4), dir.path().string());
    EXPECT_EQ(fieldText(editor.NewFileName), "a.zip");
    EXPECT_EQ(editor.QelButton7->Caption(), "Modify!");
}

TEST_F(TaskEditor, ModifyModeSplitsAHandWrittenScheduleAndWritesItBackUntouched)
{
    const int row = addTask(server.url("/a.zip"), "a.zip", Status::Started, Process::Idle, "1.4.2007 9:05");
    mode.setModify(table.idOf(row));
    openEditor();
    EXPECT_EQ(fieldText(editor.Edit2), "1.4.2007");
    EXPECT_EQ(fieldText(editor.Edit3), "9:05");
    editor.QelButton7->Click();
    EXPECT_EQ(table.cell(ColSchedule, row), "1.4.2007 9:05");

    mode.setModify(table.idOf(row));
    openEditor();
    editor.Edit3->setText("9:06");
    editor.QelButton7->Click();
    EXPECT_EQ(table.cell(ColSchedule, row), "01.04.2007 9:06:00");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TaskEditor, ModifyModeWithoutScheduleShowsNowAndLater)
{
    clock.current = {{2007, 4, 14}, {13, 30, 0, 0}};
    const int row = addTask("http://h/a.zip", "a.zip");
    editor.ImmedCh->setChecked(true);
    mode.setModify(table.idOf(row));
    openEditor();
    EXPECT_EQ(fieldText(editor.Edit2), "14.04.2007");
    EXPECT_EQ(fieldText(editor.Edit3), "13:30:00");
    EXPECT_TRUE(editor.LaterCh->isChecked());
}


TEST_F(TaskEditor, UntouchedFieldsWriteBackTheirExactBytes)
{
    const std::string url = server.url("/\xff\xfe.zip");
    const std::string name = "caf\xe9 \x80.zip";
    const int row = addTask(url, name, Status::Started, Process::Idle, "No");
    mode.setModify(table.idOf(row));
    openEditor();
    EXPECT_TRUE(editor.Edit1->text().contains(QChar::ReplacementCharacter));
    editor.Edit4->setText("/chosen \xc3\xa9");
    editor.QelButton7->Click();
    ASSERT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(table.cell(ColUrl, row), url);
    EXPECT_EQ(table.cell(ColFileName, row), name);
    EXPECT_EQ(table.cell(ColPath, row), "/chosen \xc3\xa9");
}

// --- closing -----------------------------------------------------------------------------

TEST_F(TaskEditor, EscapeInAFieldClosesWithoutWritingAndLeavesAddMode)
{
    const int row = addTask(server.url("/a.zip"), "a.zip");
    mode.setModify(table.idOf(row));
    openEditor();
    editor.Edit1->setText("http://h/changed.zip");
    QTest::keyClick(editor.Edit1, Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.ModalResult(), mrCancel);
    EXPECT_FALSE(mode.isModify());
    EXPECT_EQ(table.cell(ColUrl, row), server.url("/a.zip"));
    EXPECT_TRUE(server.requests().empty());
    openEditor();
    EXPECT_EQ(editor.QelButton7->Caption(), "Add task!");
}

TEST_F(TaskEditor, EveryWayOfClosingLeavesAddMode)
{
    const int row = addTask(server.url("/a.zip"), "a.zip");
    const std::vector<std::function<void()>> closings{
        [this] { editor.QelButton6->Click(); },
        [this] { editor.close(); },
        [this] { QTest::keyClick(editor.QelButton4, Qt::Key_Escape); },
        [this] { editor.FormKeyPress(QChar(27)); },
        [this] { editor.hide(); },
    };
    for (const auto& closeEditor : closings) {
        mode.setModify(table.idOf(row));
        openEditor();
        closeEditor();
        EXPECT_FALSE(editor.isVisible());
        EXPECT_FALSE(mode.isModify());
    }
    EXPECT_EQ(table.taskCount(), 1);
}

TEST_F(TaskEditor, EditCurrentTaskOpensOnlyAnIdleTask)
{
    const int running = addTask("http://h/a.zip", "a.zip", Status::Started, Process::Running);
    EXPECT_FALSE(editor.editCurrentTask());
    const int done = addTask("http://h/b.zip", "b.zip", Status::Done, Process::Finished);
    EXPECT_FALSE(editor.editCurrentTask());
    EXPECT_FALSE(mode.isModify());
    EXPECT_FALSE(editor.isVisible());
    table.setCurrentRow(0);
    EXPECT_FALSE(editor.editCurrentTask());

    const int stopped = addTask("http://h/c.zip", "c.zip", Status::Started, Process::Idle);
    bool underEdit = false;
    QString caption;
    duringModalRun(editor, [&] {
        underEdit = mode.isUnderEdit(table.idOf(stopped));
        caption = editor.QelButton7->Caption();
    });
    EXPECT_TRUE(editor.editCurrentTask());
    EXPECT_TRUE(underEdit);
    EXPECT_EQ(caption, "Modify!");
    EXPECT_FALSE(mode.isModify());
    EXPECT_EQ(table.taskCount(), 3);
    EXPECT_EQ(codes(running), "2/2");
    EXPECT_EQ(codes(done), "3/0");
}

// --- while the server is asked ----------------------------------------------------------

TEST_F(TaskEditorAsking, OkGoesOnWhenTheAnswerComesAndInputMeanwhileChangesNothing)
{
    asking.open();
    asking.Edit1->setText("http://h/a.zip");
    QTest::mouseClick(asking.QelButton7, Qt::LeftButton);
    ASSERT_EQ(heldProbes.pending.size(), 1u);
    EXPECT_TRUE(showsBusy());
    QTest::keyClicks(asking.Edit1, "x");
    QTest::keyClicks(asking.NewFileName, "b.zip");
    QTest::mouseClick(asking.ImmedCh, Qt::LeftButton);
    QTest::mouseClick(asking.QelButton4, Qt::LeftButton);
    QTest::mouseClick(asking.QelButton7, Qt::LeftButton);
    EXPECT_EQ(heldProbes.pending.size(), 1u) << "no second question while one is pending";
    EXPECT_TRUE(asking.isVisible());
    EXPECT_EQ(table.taskCount(), 0);

    heldProbes.answer(0, 2048);
    ASSERT_EQ(table.taskCount(), 1);
    EXPECT_EQ(table.cell(ColUrl, 1), "http://h/a.zip");
    EXPECT_EQ(table.cell(ColFileName, 1), "a.zip");
    EXPECT_EQ(table.cell(ColSize, 1), "2.00 KB");
    EXPECT_FALSE(startTried(1));
    EXPECT_FALSE(asking.isVisible());
    EXPECT_FALSE(showsBusy());
}

TEST_F(TaskEditorAsking, EscCancelOrTheCloseBoxEndTheWaitAtOnceAndTheLateAnswerWritesNothing)
{
    const int row = addTask(server.url("/a.zip"), "a.zip");
    const std::vector<std::function<void()>> closings{
        [this] { QTest::keyClick(asking.Edit1, Qt::Key_Escape); },
        [this] { QTest::mouseClick(asking.QelButton6, Qt::LeftButton); },
        [this] { asking.close(); },
    };
    for (const auto& closeEditor : closings) {
        mode.setModify(table.idOf(row));
        asking.open();
        asking.ImmedCh->setChecked(true);
        QTest::mouseClick(asking.QelButton7, Qt::LeftButton);
        EXPECT_TRUE(showsBusy());
        closeEditor();
        EXPECT_FALSE(asking.isVisible());
        EXPECT_FALSE(mode.isModify());
        EXPECT_FALSE(showsBusy());
    }
    ASSERT_EQ(heldProbes.pending.size(), closings.size());
    while (!heldProbes.pending.empty())
        heldProbes.answer(0, 2048);
    EXPECT_EQ(table.taskCount(), 1);
    EXPECT_EQ(table.cell(ColSize, row), "0 Byte");
    EXPECT_FALSE(startTried(row));
    EXPECT_TRUE(dialogs.messages.empty());
    asking.open();
    EXPECT_EQ(asking.QelButton7->Caption(), "Add task!");
}

// --- "Immediately" -----------------------------------------------------------------------

TEST_F(TaskEditor, ImmediatelyStartsTheWrittenRowAndTheFileArrives)
{
    const std::string body = TestServer::pattern(300 * 1024);
    server.serve("/arrives.bin", body);
    addTask(server.url("/other.zip"), "other.zip");
    table.setCurrentRow(1);
    openEditor();
    editor.Edit1->setText(QString::fromStdString(server.url("/arrives.bin")));
    editor.ImmedCh->setChecked(true);
    editor.QelButton7->Click();
    const int row = table.rowCount() - 1;
    EXPECT_EQ(row, 2);
    EXPECT_EQ(table.currentRow(), row);
    ASSERT_NE(worker(row), nullptr) << "the start acted on the row just written";
    waitForWorker(row);
    EXPECT_EQ(codes(row), "3/0");
    EXPECT_EQ(fileAt("arrives.bin"), body);
    EXPECT_EQ(codes(1), "1/1");
}

#include "LayoutChecks.h"
#include "MainFormFixture.h"

#include "app/AboutU.h"
#include "ui/BrowseForFolders.h"
#include "ui/ExtentionsU.h"
#include "ui/QelButton.h"
#include "ui/TaskGrid.h"
#include "ui/TrayIcon.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

using namespace zv;
using namespace zv::test;

namespace {

class MainFormTest : public MainFormFixture {
protected:
    MainFormTest() { createForm(); }

    // Renders the grid as it is on screen.
    QImage gridImage()
    {
        form->show();
        QCoreApplication::processEvents();
        return form->GridOfFiles->viewport()->grab().toImage();
    }

    static int pixelsOf(const QImage& image, const QColor& colour)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == colour;
        return count;
    }

    QPoint rowCentre(int row) const
    {
        const QRect rect = form->GridOfFiles->visualRect(form->GridOfFiles->model()->index(row - 1, 3));
        return rect.center();
    }
};

} // namespace

TEST_F(MainFormTest, WindowIsFixedCaptionedAndWhite)
{
    EXPECT_EQ(form->windowTitle(), "Zare Vantrel v1.0");
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->client()->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(MainFormTest, GridSelectsWholeRowsWithoutLinesAndNamesItsColumns)
{
    EXPECT_EQ(form->GridOfFiles->model()->headerData(7, Qt::Horizontal).toString(), "Time of beginning");
    EXPECT_EQ(form->GridOfFiles->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(form->GridOfFiles->showGrid());
    EXPECT_EQ(form->GridOfFiles->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

TEST_F(MainFormTest, StopAndCancelCommandsReachTheirOperations)
{
    // Rows loaded while running have no worker: a stop only writes "1".
    const int a = addTask(Status::Started, Process::Running, "a.bin");
    form->action("Pause1")->trigger();
    EXPECT_EQ(codes(a), "2/1");
    form->table().setCell(ColProcess, a, "2");
    form->action("Stoptask1")->trigger();
    EXPECT_EQ(codes(a), "2/1");
    form->table().setCell(ColProcess, a, "2");
    emit form->QelButton5->OnClick(form->QelButton5);
    EXPECT_EQ(codes(a), "2/1");

    const int b = addTask(Status::Started, Process::Running, "b.bin");
    form->table().setCell(ColProcess, a, "2");
    form->action("Pauseall1")->trigger();
    EXPECT_EQ(codes(a) + " " + codes(b), "2/1 2/1");

    form->action("Delete1")->trigger();
    EXPECT_EQ(codes(b), "4/0");
    form->action("Deleteall1")->trigger();
    EXPECT_EQ(codes(a), "4/0");
}

TEST_F(MainFormTest, StartCommandsReachStartCurrentTask)
{
    addTask(Status::Done, Process::Idle);
    for (const char* name : {"Start1", "Startcopy1"})
        form->action(name)->trigger();
    emit form->QelButton3->OnClick(form->QelButton3);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, "This file is loaded already!");
    EXPECT_EQ(dialogs.messages[0].caption, "Copying..");
}

TEST_F(MainFormTest, ClearButtonClearsTheList)
{
    addTask(Status::Done, Process::Finished);
    emit form->QelButton10->OnClick(form->QelButton10);
    EXPECT_EQ(form->table().rowCount(), 1);
    EXPECT_EQ(form->table().cell(ColStatus, 0), "Status");
}

TEST_F(MainFormTest, ListCommandsUseTheFileDialogs)
{
    form->action("Opendatabase1")->trigger();
    form->action("Savedatabaseas1")->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[0].pattern, "*.log");
    form->action("Newdatabase1")->trigger();
    EXPECT_EQ(session->listFile().currentListFile(), "vt_tasks_new.log");
}

TEST_F(MainFormTest, RightClickKeepsTheSelectedRowForTheGridMenu)
{
    const int first = addTask(Status::New, Process::Idle, "a.bin");
    const int second = addTask(Status::New, Process::Idle, "b.bin");
    form->show();
    form->table().setCurrentRow(first);
    QTest::mouseClick(form->GridOfFiles->viewport(), Qt::RightButton, {}, rowCentre(second));
    EXPECT_EQ(form->table().currentRow(), first);
    form->action("Cancelthetask1")->trigger();
    EXPECT_EQ(codes(first), "4/0");
    EXPECT_EQ(codes(second), "1/1");
    QTest::mouseClick(form->GridOfFiles->viewport(), Qt::LeftButton, {}, rowCentre(second));
    EXPECT_EQ(form->table().currentRow(), second);
}

TEST_F(MainFormTest, TypingIntoTheRefreshSpeedChangesNothing)
{
    EXPECT_EQ(form->SpeedFresh->count(), 3);
    EXPECT_EQ(form->SpeedFresh->currentText(), "Normal");
    QTest::keyClicks(form->SpeedFresh, "Zare");
    QTest::keyClicks(form->SpeedFresh, "s");
    EXPECT_EQ(form->SpeedFresh->currentText(), "Normal");
    // Nor while the list is open.
    form->show();
    form->SpeedFresh->showPopup();
    QTest::keyClicks(form->SpeedFresh->view(), "z");
    QTest::keyClick(form->SpeedFresh->view(), Qt::Key_Return);
    EXPECT_EQ(form->SpeedFresh->currentText(), "Normal");
    EXPECT_EQ(form->refreshSpeedItem(), 1);
    form->SpeedFresh->setCurrentIndex(2);
    EXPECT_EQ(form->refreshSpeedItem(), 2);
}

TEST_F(MainFormTest, OpenDownloadedFileOpensTheFileTheDownloadWroteOnlyForDoneRows)
{
    // A name the start cannot use was saved as url.htm; the name itself would lead elsewhere.
    const int row = addTask(Status::Started, Process::Idle, "sub/file.bin");
    std::filesystem::create_directories(programDir.file("dl/sub"));
    writeFile(programDir.file("dl/sub/file.bin"), "not the download");
    for (const char* status : {"1", "2", "4", "3"}) {
        form->table().setCell(ColStatus, row, status);
        form->action("Opendownloadedfile1")->trigger(); // "3": no url.htm yet, nothing to open
    }
    EXPECT_TRUE(shell.calls.empty());
    writeFile(programDir.file("dl/url.htm"), "the download");
    form->action("Opendownloadedfile1")->trigger();
    EXPECT_EQ(shell.calls, std::vector<std::string>{"open " + programDir.file("dl/url.htm")});
}

TEST_F(MainFormTest, OpenDestinationDirectoryInAnyState)
{
    const int row = addTask(Status::Cancelled, Process::Finished);
    form->action("Opendestinationdirectory1")->trigger();
    EXPECT_EQ(shell.calls, std::vector<std::string>{"explore " + form->table().cell(ColPath, row)});
}

TEST_F(MainFormTest, SupportOpensTheHelpPageOnlyWhenItExists)
{
    form->action("Support1")->trigger();
    EXPECT_TRUE(shell.calls.empty());
    writeFile(programDir.path() / "help.html", "<html></html>");
    form->action("Support1")->trigger();
    EXPECT_EQ(shell.calls, std::vector<std::string>{"open " + programDir.file("help.html")});
}

// The lowest contrast of white text against the field under area: the field is the darkest
// pixel of each column there, since white text only lightens what it covers.
double leastContrastOfWhiteText(const QImage& image, const QRect& area)
{
    double least = 21;
    for (int x = area.left(); x <= area.right(); ++x) {
        double field = 1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            field = std::max(field, contrastRatio(Qt::white, image.pixelColor(x, y)));
        least = std::min(least, field);
    }
    return least;
}

TEST_F(MainFormTest, WhiteTitlesCanBeRead)
{
    const QImage banner = form->Image2->pixmap().toImage();
    EXPECT_GE(leastContrastOfWhiteText(banner, QRect(74, 10, 372, 58)), 4.5);
    const QImage about = form->About->grab().toImage();
    EXPECT_GE(leastContrastOfWhiteText(about, QRect(70, 42, 170, 18)), 4.5);
    EXPECT_GE(leastContrastOfWhiteText(about, QRect(12, 76, 222, 40)), 4.5);
}

TEST_F(MainFormTest, CtrlCInThePathFieldCopiesItsTextAndTheTaskRunsOnWhileInTheGridItPauses)
{
    const int row = addTask(Status::Started, Process::Running);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->GridOfFiles); // where the window opens
    form->Edit3->setText("/srv/downloads");
    form->Edit3->setFocus();
    form->Edit3->selectAll();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(form->Edit3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "/srv/downloads");
    EXPECT_EQ(codes(row), "2/2");

    form->GridOfFiles->setFocus();
    QTest::keyClick(form->GridOfFiles, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(codes(row), "2/1");
}

TEST_F(MainFormTest, F10AndAltWithAMenusFirstLetterOpenThatMenu)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QList<QAction*> titles = form->menuBar()->actions();
    const std::pair<QKeyCombination, QAction*> keys[] = {{Qt::Key_F10, titles[0]},
                                                         {Qt::ALT | Qt::Key_F, titles[0]},
                                                         {Qt::ALT | Qt::Key_T, titles[1]},
                                                         {Qt::ALT | Qt::Key_H, titles[2]}};
    for (const auto& [key, title] : keys) {
        form->GridOfFiles->setFocus();
        QTest::keyClick(form->GridOfFiles, key.key(), key.keyboardModifiers());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
        EXPECT_EQ(QApplication::activePopupWidget(), title->menu()) << title->text().toStdString();
        QApplication::activePopupWidget()->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    }
}

TEST_F(MainFormTest, TheScheduleTickAsksForANotificationAreaThatAppearedSinceTheStart)
{
    const int before = trayShell.areaQueries;
    form->Timer1Timer();
    EXPECT_EQ(trayShell.areaQueries, before + 1);
}

TEST_F(MainFormTest, AboutBoxLinksOpenAndTurnMaroon)
{
    EXPECT_EQ(form->About->windowTitle(), "About Zare Vantrel ");
    form->About->WebLinkClick();
    form->About->MailLinkClick();
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].rfind("address https://", 0), 0u);
    EXPECT_EQ(shell.calls[1].rfind("address mailto:", 0), 0u);
    EXPECT_EQ(form->About->webLink()->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(form->About->mailLink()->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

TEST_F(MainFormTest, MinimiseHidesToTheTrayAndOpenShowsAgain)
{
    form->show();
    form->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(form->isHidden());
    form->action("Open1")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    form->setWindowState(Qt::WindowMinimized);
    form->TrayIconDblClick();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormTest, AWindowHiddenToTheNotificationAreaComesBackWhenTheAreaGoes)
{
    form->show();
    form->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(form->isHidden());
    form->Timer1Timer();
    EXPECT_TRUE(form->isHidden());
    trayShell.notificationArea = false;
    form->Timer1Timer();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(MainFormTest, WithoutANotificationAreaMinimisingMinimises)
{
    trayShell.notificationArea = false;
    form->show();
    form->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(form->isHidden());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(MainFormTest, TrayIconCarriesTheTipAndTheIconMenu)
{
    EXPECT_TRUE(form->TrayIcon->active());
    EXPECT_EQ(form->TrayIcon->toolTip(), "Merrowtip");
    EXPECT_FALSE(form->TrayIcon->icon().isNull());
    EXPECT_EQ(form->TrayIcon->popupMenu(), form->PopupMenu2);
}

TEST_F(MainFormTest, TheTraysLimitSpeedIsGreyedWithoutALimitAndOtherwiseSwitchesItOnAndOff)
{
    EXPECT_FALSE(form->action("Limitspeed1")->isEnabled());
    settings.values[{"Downloads", "SpeedLimit"}] = "2097152";
    createForm();
    QAction* limitSpeed = form->action("Limitspeed1");
    ASSERT_TRUE(limitSpeed->isEnabled());
    EXPECT_TRUE(limitSpeed->isChecked());
    limitSpeed->trigger();
    EXPECT_FALSE(limitSpeed->isChecked());
    EXPECT_EQ(session->speedLimiter().limit(), 0u);
    EXPECT_EQ(settings.value("Downloads", "SpeedLimitOn"), "false");
    limitSpeed->trigger();
    EXPECT_TRUE(limitSpeed->isChecked());
    EXPECT_EQ(session->speedLimiter().limit(), 2097152u);
    EXPECT_EQ(settings.value("Downloads", "SpeedLimitOn"), "true");
}

TEST_F(MainFormTest, SelectedRowIsGreenBesideTheFocusedCellWithPictures)
{
    addTask(Status::Done, Process::Idle);
    const QImage grid = gridImage();
    EXPECT_GT(pixelsOf(grid, QColor(0, 179, 0)), 500);
    // The done tick and the idle pause sign stand in the first two cells.
    const QImage status = grid.copy(0, 0, 59, 20);
    EXPECT_GT(pixelsOf(status, QColor(0x18, 0xA0, 0x18)), 5);
    const QImage process = grid.copy(59, 0, 55, 20);
    EXPECT_GT(pixelsOf(process, QColor(0xE0, 0xA0, 0x20)), 5);
}

TEST_F(MainFormTest, StatePicturesLookTheSameOnTheSelectedRowAsOnAnyOther)
{
    addTask(Status::Done, Process::Idle, "other.bin");
    addTask(Status::Done, Process::Idle); // current: on the green fill
    const QImage grid = gridImage();
    const auto picture = [&](int row, int column) {
        // A 16 x 14 picture, 20 pixels right of and 3 below the cell's corner.
        const QRect cell = form->GridOfFiles->visualRect(form->GridOfFiles->model()->index(row - 1, column));
        return grid.copy(cell.left() + 20, cell.top() + 3, 16, 14);
    };
    for (const int column : {0, 1})
        EXPECT_TRUE(picture(2, column) == picture(1, column)) << "column " << column;
}

TEST_F(MainFormTest, ARowsTooltipTellsItsStateThenTheWholeTextOfACutCellAndAHugeCellOnlyItsFirstBytes)
{
    const int row = addTask(Status::New, Process::Idle);
    // Its secrets stay in the cell; the tooltip masks them.
    const std::string path = "127.0.0.1:1/<b>" + std::string(200, 'a') + ".bin?sig=";
    const std::string longUrl = "http://user:***@" + path + "***";
    form->table().setCell(ColUrl, row, "http://user:p/ss#1@" + path + "abc");
    form->table().setCell(ColPath, row, std::string(5'000'000, 'p')); // a hand-made list
    form->show();
    TaskGrid& grid = *form->GridOfFiles;
    const auto index = [&](int column) { return grid.model()->index(row - 1, column); };
    EXPECT_EQ(grid.tipText(index(ColFileName)), "Not started yet");
    EXPECT_EQ(grid.tipText(index(ColUrl)).toStdString(), "Not started yet\n" + longUrl);
    EXPECT_EQ(grid.cutText(index(ColPath)).size(), 4096);
    EXPECT_GT(pixelsOf(gridImage(), QColor(0, 179, 0)), 500); // drawn, selection and all

    // Shown as plain text also when it begins with what looks like markup (a row of a hand-made
    // list with no state to tell), and brought up to date while it is shown.
    form->table().setCell(ColStatus, row, "");
    const QRect cell = grid.visualRect(index(ColUrl));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid.viewport(), &hover);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("/&lt;b&gt;aaa"))) << QToolTip::text().toStdString();
    form->table().setCell(ColStatus, row, std::string(Status::Cancelled));
    grid.refreshTip();
    EXPECT_EQ(QToolTip::text().toStdString(), "Cancelled\n" + longUrl);
    QToolTip::hideText();
}

TEST_F(MainFormTest, MissingPicturesLeaveCellsBlankWithoutAMessage)
{
    std::filesystem::remove_all(programDir.path() / "pic");
    addTask(Status::Done, Process::Idle);
    const QImage grid = gridImage();
    EXPECT_EQ(pixelsOf(grid.copy(0, 0, 59, 20), QColor(0x18, 0xA0, 0x18)), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainFormTest, WithOnlyTheHeaderNothingIsGreen)
{
    EXPECT_EQ(pixelsOf(gridImage(), QColor(0, 179, 0)), 0);
}

TEST_F(MainFormTest, DoneSoundIsPlayedWithoutWaiting)
{
    form->PlayDoneSound();
    ASSERT_EQ(sound.files.size(), 1u);
    EXPECT_EQ(sound.files[0], programDir.file("winOrbelSysExit.wav"));
    EXPECT_TRUE(sound.images.empty());
}

TEST_F(MainFormTest, CloseWritesTheListAndAFailedSaveKeepsTheWindow)
{
    addTask(Status::Started, Process::Running);
    form->show();
    EXPECT_TRUE(form->close());
    const std::string saved = readFile(programDir.path() / "vt_tasks.log");
    EXPECT_EQ(saved.substr(0, 7), "10\r\n2\r\n");
    EXPECT_NE(saved.find("\r\n2\r\n2\r\nf.bin\r\n"), std::string::npos);
}

TEST_F(MainFormTest, FailedSaveAtCloseLeavesTheWindowOpenAndWorking)
{
    std::filesystem::remove(programDir.path() / "vt_tasks.log");
    std::filesystem::create_directory(programDir.path() / "vt_tasks.log");
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Error);
    EXPECT_TRUE(form->Timer1.isActive());
}

TEST_F(MainFormTest, StartUpLoadsTheDefaultListAndFillsThePath)
{
    form.reset();
    writeFile(programDir.path() / "vt_tasks.log",
              "10\r\n2\r\n3\r\n0\r\nf.zip\r\n1 Byte\r\n1 Byte\r\nhttp://h/f.zip\r\n/tmp\r\n\r\n\r\nNo\r\n");
    createForm();
    EXPECT_EQ(form->table().rowCount(), 2);
    EXPECT_EQ(form->table().fixedRows(), 1);
    EXPECT_EQ(form->table().currentRow(), 1);
    EXPECT_EQ(form->table().cell(ColUrl, 1), "http://h/f.zip");
    EXPECT_EQ(form->defaultPath(), programDir.file("dl"));
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(form->Timer1.interval(), 5000);
}

TEST_F(MainFormTest, ChangesReachTheRecoveryCopyAndANormalCloseRemovesIt)
{
    const std::string copy = programDir.file("vt_tasks.log.recover");
    addTask(Status::New, Process::Idle);
    ASSERT_TRUE(session->recoveryCopy().isPending());
    session->recoveryCopy().flushNow();
    EXPECT_NE(readFile(copy).find("http://127.0.0.1:1/f.bin"), std::string::npos);
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(MainFormTest, StartUpAfterACrashRestoresFromTheRecoveryCopy)
{
    addTask(Status::Started, Process::Idle, "kept.bin");
    session->recoveryCopy().flushNow();
    form.reset(); // as if killed: no save at close
    createForm();
    EXPECT_EQ(form->table().cell(ColFileName, 1), "kept.bin");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Information);
    EXPECT_EQ(session->listFile().currentListFile(), session->listFile().defaultListFile());
}

TEST_F(MainFormTest, NewOpensTheEditorInAddModeAndEditInModifyMode)
{
    form->show();
    bool shown = false;
    bool modify = true;
    const auto closeWhenOpen = [&] {
        QTimer::singleShot(0, [&] {
            shown = form->EditTaskForm->isVisible();
            modify = session->editorMode().isModify();
            form->EditTaskForm->reject();
        });
    };
    closeWhenOpen();
    form->action("Newtask1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(modify);

    const int row = addTask(Status::Started, Process::Idle);
    shown = false;
    closeWhenOpen();
    emit form->QelButton2->OnClick(form->QelButton2);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(modify);
    EXPECT_FALSE(session->editorMode().isModify());

    form->table().setCell(ColProcess, row, "2");
    shown = false;
    form->action("Edit1")->trigger(); // a running task is not edited: nothing opens
    EXPECT_FALSE(shown);
}

TEST_F(MainFormTest, SelectDirOpensTheFolderPicker)
{
    form->show();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = form->Form2->isVisible();
        form->Form2->reject();
    });
    emit form->QelButton9->OnClick(form->QelButton9);
    EXPECT_TRUE(shown);
}

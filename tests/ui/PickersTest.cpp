#include "EditorFixture.h"

#include "ui/DirectoryListBox.h"
#include "ui/DriveComboBox.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <filesystem>

using namespace zv;
using namespace zv::test;

namespace {

QString qPath(const std::filesystem::path& path)
{
    return QDir::cleanPath(QString::fromStdString(path.string()));
}

// A picker as the screen shows it, on white.
QImage rendered(QWidget& form)
{
    QImage image(form.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    form.render(&image);
    return image;
}

bool isFrameGreen(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == PickerForm::frameColor();
}

class FolderPicker : public EditorFixture {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.path() / "a");
        std::filesystem::create_directory(dir.path() / "b");
        list()->setDirectory(qPath(dir.path()));
        folderPicker.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&folderPicker));
        list()->doItemsLayout();
    }

    TDirectoryListBox* list() { return folderPicker.DirectoryListBox1; }
    int rowOf(const std::filesystem::path& folder)
    {
        for (int row = 0; row < list()->count(); ++row) {
            if (list()->entryDirectory(row) == qPath(folder))
                return row;
        }
        return -1;
    }
    QPoint centreOf(int row) { return list()->visualItemRect(list()->item(row)).center(); }
    // As the window system delivers one: press and release, then the double click.
    void doubleClick(const std::filesystem::path& folder)
    {
        const QPoint at = centreOf(rowOf(folder));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }
};

class DatePicker : public EditorFixture {
protected:
    QTableView* days() { return datePicker.MonthCalendar1->findChild<QTableView*>(); }
    // Where the shown month's day of that number is drawn (past the week-number column).
    QPoint centreOfDay(int day)
    {
        const QAbstractItemModel* model = days()->model();
        for (int row = 1; row < model->rowCount(); ++row) {
            for (int column = 1; column < model->columnCount(); ++column) {
                const QModelIndex cell = model->index(row, column);
                if (cell.data().toInt() == day)
                    return days()->visualRect(cell).center();
            }
        }
        return {};
    }
};

} // namespace

TEST_F(FolderPicker, ListsThePathDownFromTheRootThenTheSubdirectories)
{
    const int current = rowOf(dir.path());
    ASSERT_GE(current, 1);
    EXPECT_EQ(list()->entryDirectory(0), "/");
    EXPECT_EQ(list()->entryDirectory(current - 1), qPath(dir.path().parent_path()));
    EXPECT_EQ(list()->currentRow(), current);
    EXPECT_EQ(list()->count(), current + 3);
    EXPECT_EQ(rowOf(dir.path() / "a"), current + 1);
    EXPECT_EQ(rowOf(dir.path() / "b"), current + 2);
}

TEST_F(FolderPicker, SingleClickOnlyHighlightsAndOkTakesTheOpenedDirectory)
{
    const int a = rowOf(dir.path() / "a");
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centreOf(a));
    EXPECT_EQ(list()->currentRow(), a);
    EXPECT_EQ(list()->Directory(), qPath(dir.path()));

    doubleClick(dir.path() / "b");
    EXPECT_EQ(list()->Directory(), qPath(dir.path() / "b"));
    host.path = "before";
    folderPicker.BitBtn1->click();
    EXPECT_FALSE(folderPicker.isVisible());
    EXPECT_EQ(host.path, (dir.path() / "b").string());
    EXPECT_EQ(fieldText(editor.Edit4), (dir.path() / "b").string());
}

TEST_F(FolderPicker, EnterOpensTheHighlightedEntry)
{
    list()->setFocus();
    list()->setCurrentRow(rowOf(dir.path() / "a"));
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(list()->Directory(), qPath(dir.path() / "a"));
    EXPECT_TRUE(folderPicker.isVisible());
    list()->setCurrentRow(0);
    QTest::keyClick(list(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(list()->Directory(), "/");
}

TEST_F(FolderPicker, CancelChangesNeitherField)
{
    host.path = "default";
    editor.Edit4->setText("editor");
    doubleClick(dir.path() / "a");
    ASSERT_EQ(list()->Directory(), qPath(dir.path() / "a"));
    folderPicker.BitBtn2->click();
    EXPECT_FALSE(folderPicker.isVisible());
    EXPECT_EQ(host.path, "default");
    EXPECT_EQ(fieldText(editor.Edit4), "editor");
}

TEST_F(FolderPicker, SelectDirFromTheEditorAlsoSetsTheDefaultPath)
{
    folderPicker.hide();
    openEditor();
    duringModalRun(folderPicker, [this] { folderPicker.BitBtn1->click(); });
    editor.QelButton5->Click();
    EXPECT_EQ(host.path, dir.path().string());
    EXPECT_EQ(fieldText(editor.Edit4), dir.path().string());
    editor.reject();
    host.path = (dir.path() / "a").string();
    openEditor();
    EXPECT_EQ(fieldText(editor.Edit4), (dir.path() / "a").string()) << "the next opening starts there";
}

TEST_F(FolderPicker, AVanishedDirectoryShowsItsNearestAncestor)
{
    list()->setDirectory(qPath(dir.path() / "gone" / "deeper"));
    EXPECT_EQ(list()->Directory(), qPath(dir.path()));
}

TEST_F(FolderPicker, DriveBoxAndDirectoryListFollowEachOther)
{
    TDriveComboBox* drives = folderPicker.DriveComboBox1;
    drives->setDrives({{"/", "/"}, {qPath(dir.path()), "temporary"}, {qPath(dir.path() / "b"), "b drive"}});
    list()->setDirectory(qPath(dir.path() / "a"));
    EXPECT_EQ(drives->currentText(), "temporary");
    emit drives->activated(2);
    EXPECT_EQ(list()->Directory(), qPath(dir.path() / "b"));
    EXPECT_EQ(drives->currentText(), "b drive");
    list()->setDirectory("/");
    EXPECT_EQ(drives->currentText(), "/");
}

TEST_F(FolderPicker, EachOpeningListsTheMountsOfThatMomentAndHighlightsOnlyTheCurrentDirectory)
{
    QList<TDriveComboBox::DriveEntry> mounted{{"/", "/"}};
    folderPicker.DriveComboBox1->setDriveSource([&mounted] { return mounted; });
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centreOf(rowOf(dir.path() / "a")));
    folderPicker.BitBtn2->click();
    mounted.append({qPath(dir.path()), "new disk"});

    folderPicker.show();
    const int current = rowOf(dir.path());
    EXPECT_EQ(list()->currentRow(), current);
    EXPECT_EQ(list()->selectedItems(), QList<QListWidgetItem*>{list()->item(current)});
    EXPECT_EQ(folderPicker.DriveComboBox1->count(), 2);
    EXPECT_EQ(folderPicker.DriveComboBox1->currentText(), "new disk");
}

TEST(FolderPickerDrives, HomeFolderComesFirstAndTheRootIsOffered)
{
    const auto drives = TDriveComboBox::systemDrives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.front().root, QDir::cleanPath(QDir::homePath()));
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(), [](const auto& drive) { return drive.root == "/"; }));
    EXPECT_FALSE(std::any_of(drives.begin(), drives.end(), [](const auto& drive) { return drive.root.startsWith("/proc"); }));
}

TEST(FolderPickerStart, StartsInTheWorkingDirectory)
{
    RecordingHost host;
    TForm2 picker(host);
    EXPECT_EQ(picker.DirectoryListBox1->Directory(), QDir::cleanPath(QDir::currentPath()));
}

TEST_F(FolderPicker, BorderlessWithAGreenFrame)
{
    EXPECT_TRUE(folderPicker.windowFlags() & Qt::FramelessWindowHint);
    const QImage image = rendered(folderPicker);
    EXPECT_TRUE(isFrameGreen(image, 2, 1));
    EXPECT_TRUE(isFrameGreen(image, 3, 2));
    EXPECT_TRUE(isFrameGreen(image, 170, 272));
    EXPECT_FALSE(isFrameGreen(image, 4, 3));
    EXPECT_FALSE(isFrameGreen(image, 1, 0));
    EXPECT_FALSE(isFrameGreen(image, 171, 273));
}

// --- the date picker ---------------------------------------------------------------------

// OK writing the short date is held by the Enter case below and by the editor's schedule test.
TEST_F(DatePicker, StartsAtToday)
{
    EXPECT_EQ(datePicker.MonthCalendar1->selectedDate(), QDate(2007, 4, 14));
}

TEST_F(DatePicker, ADoubleClickOnlySelectsTheDayAndEnterPressesOk)
{
    editor.Edit2->setText("field");
    datePicker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&datePicker));
    const QPoint day = centreOfDay(20);
    QTest::mouseClick(days()->viewport(), Qt::LeftButton, {}, day);
    QTest::mouseDClick(days()->viewport(), Qt::LeftButton, {}, day);
    EXPECT_EQ(datePicker.MonthCalendar1->selectedDate(), QDate(2007, 4, 20));
    EXPECT_TRUE(datePicker.isVisible());
    EXPECT_EQ(fieldText(editor.Edit2), "field");

    days()->setFocus();
    QTest::keyClick(days(), Qt::Key_Return);
    EXPECT_FALSE(datePicker.isVisible());
    EXPECT_EQ(fieldText(editor.Edit2), "20.04.2007");
}

TEST_F(DatePicker, KeepsItsSelectionAndIgnoresTheField)
{
    datePicker.MonthCalendar1->setSelectedDate(QDate(2007, 10, 10));
    openEditor();
    editor.Edit2->setText("01.01.2001");
    QDate shown;
    duringModalRun(datePicker, [&] { shown = datePicker.MonthCalendar1->selectedDate(); });
    editor.QelButton1->Click();
    EXPECT_EQ(shown, QDate(2007, 10, 10));
    EXPECT_EQ(fieldText(editor.Edit2), "01.01.2001") << "closing other than by OK changes nothing";
}

TEST_F(DatePicker, IsBorderlessWithAGreenFrame)
{
    EXPECT_TRUE(datePicker.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(datePicker.MonthCalendar1->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
    EXPECT_TRUE(datePicker.BitBtn1->isDefault());
    const QImage image = rendered(datePicker);
    EXPECT_TRUE(isFrameGreen(image, 2, 3));
    EXPECT_TRUE(isFrameGreen(image, 511, 285));
    EXPECT_FALSE(isFrameGreen(image, 4, 5));
    EXPECT_FALSE(isFrameGreen(image, 512, 286));
}

#include "LayoutChecks.h"
#include "MainFormFixture.h"

#include "app/AboutU.h"
#include "ui/BrowseForFolders.h"
#include "ui/ByteLineEdit.h"
#include "ui/CalendarU.h"
#include "ui/DriveComboBox.h"
#include "ui/ExtentionsU.h"
#include "ui/PreferencesForm.h"
#include "ui/QelButton.h"
#include "ui/TaskGrid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>

using namespace zv;
using namespace zv::test;

namespace {

using Faults = std::vector<std::string>;

class MainFormLayout : public MainFormFixture {
protected:
    MainFormLayout() { createForm(); }

    // The menu bar's menus, then the grid's and the tray icon's.
    std::vector<QMenu*> menus() const
    {
        std::vector<QMenu*> all;
        for (const QAction* title : form->menuBar()->actions())
            all.push_back(title->menu());
        all.push_back(form->PopupMenu1);
        all.push_back(form->PopupMenu2);
        return all;
    }

    // A menu as it reads: each item with its key, "-" for a separator.
    static QStringList entries(const QMenu* menu)
    {
        QStringList items;
        for (const QAction* item : menu->actions()) {
            const QString key = item->shortcut().isEmpty() ? QString() : " [" + item->shortcut().toString() + "]";
            items << (item->isSeparator() ? QStringLiteral("-") : item->text() + key);
        }
        return items;
    }
};

} // namespace

TEST_F(MainFormLayout, NoControlIsCutOffOrCoveredAndEveryTextFitsItsControlOrColumn)
{
    addTask(Status::New, Process::Idle);
    form->show();
    // Named mounts of a fixed length: the machine's own may be of any length.
    form->Form2->DriveComboBox1->setDrives({{"/", "/"}, {"/media/usb", "usb"}});
    const std::vector<const QWidget*> windows{form.get(), form->About, form->Form2, form->Form4, form->PreferencesForm};
    for (const QWidget* window : windows)
        EXPECT_EQ(layoutFaults(*window), Faults{}) << window->metaObject()->className();

    // The editor was drawn with its date and time fields one pixel under the buttons below them.
    const TEditTaskForm& editor = *form->EditTaskForm;
    EXPECT_EQ(layoutFaults(editor, {{editor.Edit2, editor.QelButton3, 1}, {editor.Edit3, editor.QelButton2, 1}}),
              Faults{});
}

// The windows draw on fixed colours: a dark desktop palette must not make their captions fade.
TEST_F(MainFormLayout, EveryCaptionCanBeReadUnderADarkPalette)
{
    struct DarkPalette {
        DarkPalette()
        {
            QPalette dark(QColor(53, 53, 53), QColor(53, 53, 53)); // white texts, black fields
            dark.setColor(QPalette::Base, QColor(42, 42, 42));
            QApplication::setPalette(dark);
        }
        ~DarkPalette() { QApplication::setPalette(light); }
        const QPalette light = QApplication::palette();
    } dark;
    createForm(); // under the dark palette from the start, as a desktop's palette is
    addTask(Status::New, Process::Idle);
    form->show();
    for (QWidget* window : std::initializer_list<QWidget*>{form.get(), form->EditTaskForm, form->About, form->Form2,
                                                           form->Form4, form->PreferencesForm})
        EXPECT_EQ(captionContrastFaults(*window), Faults{}) << window->metaObject()->className();
}

TEST_F(MainFormLayout, TheButtonRowReadsLeftToRightAndOnlyClearHasNoPicture)
{
    std::vector<TQelButton*> row{form->QelButton1, form->QelButton2, form->QelButton3,
                                 form->QelButton4, form->QelButton5, form->QelButton6,
                                 form->QelButton7, form->QelButton8, form->QelButton10};
    std::sort(row.begin(), row.end(), [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    QStringList captions;
    for (const TQelButton* button : row) {
        captions << button->Caption();
        EXPECT_EQ(button->Glyph().isNull(), button->Caption() == "Clear") << button->Caption().toStdString();
    }
    EXPECT_EQ(captions, QStringList({"New", "Edit", "Start", "Start all", "Stop", "Stop all", "Delete",
                                     "Delete all", "Clear"}));
    EXPECT_EQ(form->Label2->text(), "Default path for files:");
    EXPECT_EQ(form->Label3->text(), "Speed of refresh:");
    EXPECT_EQ(form->Label1->text(), "Tasks List:");
}

TEST_F(MainFormLayout, MenusOfferTheCommandsInOrderWithTheirKeys)
{
    QStringList titles;
    for (const QAction* title : form->menuBar()->actions())
        titles << title->text();
    ASSERT_EQ(titles, QStringList({"File", "Tasks", "Help"}));
    const std::vector<QMenu*> all = menus();
    EXPECT_EQ(entries(all[0]), QStringList({"Open database", "New database", "Save database as..", "-", "Exit"}));
    EXPECT_EQ(entries(all[1]),
              QStringList({"New task [Ctrl+F5]", "Edit task [Ctrl+E]", "-", "Start [F8]", "Start all [F9]", "-",
                           "Pause [Ctrl+C]", "Pause all [Ctrl+S]", "-", "Delete [Ctrl+D]", "Delete all [Ctrl+Shift+D]",
                           "-", "Preferences... [Ctrl+P]"}));
    EXPECT_EQ(entries(all[2]), QStringList({"Support [F1]", "-", "Zare Vantrel home page",
                                            "Zare Vantrel download manager page", "-", "About [Ctrl+A]"}));
    EXPECT_EQ(entries(all[3]),
              QStringList({"Start copying for current task", "Start copying for all tasks", "-", "Stop task",
                           "Stop all task", "-", "Cancel task", "Cancel all tasks", "-", "Edit", "-",
                           "Open downloaded file", "Open destination directory", "-", "Change address..."}));
    EXPECT_EQ(entries(all[4]), QStringList({"Open", "-", "Limit speed", "-", "Close"}));
}

// Every item can be chosen, and its key runs that item once, pressed where the focus usually is
// (the grid) or in the path field with its text selected, except the keys the field edits its
// text with (Ctrl+C copies there, Ctrl+A selects).
TEST_F(MainFormLayout, EveryMenuItemIsEnabledAndItsKeyRunsItFromTheGridAndThePathFieldUnlessTheFieldEditsWithIt)
{
    // With a speed limit typed, so that "Limit speed" can be chosen too.
    settings.values[{"Downloads", "SpeedLimit"}] = "1048576";
    createForm();
    form->show();
    const std::vector<QWidget*> focusPlaces{form->GridOfFiles, form->Edit3};
    int keys = 0;
    for (const QMenu* menu : menus()) {
        for (QAction* item : menu->actions()) {
            EXPECT_TRUE(item->isEnabled() && item->isVisible()) << item->text().toStdString();
            if (item->shortcut().isEmpty())
                continue;
            for (QWidget* focus : focusPlaces) {
                ++keys;
                // Back to the window: offscreen, a closed dialog keeps the activation to itself.
                form->windowHandle()->requestActivate();
                ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == form->windowHandle(); }));
                focus->setFocus();
                form->Edit3->selectAll();
                QSignalSpy runs(item, &QAction::triggered);
                QTimer::singleShot(0, form.get(), [] { // closes a dialog the item opens
                    if (QWidget* dialog = QApplication::activeModalWidget())
                        dialog->close();
                });
                const QKeyCombination key = item->shortcut()[0];
                QTest::keyClick(focus, key.key(), key.keyboardModifiers());
                const bool edits = focus == form->Edit3
                                && (key == (Qt::CTRL | Qt::Key_C) || key == (Qt::CTRL | Qt::Key_A));
                EXPECT_EQ(runs.count(), edits ? 0 : 1)
                    << item->shortcut().toString().toStdString() << " in " << focus->metaObject()->className();
            }
        }
    }
    EXPECT_EQ(keys, 22);
}

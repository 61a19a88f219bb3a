#pragma once

#include "transfer/TaskSessionView.h"
#include "ui/EditorHost.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;

namespace zv {

class Clock;
class Dialogs;
class FormatSettings;
class NotifyIconShell;
class Shell;
class Sound;
class TAbout;
class TEditTaskForm;
class TForm2;
class TForm4;
class TPreferencesForm;
class TQelButton;
class TShape;
class TTrayIcon;
class TaskGrid;
class TaskSession;
class TaskTable;
struct GridDrawState;

// What the main window reaches besides its task session; main() makes the real ones, tests
// their fakes.
struct MainFormServices {
    const FormatSettings& formats;
    const Clock& clock;
    Dialogs& dialogs;
    Dialogs& editorDialogs; // the task editor's boxes, owned by the editor
    Shell& shell;
    NotifyIconShell& trayShell;
    Sound& sound;
    std::string programDir;                     // the executable's folder
    std::function<std::string()> downloadFolder; // fills the default path field
};

// The program's one working window over a task session: the task grid, its commands, the
// default path and the refresh speed, the connection indicator and the notification-area icon.
// The session, which main() owns, outlives it.
class TMainForm final : public QMainWindow, private TaskSessionView, public EditorHost {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 793;
    static constexpr int ClientHeight = 463;
    // Twice a second: a shown tooltip is never more than half a second behind.
    static constexpr int ProgressIntervalMs = 500;

    TMainForm(TaskSession& session, MainFormServices services, QWidget* parent = nullptr);
    // Ends the session's workers, their last reports landing while the window still exists.
    ~TMainForm() override;

    // The table the grid shows: the session's.
    TaskTable& table() const;

    // Components, under the names the handlers use.
    QWidget* client() const { return m_client; }
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    TShape* Shape1 = nullptr;
    TShape* Shape2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QComboBox* SpeedFresh = nullptr;
    TQelButton* QelButton1 = nullptr;
    TQelButton* QelButton2 = nullptr;
    TQelButton* QelButton3 = nullptr;
    TQelButton* QelButton4 = nullptr;
    TQelButton* QelButton5 = nullptr;
    TQelButton* QelButton6 = nullptr;
    TQelButton* QelButton7 = nullptr;
    TQelButton* QelButton8 = nullptr;
    TQelButton* QelButton9 = nullptr;
    TQelButton* QelButton10 = nullptr;
    TaskGrid* GridOfFiles = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QTimer Timer1;
    // Reads the running transfers' meters for the progress tooltip.
    QTimer ProgressTimer;
    TTrayIcon* TrayIcon = nullptr;
    TAbout* About = nullptr;
    TForm2* Form2 = nullptr;          // the folder picker
    TForm4* Form4 = nullptr;          // the date picker
    TEditTaskForm* EditTaskForm = nullptr;
    TPreferencesForm* PreferencesForm = nullptr;

    // Every menu item by its caption's component name (for example "Pause1").
    QAction* action(const QString& name) const;

    // Handlers: each calls its operation and nothing else.
    void Opendatabase1Click();
    void Newdatabase1Click();
    void Savedatabaseas1Click();
    void Exit1Click();
    void Newtask1Click();
    void Edittask1Click();
    void Start1Click();
    void Startall1Click();
    void Pause1Click();
    void Pauseall1Click();
    void Delete1Click();
    void Deleteall1Click();
    void Preferences1Click();
    void Support1Click();
    void Homepage1Click();
    void Productpage1Click();
    void About1Click();
    void QelButton1Click();
    void QelButton2Click();
    void QelButton3Click();
    void QelButton4Click();
    void QelButton5Click();
    void QelButton6Click();
    void QelButton7Click();
    void QelButton8Click();
    void QelButton9Click();
    void QelButton10Click();
    void Startcopy1Click();
    void Startcopingforall1Click();
    void Stoptask1Click();
    void Stopalltask1Click();
    void Cancelthetask1Click();
    void Clearalltasks1Click();
    void Edit1Click();
    void Opendownloadedfile1Click();
    void Opendestinationdirectory1Click();
    void Changeaddress1Click();
    void Open1Click();
    void Limitspeed1Click();
    void Close1Click();
    void TrayIconDblClick();
    void Timer1Timer();
    void ProgressTimerTimer();
    void PlayDoneSound() override;
    void queueChanged() override;
    void GridOfFilesDrawCell(QPainter& painter, int column, int row, const QRect& rect,
                             const GridDrawState& state);

    // The operations of this window.
    void openDownloadedFile();
    void openDestinationDirectory();
    void openHelpPage();
    void showAboutBox();
    // Hides the window and its taskbar entry to the notification area; where the desktop has
    // none, the window minimises normally. Returns whether it was hidden.
    bool minimiseToNotificationArea();
    void showMainWindow();
    // A close asked for from outside (a signal, the session's end): open dialogs end as if
    // cancelled, then the window closes as "Exit" does, except that a list that cannot be
    // saved ends the program all the same (exitReport() says why).
    void closeOnRequest();
    // After closedForGood: the program's exit status, and the line for standard error when
    // a requested close could not save the list.
    int exitCode() const { return m_exitReport.empty() ? 0 : 1; }
    const std::string& exitReport() const { return m_exitReport; }

    std::string defaultPath() const override;
    void setDefaultPath(const std::string& path) override;
    int refreshSpeedItem() const override;

signals:
    // The window closed for good: the list was written.
    void closedForGood();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createClient();
    void createButtonRow();
    void createGrid();
    void createMenus();
    void createMenuKeys();
    void createTrayIcon();
    void createDialogs();
    // The tray's "Limit speed" as the preferences stand: checked while the limit is on, greyed
    // while none is typed.
    void showSpeedLimitSwitch();
    TQelButton* makeButton(const QString& caption, const char* glyph, int left, int width);
    QAction* addAction(QMenu* menu, const QString& name, const QString& caption, void (TMainForm::*handler)(),
                       const QKeySequence& key = {});
    void drawStatePicture(QPainter& painter, const QRect& rect, const char* file);
    bool showPictureFile(const std::string& path) override;

    TaskSession& m_session;
    MainFormServices m_services;
    QWidget* m_client = nullptr;
    // The refresh speed's open list; compared, never called, since it may be going already.
    QObject* m_speedFreshList = nullptr;
    std::map<QString, QAction*> m_actions;
    bool m_closedForGood = false;
    bool m_hiddenToNotificationArea = false;
    bool m_closeRequested = false;
    std::string m_exitReport;
};

} // namespace zv

#include "app/MainFormU.h"

#include "app/AboutU.h"
#include "platform/text/ApplicationTitle.h"
#include "platform/text/ByteText.h"
#include "platform/services/Dialogs.h"
#include "platform/desktop/NotifyIconShell.h"
#include "platform/files/Paths.h"
#include "platform/desktop/Resources.h"
#include "platform/services/Shell.h"
#include "platform/services/Sound.h"
#include "platform/threads/ThreadBase.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "transfer/AddressChange.h"
#include "transfer/FileNames.h"
#include "transfer/RefreshSpeed.h"
#include "transfer/TaskSession.h"
#include "ui/BrowseForFolders.h"
#include "ui/CalendarU.h"
#include "ui/EditorServices.h"
#include "ui/ExtentionsU.h"
#include "ui/FixedPalette.h"
#include "ui/PreferencesForm.h"
#include "ui/QelButton.h"
#include "ui/TShape.h"
#include "ui/TaskGrid.h"
#include "ui/TaskTableModel.h"
#include "ui/TrayIcon.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QWindowStateChangeEvent>

#include <filesystem>
#include <system_error>

namespace zv {

namespace {

const QColor PanelFill(192, 220, 192);
const QColor PanelBorder(0, 128, 0);
const QColor SelectedFill(0, 179, 0);
constexpr ColorValue ButtonFace = ColorValue::rgb(244, 255, 236);
constexpr int ColumnWidths[TaskTable::ColumnCount] = {59, 55, 122, 136, 118, 119, 146, 137, 157, 64};
constexpr int PictureLeft = 20;
constexpr int PictureTop = 3;
const char* const HomePage = "https://zarevantrel.example/";
const char* const ProductPage = "https://zarevantrel.example/download-manager/";

QFont pixelFont(const char* family, int pixels)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    return font;
}

// The banner behind the upper controls: a green field with the program's name over white.
QPixmap bannerPicture()
{
    QPixmap banner(449, 209);
    banner.fill(Qt::white);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    // Dark enough under the white texts all the way across to keep them readable.
    QLinearGradient field(0, 0, 449, 0);
    field.setColorAt(0, QColor(0, 90, 0));
    field.setColorAt(1, QColor(24, 128, 24));
    painter.fillRect(QRect(0, 0, 449, 80), field);
    painter.drawImage(QRect(14, 14, 48, 48), Resources::image(QStringLiteral("ZVICON")));
    QFont title = pixelFont("Verdana", 30);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(74, 10, 370, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zare Vantrel"));
    painter.setFont(pixelFont("Verdana", 12));
    painter.drawText(QRect(76, 48, 370, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("HTTP and HTTPS downloads: pause, resume, schedule"));
    return banner;
}

} // namespace

TMainForm::TMainForm(TaskSession& session, MainFormServices services, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_services(std::move(services))
{
    m_session.setView(this);
    FormCreate();
}

TMainForm::~TMainForm()
{
    Timer1.stop();
    ProgressTimer.stop();
    // Workers end first, while everything their last reports reach still exists; then the
    // session forgets the window, whose widgets that listen to the table go.
    m_session.endWorkers();
    m_session.setView(nullptr);
    delete TrayIcon;
    delete m_client;
}

TaskTable& TMainForm::table() const
{
    return m_session.table();
}

void TMainForm::FormCreate()
{
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(Resources::image(QStringLiteral("ZVICON")))));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Progress is read at a glance while another window has the focus.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_session.editorMode().setAdd();
    ThreadBase::applyToCurrentThread(ThreadPriority::Highest);
    createClient();
    // The window opens on the task list, where the menu's keys act on the selected task.
    GridOfFiles->setFocus();
    createMenus();
    createTrayIcon();
    Edit3->setText(ByteText::decode(m_services.downloadFolder ? m_services.downloadFolder() : std::string()));
    m_session.loadAtStartUp();
    showSpeedLimitSwitch();

    createDialogs();

    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1.setInterval(ScheduleWatch::IntervalMs);
    connect(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1.start();
    ProgressTimer.setInterval(ProgressIntervalMs);
    connect(&ProgressTimer, &QTimer::timeout, this, &TMainForm::ProgressTimerTimer);
    ProgressTimer.start();
}

void TMainForm::createClient()
{
    m_client = new QWidget(this);
    m_client->setFixedSize(ClientWidth, ClientHeight);
    m_client->setFont(pixelFont("MS Sans Serif", 11));
    FixedPalette::applyWhite(*m_client);
    setCentralWidget(m_client);

    Image2 = new QLabel(m_client);
    Image2->setGeometry(0, 0, 449, 209);
    Image2->setPixmap(bannerPicture());
    Image1 = new QLabel(m_client);
    Image1->setGeometry(773, 2, 17, 17);
    Image1->setPixmap(QPixmap::fromImage(Resources::image(QStringLiteral("INDICATOR"))));

    Shape1 = new TShape(TShape::stRoundRect, PanelFill, PanelBorder, 2, m_client);
    Shape1->setGeometry(136, 104, 585, 37);
    Shape2 = new TShape(TShape::stRectangle, PanelFill, PanelBorder, 2, m_client);
    Shape2->setGeometry(8, 152, 777, 305);

    const QFont verdana = pixelFont("Verdana", 13);
    const auto label = [&](const char* text, int left, int top) {
        auto* created = new QLabel(QString::fromLatin1(text), m_client);
        created->setFont(verdana);
        created->adjustSize();
        created->move(left, top);
        return created;
    };
    Label2 = label("Default path for files:", 144, 88);
    Label3 = label("Speed of refresh:", 560, 88);
    Label1 = label("Tasks List:", 16, 136);

    Edit3 = new QLineEdit(m_client);
    Edit3->setGeometry(144, 113, 297, 19);
    Edit3->setFrame(false);
    Edit3->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #808080; background: white; }"));

    QelButton9 = new TQelButton(m_client);
    QelButton9->setCaption(QStringLiteral("Select DIR"));
    QelButton9->setFont(verdana);
    QelButton9->setButtonStyle(TQelCustomButton::stFlat);
    QelButton9->setColor(ButtonFace);
    QelButton9->setGeometry(444, 114, 69, 17);
    connect(QelButton9, &TQelCustomButton::OnClick, this, &TMainForm::QelButton9Click);

    SpeedFresh = new QComboBox(m_client);
    for (const char* item : RefreshSpeed::ItemTexts)
        SpeedFresh->addItem(QString::fromLatin1(item));
    SpeedFresh->setCurrentIndex(RefreshSpeed::DefaultItem);
    SpeedFresh->setGeometry(560, 110, 145, SpeedFresh->sizeHint().height());
    SpeedFresh->installEventFilter(this);
    m_speedFreshList = SpeedFresh->view();
    m_speedFreshList->installEventFilter(this);

    createButtonRow();
    createGrid();
}

TQelButton* TMainForm::makeButton(const QString& caption, const char* glyph, int left, int width)
{
    auto* button = new TQelButton(m_client);
    button->setFont(pixelFont("Verdana", 13));
    button->setCaption(caption);
    button->setButtonStyle(TQelCustomButton::stFlat);
    button->setColor(ButtonFace);
    button->setHotTrack(true);
    if (glyph)
        button->setGlyph(Resources::image(QString::fromLatin1(glyph)));
    button->setGeometry(left, 157, width, 33);
    return button;
}

void TMainForm::createButtonRow()
{
    QelButton1 = makeButton(QStringLiteral("New"), "BTNNEW", 18, 73);
    QelButton2 = makeButton(QStringLiteral("Edit"), "BTNEDIT", 96, 81);
    QelButton3 = makeButton(QStringLiteral("Start"), "BTNSTART", 184, 73);
    QelButton4 = makeButton(QStringLiteral("Start all"), "BTNSTARTALL", 264, 89);
    QelButton5 = makeButton(QStringLiteral("Stop"), "BTNSTOP", 360, 73);
    QelButton6 = makeButton(QStringLiteral("Stop all"), "BTNSTOPALL", 440, 89);
    QelButton7 = makeButton(QStringLiteral("Delete"), "BTNDELETE", 536, 81);
    QelButton8 = makeButton(QStringLiteral("Delete all"), "BTNDELETEALL", 624, 97);
    QelButton10 = makeButton(QStringLiteral("Clear"), nullptr, 728, 49);
    const std::pair<TQelButton*, void (TMainForm::*)()> handlers[] = {
        {QelButton1, &TMainForm::QelButton1Click}, {QelButton2, &TMainForm::QelButton2Click},
        {QelButton3, &TMainForm::QelButton3Click}, {QelButton4, &TMainForm::QelButton4Click},
        {QelButton5, &TMainForm::QelButton5Click}, {QelButton6, &TMainForm::QelButton6Click},
        {QelButton7, &TMainForm::QelButton7Click}, {QelButton8, &TMainForm::QelButton8Click},
        {QelButton10, &TMainForm::QelButton10Click}};
    for (const auto& [button, handler] : handlers)
        connect(button, &TQelCustomButton::OnClick, this, handler);
}

void TMainForm::createGrid()
{
    GridOfFiles = new TaskGrid(table(), m_client);
    GridOfFiles->setGeometry(16, 192, 761, 257);
    GridOfFiles->setFont(pixelFont("Arial", 13));
    GridOfFiles->horizontalHeader()->setFont(pixelFont("Arial", 13));
    for (int column = 0; column < TaskTable::ColumnCount; ++column)
        GridOfFiles->setColumnWidth(column, ColumnWidths[column]);
    GridOfFiles->setOnDrawCell([this](QPainter& painter, int column, int row, const QRect& rect,
                                      const GridDrawState& state) {
        GridOfFilesDrawCell(painter, column, row, rect, state);
    });
    GridOfFiles->setOnRowTip([this](int row) { return m_session.progress().tip(row); });
    GridOfFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GridOfFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_actions.at("Changeaddress1")->setEnabled(AddressChange::mayChange(table(), table().currentRow()));
        PopupMenu1->popup(GridOfFiles->viewport()->mapToGlobal(at));
    });
}

QAction* TMainForm::addAction(QMenu* menu, const QString& name, const QString& caption,
                              void (TMainForm::*handler)(), const QKeySequence& key)
{
    QAction* created = menu->addAction(caption);
    created->setObjectName(name);
    if (!key.isEmpty())
        created->setShortcut(key);
    connect(created, &QAction::triggered, this, handler);
    m_actions[name] = created;
    return created;
}

void TMainForm::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    addAction(file, "Opendatabase1", "Open database", &TMainForm::Opendatabase1Click);
    addAction(file, "Newdatabase1", "New database", &TMainForm::Newdatabase1Click);
    addAction(file, "Savedatabaseas1", "Save database as..", &TMainForm::Savedatabaseas1Click);
    file->addSeparator();
    addAction(file, "Exit1", "Exit", &TMainForm::Exit1Click);

    QMenu* tasks = menuBar()->addMenu(QStringLiteral("Tasks"));
    addAction(tasks, "Newtask1", "New task", &TMainForm::Newtask1Click, QKeySequence(Qt::CTRL | Qt::Key_F5));
    addAction(tasks, "Edittask1", "Edit task", &TMainForm::Edittask1Click, QKeySequence(Qt::CTRL | Qt::Key_E));
    tasks->addSeparator();
    addAction(tasks, "Start1", "Start", &TMainForm::Start1Click, QKeySequence(Qt::Key_F8));
    addAction(tasks, "Startall1", "Start all", &TMainForm::Startall1Click, QKeySequence(Qt::Key_F9));
    tasks->addSeparator();
    addAction(tasks, "Pause1", "Pause", &TMainForm::Pause1Click, QKeySequence(Qt::CTRL | Qt::Key_C));
    addAction(tasks, "Pauseall1", "Pause all", &TMainForm::Pauseall1Click, QKeySequence(Qt::CTRL | Qt::Key_S));
    tasks->addSeparator();
    addAction(tasks, "Delete1", "Delete", &TMainForm::Delete1Click, QKeySequence(Qt::CTRL | Qt::Key_D));
    addAction(tasks, "Deleteall1", "Delete all", &TMainForm::Deleteall1Click,
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    tasks->addSeparator();
    addAction(tasks, "Preferences1", "Preferences...", &TMainForm::Preferences1Click, QKeySequence(Qt::CTRL | Qt::Key_P));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    addAction(help, "Support1", "Support", &TMainForm::Support1Click, QKeySequence(Qt::Key_F1));
    help->addSeparator();
    addAction(help, "Homepage1", "Zare Vantrel home page", &TMainForm::Homepage1Click);
    addAction(help, "Productpage1", "Zare Vantrel download manager page", &TMainForm::Productpage1Click);
    help->addSeparator();
    addAction(help, "About1", "About", &TMainForm::About1Click, QKeySequence(Qt::CTRL | Qt::Key_A));

    createMenuKeys();

    PopupMenu1 = new QMenu(this);
    addAction(PopupMenu1, "Startcopy1", "Start copying for current task", &TMainForm::Startcopy1Click);
    addAction(PopupMenu1, "Startcopingforall1", "Start copying for all tasks", &TMainForm::Startcopingforall1Click);
    PopupMenu1->addSeparator();
    addAction(PopupMenu1, "Stoptask1", "Stop task", &TMainForm::Stoptask1Click);
    addAction(PopupMenu1, "Stopalltask1", "Stop all task", &TMainForm::Stopalltask1Click);
    PopupMenu1->addSeparator();
    addAction(PopupMenu1, "Cancelthetask1", "Cancel task", &TMainForm::Cancelthetask1Click);
    addAction(PopupMenu1, "Clearalltasks1", "Cancel all tasks", &TMainForm::Clearalltasks1Click);
    PopupMenu1->addSeparator();
    addAction(PopupMenu1, "Edit1", "Edit", &TMainForm::Edit1Click);
    PopupMenu1->addSeparator();
    addAction(PopupMenu1, "Opendownloadedfile1", "Open downloaded file", &TMainForm::Opendownloadedfile1Click);
    addAction(PopupMenu1, "Opendestinationdirectory1", "Open destination directory",
              &TMainForm::Opendestinationdirectory1Click);
    PopupMenu1->addSeparator();
    addAction(PopupMenu1, "Changeaddress1", "Change address...", &TMainForm::Changeaddress1Click);

    PopupMenu2 = new QMenu(this);
    addAction(PopupMenu2, "Open1", "Open", &TMainForm::Open1Click);
    PopupMenu2->addSeparator();
    addAction(PopupMenu2, "Limitspeed1", "Limit speed", &TMainForm::Limitspeed1Click)->setCheckable(true);
    PopupMenu2->addSeparator();
    addAction(PopupMenu2, "Close1", "Close", &TMainForm::Close1Click);
}

// F10 opens the first menu, Alt with a menu's first letter that menu; the captions stay as
// they are, with no "&" shown in them.
void TMainForm::createMenuKeys()
{
    const auto openOn = [this](const QKeySequence& key, QAction* title) {
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [this, title] { menuBar()->setActiveAction(title); });
    };
    const QList<QAction*> titles = menuBar()->actions();
    openOn(QKeySequence(Qt::Key_F10), titles.front());
    for (QAction* title : titles)
        openOn(QKeySequence(Qt::ALT | Qt::Key(title->text().front().toUpper().unicode())), title);
}

void TMainForm::createTrayIcon()
{
    TrayIcon = new TTrayIcon(this, m_services.trayShell);
    // In the order a stored form applies them: Active first, Animate before Icon.
    TrayIcon->setActive(true);
    TrayIcon->setAnimate(false);
    TrayIcon->setIcon(windowIcon());
    TrayIcon->setToolTip("Merrowtip");
    TrayIcon->setOnDblClick([this](QObject*) { TrayIconDblClick(); });
    TrayIcon->setPopupMenu(PopupMenu2);
}

void TMainForm::createDialogs()
{
    // Made once, after the list was loaded, and reused for every opening.
    Form2 = new TForm2(*this, this);
    Form4 = new TForm4(m_services.formats, m_services.clock, this);
    EditTaskForm = new TEditTaskForm({table(), m_session.commands(), m_session.editorMode(), m_services.editorDialogs, m_services.formats,
                                      m_services.clock, m_session.probes(), *this},
                                     *Form2, *Form4, this);
    About = new TAbout(m_services.shell, this);
    PreferencesForm = new TPreferencesForm({m_session, m_services.dialogs, m_services.formats}, this);
}

void TMainForm::showSpeedLimitSwitch()
{
    const DownloadPreferences& preferences = m_session.preferences();
    QAction* limitSpeed = action("Limitspeed1");
    limitSpeed->setEnabled(preferences.speedLimit != 0);
    limitSpeed->setChecked(preferences.limitInForce() != 0);
}

QAction* TMainForm::action(const QString& name) const
{
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

// Handlers. The buttons and the grid's menu run the Tasks menu's handlers.
void TMainForm::Opendatabase1Click() { m_session.openDatabase(); }
void TMainForm::Newdatabase1Click() { m_session.newDatabase(); }
void TMainForm::Savedatabaseas1Click() { m_session.listFile().saveDatabaseAs(); }
void TMainForm::Exit1Click() { close(); }
void TMainForm::Newtask1Click() { EditTaskForm->openInAddMode(); }
void TMainForm::Edittask1Click() { EditTaskForm->editCurrentTask(); }
void TMainForm::Start1Click() { m_session.commands().startCurrent(); }
void TMainForm::Startall1Click() { m_session.commands().startAll(); }
void TMainForm::Pause1Click() { m_session.commands().stopCurrent(); }
void TMainForm::Pauseall1Click() { m_session.commands().stopAll(); }
void TMainForm::Delete1Click() { m_session.commands().cancelCurrent(); }
void TMainForm::Deleteall1Click() { m_session.commands().cancelAll(); }
void TMainForm::Preferences1Click()
{
    PreferencesForm->openOnValuesInEffect();
    showSpeedLimitSwitch();
}
void TMainForm::Support1Click() { openHelpPage(); }
void TMainForm::Homepage1Click() { m_services.shell.openAddress(HomePage); }
void TMainForm::Productpage1Click() { m_services.shell.openAddress(ProductPage); }
void TMainForm::About1Click() { showAboutBox(); }
void TMainForm::QelButton1Click() { Newtask1Click(); }
void TMainForm::QelButton2Click() { Edittask1Click(); }
void TMainForm::QelButton3Click() { Start1Click(); }
void TMainForm::QelButton4Click() { Startall1Click(); }
void TMainForm::QelButton5Click() { Pause1Click(); }
void TMainForm::QelButton6Click() { Pauseall1Click(); }
void TMainForm::QelButton7Click() { Delete1Click(); }
void TMainForm::QelButton8Click() { Deleteall1Click(); }
void TMainForm::QelButton9Click() { Form2->exec(); }
void TMainForm::QelButton10Click() { m_session.commands().clear(); }
void TMainForm::Startcopy1Click() { Start1Click(); }
void TMainForm::Startcopingforall1Click() { Startall1Click(); }
void TMainForm::Stoptask1Click() { Pause1Click(); }
void TMainForm::Stopalltask1Click() { Pauseall1Click(); }
void TMainForm::Cancelthetask1Click() { Delete1Click(); }
void TMainForm::Clearalltasks1Click() { Deleteall1Click(); }
void TMainForm::Edit1Click() { Edittask1Click(); }
void TMainForm::Opendownloadedfile1Click() { openDownloadedFile(); }
void TMainForm::Opendestinationdirectory1Click() { openDestinationDirectory(); }

void TMainForm::Changeaddress1Click()
{
    const int row = table().currentRow();
    if (!AddressChange::mayChange(table(), row))
        return;
    const TaskId task = table().idOf(row);
    const auto url = m_services.dialogs.askText("New address of the file (http:// or https://):", "Change address",
                                                table().cell(ColUrl, row));
    if (url && *url != table().cell(ColUrl, table().rowOf(task)))
        m_session.commands().changeAddress(task, *url);
}
void TMainForm::Open1Click() { showMainWindow(); }
void TMainForm::Limitspeed1Click()
{
    DownloadPreferences switched = m_session.preferences();
    switched.speedLimitOn = !switched.speedLimitOn;
    m_session.setPreferences(switched);
    showSpeedLimitSwitch();
}
void TMainForm::Close1Click() { close(); }
void TMainForm::TrayIconDblClick() { showMainWindow(); }
void TMainForm::ProgressTimerTimer()
{
    m_session.progress().sample();
    GridOfFiles->refreshTip();
}

void TMainForm::Timer1Timer()
{
    m_session.scheduleWatch().Timer1Timer();
    // A notification area that appeared since the start (a panel started after the
    // program) gets the icon now, not only at the next minimise. One that went away (its
    // panel ended) would take a window hidden to it along: the window comes back.
    if (!m_services.trayShell.hasNotificationArea() && m_hiddenToNotificationArea)
        showMainWindow();
}

void TMainForm::PlayDoneSound()
{
    // From the working directory as the list was always played, else from beside the program.
    const std::string name = "winOrbelSysExit.wav";
    std::error_code error;
    const std::string path = std::filesystem::exists(name, error)
                               ? name
                               : Paths::join(m_services.programDir, name);
    m_services.sound.playWaveFile(path);
}

void TMainForm::GridOfFilesDrawCell(QPainter& painter, int column, int row, const QRect& rect,
                                    const GridDrawState& state)
{
    const TaskTable& tasks = table();
    if (!tasks.hasTasks())
        return;
    QBrush background = palette().brush(state.selected ? QPalette::Highlight : QPalette::Base);
    if (state.selected && !state.focused) {
        background = SelectedFill;
        painter.fillRect(rect, background);
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.setClipRect(rect);
        painter.drawText(rect.adjusted(TaskGrid::TextOffset, TaskGrid::TextOffset, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         TaskTableModel::shownText(tasks.cell(column, row)));
        painter.setClipping(false);
    }
    if (column != ColStatus && column != ColProcess)
        return;
    // The code's text is covered; its picture, if it has one, stands on the same background.
    painter.fillRect(rect.adjusted(0, 0, 0, 1), background);
    const std::string& code = tasks.cell(column, row);
    static const std::map<std::string, const char*> statusPictures = {
        {"1", "stat_1.bmp"}, {"2", "stat_2.bmp"}, {"3", "stat_3.bmp"}, {"4", "stat_4.bmp"}};
    static const std::map<std::string, const char*> processPictures = {{"1", "pr_1.bmp"}, {"2", "pr_2.bmp"}};
    // A task waiting under the cap on running downloads shows its place in line instead of idle.
    if (column == ColProcess && code == Process::Idle && m_session.runQueue().placeOf(tasks.idOf(row)) != 0) {
        drawStatePicture(painter, rect, "pr_q.bmp");
        return;
    }
    const auto& pictures = column == ColStatus ? statusPictures : processPictures;
    const auto picture = pictures.find(code);
    if (picture != pictures.end())
        drawStatePicture(painter, rect, picture->second);
}

void TMainForm::queueChanged()
{
    GridOfFiles->viewport()->update();
    GridOfFiles->refreshTip();
}

void TMainForm::drawStatePicture(QPainter& painter, const QRect& rect, const char* file)
{
    // Read afresh at every paint; a missing or broken file leaves the cell blank.
    QImage picture(ByteText::decode(Paths::join(Paths::join(m_services.programDir, "pic"), file)));
    if (picture.isNull())
        return;
    // Drawn as it is, on its own white background: on the green selected row a green tick
    // would otherwise vanish.
    painter.drawImage(rect.topLeft() + QPoint(PictureLeft, PictureTop), picture);
}

bool TMainForm::showPictureFile(const std::string& path)
{
    QPixmap picture;
    if (!picture.load(ByteText::decode(path)))
        return false;
    Image1->setPixmap(picture);
    return true;
}

void TMainForm::openDownloadedFile()
{
    const TaskTable& tasks = table();
    const int row = tasks.currentRow();
    if (!tasks.hasTasks() || row == 0 || tasks.cell(ColStatus, row) != Status::Done)
        return;
    // The file the download wrote, by the name rules of its start; a file that is gone opens nothing.
    const std::string file = FileNames::destinationOf(tasks, row);
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error))
        m_services.shell.openFile(file);
}

void TMainForm::openDestinationDirectory()
{
    const TaskTable& tasks = table();
    const int row = tasks.currentRow();
    if (!tasks.hasTasks() || row == 0)
        return;
    m_services.shell.exploreFolder(tasks.cell(ColPath, row));
}

void TMainForm::openHelpPage()
{
    const std::string page = Paths::join(m_services.programDir, "help.html");
    std::error_code error;
    if (std::filesystem::exists(page, error))
        m_services.shell.openFile(page);
}

void TMainForm::showAboutBox()
{
    About->exec();
}

bool TMainForm::minimiseToNotificationArea()
{
    if (!m_services.trayShell.hasNotificationArea())
        return false;
    // Hiding the window takes its taskbar entry with it; the icon stays.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
    m_hiddenToNotificationArea = true;
    return true;
}

void TMainForm::showMainWindow()
{
    m_hiddenToNotificationArea = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TMainForm::closeOnRequest()
{
    m_closeRequested = true;
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            break; // it refuses to go; the close below asks the user's list anyway
    }
    // Queued, so that the loops of the dialogs just ended unwind first.
    QTimer::singleShot(0, this, [this] { close(); });
}

std::string TMainForm::defaultPath() const
{
    return ByteText::encode(Edit3->text());
}

void TMainForm::setDefaultPath(const std::string& path)
{
    Edit3->setText(ByteText::decode(path));
}

int TMainForm::refreshSpeedItem() const
{
    return SpeedFresh->currentIndex();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_closedForGood) {
        event->accept();
        return;
    }
    if (m_closeRequested) {
        // Nobody could answer a box: the recovery copy keeps the table for the next start.
        m_exitReport = m_session.saveAtRequestedClose();
    } else if (!m_session.saveAtUserClose()) {
        // Reported already; the window stays open and working.
        event->ignore();
        return;
    }
    // Running workers end with the process: from now on none of their reports applies,
    // so their rows stay as saved.
    m_closedForGood = true;
    m_session.endAfterSave();
    Timer1.stop();
    ProgressTimer.stop();
    TrayIcon->setActive(false);
    event->accept();
    emit closedForGood();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        minimiseToNotificationArea();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // The refresh speed is picked from the list: typed characters are swallowed, also while
    // the list is open.
    if ((watched == SpeedFresh || watched == m_speedFreshList) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && key->text().at(0).isPrint())
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zv

#include "ui/ExtentionsU.h"

#include "platform/services/Clock.h"
#include "platform/text/ConvertError.h"
#include "platform/services/Dialogs.h"
#include "platform/text/FormatSettings.h"
#include "platform/desktop/Resources.h"
#include "tasks/CellFormats.h"
#include "tasks/EditorMode.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/FileNames.h"
#include "transfer/ProbeRunner.h"
#include "transfer/TaskCommands.h"
#include "transfer/TaskDraft.h"
#include "ui/BrowseForFolders.h"
#include "ui/BusyWindow.h"
#include "ui/ByteLineEdit.h"
#include "ui/CalendarU.h"
#include "ui/EditorBackground.h"
#include "ui/EditorHost.h"
#include "ui/FixedPalette.h"
#include "ui/FormFonts.h"
#include "ui/QelButton.h"
#include "transfer/TaskEntryRules.h"
#include "ui/TGroupBox.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace zv {

namespace {

constexpr const char* AccessCaption = "Attempt of access to a file";
constexpr const char* UnsupportedFile = "Is not supported this file!";
constexpr QChar Escape(27);

// The default font of the dialog; labels, fields and radio buttons are larger.
constexpr int FormFontHeight = 11;
constexpr int FieldFontHeight = 13;

QString fromBytes(const char* text)
{
    return QString::fromUtf8(text);
}

// An empty field does not parse either: no schedule could be read from it.
template <typename Parse>
bool parses(const std::string& text, Parse parse)
{
    try {
        parse(text);
        return true;
    } catch (const ConvertError&) {
        return false;
    }
}

} // namespace

const char* const TEditTaskForm::OkCaptionAdd = "Add task!";
const char* const TEditTaskForm::OkCaptionModify = "Modify!";

TEditTaskForm::TEditTaskForm(EditorServices services, TForm2& folderPicker, TForm4& datePicker, QWidget* parent)
    : QelForm(parent), m_services(services), m_folderPicker(folderPicker), m_datePicker(datePicker)
{
    setWindowTitle(QStringLiteral("Addition/Updating of the task"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(480, 280);
    setFont(FormFonts::sansSerif(FormFontHeight));
    FixedPalette::applyWhite(*this);
    createControls();
    orderTabs();
    m_folderPicker.setPathTarget([this](const std::string& path) { Edit4->setBytes(path); });
    m_datePicker.setDateTarget([this](const std::string& date) { Edit2->setBytes(date); });
}

void TEditTaskForm::createControls()
{
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, EditorBackground::Width, EditorBackground::Height);
    Image1->setPixmap(EditorBackground::picture());
    createPathGroup();
    createFileGroup();
    createScheduleGroup();
}

void TEditTaskForm::createPathGroup()
{
    GroupBox1 = makeGroup("Path", QRect(8, 8, 465, 73), true);
    Label1 = makeLabel(GroupBox1, "URL:", QRect(8, 21, 30, 16));
    Edit1 = makeEdit(GroupBox1, QRect(48, 16, 329, 22));
    Edit1->setBytes("http://");
    Edit1->setToolTip(QStringLiteral("Example: http(s)://www.example.com/files/archive.zip"));
    Label2 = makeLabel(GroupBox1, "Save:", QRect(8, 44, 35, 16));
    Edit4 = makeEdit(GroupBox1, QRect(48, 40, 329, 22));
    QelButton4 = makeButton(GroupBox1, "Check file!", QRect(384, 16, 73, 24), &TEditTaskForm::QelButton4Click);
    QelButton5 = makeButton(GroupBox1, "Select DIR", QRect(384, 40, 73, 23), &TEditTaskForm::QelButton5Click);
}

void TEditTaskForm::createFileGroup()
{
    GroupBox3 = makeGroup("File", QRect(8, 82, 465, 53), true);
    Label3 = makeLabel(GroupBox3, "Rename:", QRect(8, 19, 55, 16));
    NewFileName = makeEdit(GroupBox3, QRect(68, 17, 309, 22));
}

void TEditTaskForm::createScheduleGroup()
{
    GroupBox2 = makeGroup("Date/time", QRect(8, 136, 465, 135), false);
    LaterCh = makeRadio(GroupBox2, "Later (manually)", QRect(8, 16, 153, 17));
    LaterCh->setChecked(true);
    ImmedCh = makeRadio(GroupBox2, "Immediately", QRect(8, 40, 137, 17));
    UnderCh = makeRadio(GroupBox2, "Under the schedule:", QRect(8, 64, 185, 17));
    Edit2 = makeEdit(GroupBox2, QRect(12, 83, 89, 24));
    Edit2->setBytes("10.10.2007");
    QelButton1 = makeButton(GroupBox2, "Cal", QRect(103, 83, 33, 22), &TEditTaskForm::QelButton1Click);
    Edit3 = makeEdit(GroupBox2, QRect(139, 83, 89, 24));
    Edit3->setBytes("0:00");
    QelButton3 = makeButton(GroupBox2, "Current Date", QRect(12, 106, 88, 23), &TEditTaskForm::QelButton3Click);
    QelButton2 = makeButton(GroupBox2, "Current time", QRect(139, 106, 88, 23), &TEditTaskForm::QelButton2Click);
    QelButton7 = makeButton(GroupBox2, OkCaptionAdd, QRect(272, 96, 89, 33), &TEditTaskForm::QelButton7Click);
    QelButton6 = makeButton(GroupBox2, nullptr, QRect(368, 96, 89, 33), &TEditTaskForm::QelButton6Click);
    QelButton6->setButtonKind(TQelCustomButton::skCancel);
}

// As the controls are read: row by row, each from left to right. "Add task!" and "Cancel"
// stand level with the current date and time buttons, right of them.
void TEditTaskForm::orderTabs()
{
    QWidget* const chain[] = {Edit1, QelButton4, Edit4, QelButton5, NewFileName, LaterCh,    ImmedCh,   UnderCh,
                              Edit2, QelButton1, Edit3, QelButton3, QelButton2,  QelButton7, QelButton6};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

TGroupBox* TEditTaskForm::makeGroup(const char* caption, QRect geometry, bool flat)
{
    auto* group = new TGroupBox(fromBytes(caption), this);
    group->setGeometry(geometry);
    group->setFlat(flat);
    group->setFont(FormFonts::sansSerif(FormFontHeight, true));
    return group;
}

QLabel* TEditTaskForm::makeLabel(QWidget* parent, const char* caption, QRect geometry)
{
    auto* label = new QLabel(fromBytes(caption), parent);
    label->setFont(FormFonts::sansSerif(FieldFontHeight));
    // The label grows with its text, as an auto-sized label does, so no font clips it.
    geometry.setWidth(std::max(geometry.width(), label->sizeHint().width()));
    label->setGeometry(geometry);
    return label;
}

ByteLineEdit* TEditTaskForm::makeEdit(QWidget* parent, QRect geometry)
{
    auto* edit = new ByteLineEdit(parent);
    edit->setFont(FormFonts::sansSerif(FieldFontHeight));
    edit->setGeometry(geometry);
    return edit;
}

QRadioButton* TEditTaskForm::makeRadio(QWidget* parent, const char* caption, QRect geometry)
{
    auto* radio = new QRadioButton(fromBytes(caption), parent);
    radio->setFont(FormFonts::sansSerif(FieldFontHeight));
    radio->setGeometry(geometry);
    return radio;
}

TQelButton* TEditTaskForm::makeButton(QWidget* parent, const char* caption, QRect geometry,
                                      void (TEditTaskForm::*handler)())
{
    auto* button = new TQelButton(parent);
    button->setFont(FormFonts::sansSerif(FormFontHeight));
    button->setGeometry(geometry);
    if (caption)
        button->setCaption(fromBytes(caption));
    button->setButtonStyle(TQelCustomButton::stFlatDot);
    button->setColor(ColorValue(ButtonFace));
    button->setTabStop(true);
    connect(button, &TQelCustomButton::OnClick, this, [this, handler] { (this->*handler)(); });
    return button;
}

void TEditTaskForm::openInAddMode()
{
    exec();
}

void TEditTaskForm::openForLink(const LinkBatch& links)
{
    if (links.urls.empty())
        return;
    m_services.mode.setAdd();
    m_link = links;
    exec();
    m_link.reset();
}

bool TEditTaskForm::editCurrentTask()
{
    const TaskTable& table = m_services.table;
    const int row = table.currentRow();
    if (!table.isTaskRow(row) || table.cell(ColProcess, row) != Process::Idle)
        return false;
    m_services.mode.setModify(table.idOf(row));
    exec();
    return true;
}

// Only a real opening fills the fields: the editor is shown again by the window system
// (after being minimised with its owner, say) without having been closed.
void TEditTaskForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QelForm::showEvent(event);
}

void TEditTaskForm::FormShow()
{
    if (m_services.mode.isModify())
        fillForModify(m_services.table.rowOf(m_services.mode.task()));
    else
        fillForAdd();
    if (m_link)
        fillForLink(*m_link);
    Edit1->setFocus();
}

void TEditTaskForm::fillNow()
{
    const LocalDateTime now = m_services.clock.now();
    Edit2->setBytes(m_services.formats.formatDate(now.date));
    Edit3->setBytes(m_services.formats.formatTime(now.time));
}

// The URL is kept from the previous opening.
void TEditTaskForm::fillForAdd()
{
    fillNow();
    Edit4->setBytes(m_services.host.defaultPath());
    NewFileName->setBytes({});
    LaterCh->setChecked(true);
    m_filledSchedule.reset();
    QelButton7->setCaption(fromBytes(OkCaptionAdd));
}

// "Later (manually)" is the add mode's choice already; the caller's --later only confirms it.
void TEditTaskForm::fillForLink(const LinkBatch& links)
{
    Edit1->setBytes(links.urls.front());
    if (!links.folder.empty())
        Edit4->setBytes(links.folder);
    NewFileName->setBytes(links.name);
}

void TEditTaskForm::fillForModify(int row)
{
    const TaskTable& table = m_services.table;
    QelButton7->setCaption(fromBytes(OkCaptionModify));
    const std::string& schedule = table.cell(ColSchedule, row);
    m_filledSchedule.reset();
    if (schedule != Schedule::None) {
        m_filledSchedule = FilledSchedule{schedule, CellFormats::scheduleParts(schedule, m_services.formats)};
        Edit2->setBytes(m_filledSchedule->parts.date);
        Edit3->setBytes(m_filledSchedule->parts.time);
        UnderCh->setChecked(true);
    } else {
        fillNow();
        LaterCh->setChecked(true);
    }
    Edit1->setBytes(table.cell(ColUrl, row));
    Edit4->setBytes(table.cell(ColPath, row));
    NewFileName->setBytes(table.cell(ColFileName, row));
}

// However the dialog goes away (OK, Cancel, Escape, the close box, a plain hide), it
// leaves add mode behind; the window system hiding it with its owner is no close.
void TEditTaskForm::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        FormClose();
    QelForm::hideEvent(event);
}

void TEditTaskForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QelForm::closeEvent(event);
}

void TEditTaskForm::FormClose()
{
    m_waiting.reset(); // a probe's late answer finds the dialog closed and is dropped
    m_services.mode.setAdd();
}

void TEditTaskForm::keyPressEvent(QKeyEvent* event)
{
    QelForm::keyPressEvent(event);
    // An Escape character that no button took, such as Ctrl+[.
    if (isVisible() && event->text() == Escape)
        FormKeyPress(Escape);
}

void TEditTaskForm::FormKeyPress(QChar key)
{
    if (key == Escape)
        close();
}

void TEditTaskForm::QelButton1Click()
{
    m_datePicker.exec();
}

void TEditTaskForm::QelButton2Click()
{
    Edit3->setBytes(m_services.formats.formatTime(m_services.clock.now().time));
}

void TEditTaskForm::QelButton3Click()
{
    Edit2->setBytes(m_services.formats.formatDate(m_services.clock.now().date));
}

void TEditTaskForm::QelButton5Click()
{
    m_folderPicker.exec();
}

void TEditTaskForm::QelButton6Click()
{
    m_services.mode.setAdd();
    done(mrCancel);
}

// One question at a time; the answer goes on only if this dialog still waits for it, and
// the dialog may be gone by then.
void TEditTaskForm::askServer(const std::string& url, std::function<void(std::uint64_t bytes)> then)
{
    if (m_waiting)
        return;
    m_waiting = std::make_shared<BusyWindow>(*this, *QelButton6);
    m_services.probes.ask(url, [this, asked = std::weak_ptr(m_waiting), then = std::move(then)](const ProbeResult& result) {
        if (asked.expired())
            return;
        m_waiting.reset();
        then(result.bytes);
    });
}

void TEditTaskForm::warn(const std::string& text, const char* caption)
{
    m_services.dialogs.messageBox(text, caption, MessageIcon::Warning);
}

void TEditTaskForm::QelButton4Click()
{
    const std::string url = Edit1->bytes();
    askServer(url, [this, url](std::uint64_t bytes) { reportAccess(url, bytes); });
}

void TEditTaskForm::reportAccess(const std::string& url, std::uint64_t bytes)
{
    if (bytes < 1000) {
        warn("The file is not accessible!", AccessCaption);
        return;
    }
    m_services.dialogs.messageBox("The file is accessible!", AccessCaption, MessageIcon::Information);
    if (!TaskEntryRules::hasFileExtension(url)) {
        warn(UnsupportedFile, "File corrupt!");
        return;
    }
    NewFileName->setBytes(FileNames::nameFromUrl(url));
}

void TEditTaskForm::QelButton7Click()
{
    const std::string url = Edit1->bytes();
    if (const auto refused = TaskEntryRules::refusal(url, Edit4->bytes(), !m_services.mode.isModify(),
                                                     m_services.table.taskCount())) {
        warn(refused->text, refused->caption.c_str());
        return;
    }
    const std::string fileName = TaskEntryRules::fileName(NewFileName->bytes(), url);
    askServer(url, [this, fileName](std::uint64_t bytes) { writeTask(fileName, bytes); });
}

// OK once the server has answered; the fields are as they were when OK was pressed.
void TEditTaskForm::writeTask(const std::string& fileName, std::uint64_t bytes)
{
    const std::string size = TaskEntryRules::sizeText(bytes, m_services.formats.decimalSeparator());
    if (UnderCh->isChecked() && !(CheckDate() && CheckTime()))
        return;

    const TaskDraft draft{Edit1->bytes(), Edit4->bytes(), fileName, size,
                          UnderCh->isChecked() ? scheduleText() : std::string(Schedule::None)};
    TaskCommands& tasks = m_services.tasks;
    TaskId task = m_services.mode.task();
    if (!m_services.mode.isModify()) {
        task = tasks.add(draft);
    } else if (!tasks.modify(task, draft)) {
        // The list was replaced while the editor was open: there is nothing left to modify.
        done(mrCancel);
        return;
    }
    // The task written is the one the user goes on with.
    m_services.tasks.makeCurrent(task);
    if (ImmedCh->isChecked())
        tasks.start(task);
    m_services.mode.setAdd();
    done(mrOk);
}

// Fields left as the opening filled them give back the cell as it stood.
std::string TEditTaskForm::scheduleText() const
{
    const std::string date = Edit2->bytes();
    const std::string time = Edit3->bytes();
    if (m_filledSchedule && date == m_filledSchedule->parts.date && time == m_filledSchedule->parts.time)
        return m_filledSchedule->cell;
    return TaskEntryRules::scheduleCell(date, time, m_services.formats);
}

bool TEditTaskForm::CheckDate()
{
    const bool valid = parses(Edit2->bytes(), [this](const std::string& text) { m_services.formats.parseDate(text); });
    return checkField(Edit2, valid, "\" - This date is not correct!");
}

bool TEditTaskForm::CheckTime()
{
    const bool valid = parses(Edit3->bytes(), [this](const std::string& text) { m_services.formats.parseTime(text); });
    return checkField(Edit3, valid, "\" - This time is not correct!");
}

bool TEditTaskForm::checkField(ByteLineEdit* field, bool valid, const char* complaint)
{
    if (valid)
        return true;
    field->setFocus();
    m_services.dialogs.beep();
    m_services.dialogs.reportError("\"" + field->bytes() + complaint);
    return false;
}

} // namespace zv

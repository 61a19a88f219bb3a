#pragma once

#include "tasks/CellFormats.h"
#include "transfer/LinkBatch.h"
#include "ui/EditorServices.h"
#include "ui/QelForm.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QRadioButton;

namespace zv {

class BusyWindow;
class ByteLineEdit;
class TForm2;
class TForm4;
class TGroupBox;
class TQelButton;

// The task editor: the dialog in which a task is added or an idle task is changed. It is
// created once and reused; its fields keep their texts between openings except where an
// opening refills them. OK checks the fields, probes the server, writes one task row and
// may start it. While the server is asked the dialog stays alive but takes no input other
// than a way to close it; closing drops the answer.
class TEditTaskForm : public QelForm {
    Q_OBJECT

public:
    // The pickers are the program's own, shared with the main window; they must outlive the
    // editor.
    TEditTaskForm(EditorServices services, TForm2& folderPicker, TForm4& datePicker, QWidget* parent = nullptr);

    // The main window's "New": the editor in add mode, its result ignored.
    void openInAddMode();
    // The editor in add mode filled with the first of links that came from outside: its URL,
    // and the folder and the file name when the caller gave them.
    void openForLink(const LinkBatch& links);
    // Opens the editor on the current row when its task is idle (Process "1"); otherwise
    // does nothing. True when it opened.
    bool editCurrentTask();

    // Handlers.
    void FormShow();
    void FormClose();
    void FormKeyPress(QChar key);
    void QelButton1Click(); // "Cal"
    void QelButton2Click(); // "Current time"
    void QelButton3Click(); // "Current Date"
    void QelButton4Click(); // "Check file!"
    void QelButton5Click(); // "Select DIR"
    void QelButton6Click(); // "Cancel"
    void QelButton7Click(); // OK: "Add task!" / "Modify!"

    bool CheckDate();
    bool CheckTime();

    // The face colour of every button: red 244, green 255, blue 236.
    static constexpr std::uint32_t ButtonFace = 15532020;
    static const char* const OkCaptionAdd;
    static const char* const OkCaptionModify;

    QLabel* Image1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    QLabel* Label1 = nullptr; // "URL:"
    QLabel* Label2 = nullptr; // "Save:"
    QLabel* Label3 = nullptr; // "Rename:"
    ByteLineEdit* Edit1 = nullptr;       // URL
    ByteLineEdit* Edit4 = nullptr;       // destination directory
    ByteLineEdit* NewFileName = nullptr; // local file name
    ByteLineEdit* Edit2 = nullptr;       // schedule date
    ByteLineEdit* Edit3 = nullptr;       // schedule time
    QRadioButton* LaterCh = nullptr;
    QRadioButton* ImmedCh = nullptr;
    QRadioButton* UnderCh = nullptr;
    TQelButton* QelButton1 = nullptr;
    TQelButton* QelButton2 = nullptr;
    TQelButton* QelButton3 = nullptr;
    TQelButton* QelButton4 = nullptr;
    TQelButton* QelButton5 = nullptr;
    TQelButton* QelButton6 = nullptr;
    TQelButton* QelButton7 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void createPathGroup();
    void createFileGroup();
    void createScheduleGroup();
    void orderTabs();
    TGroupBox* makeGroup(const char* caption, QRect geometry, bool flat);
    QLabel* makeLabel(QWidget* parent, const char* caption, QRect geometry);
    ByteLineEdit* makeEdit(QWidget* parent, QRect geometry);
    QRadioButton* makeRadio(QWidget* parent, const char* caption, QRect geometry);
    TQelButton* makeButton(QWidget* parent, const char* caption, QRect geometry, void (TEditTaskForm::*handler)());

    void fillForAdd();
    void fillForModify(int row);
    void fillForLink(const LinkBatch& links);
    void fillNow();
    void askServer(const std::string& url, std::function<void(std::uint64_t bytes)> then);
    void reportAccess(const std::string& url, std::uint64_t bytes);
    void writeTask(const std::string& fileName, std::uint64_t bytes);
    bool checkField(ByteLineEdit* field, bool valid, const char* complaint);
    std::string scheduleText() const;
    void warn(const std::string& text, const char* caption);

    // The Schedule cell that modify mode split into the date and time fields.
    struct FilledSchedule {
        std::string cell;
        CellFormats::ScheduleParts parts;
    };

    EditorServices m_services;
    TForm2& m_folderPicker;
    TForm4& m_datePicker;
    std::optional<FilledSchedule> m_filledSchedule;
    std::optional<LinkBatch> m_link; // set while the editor is open for a link
    // Set while the server is asked; an answer is taken only while its own wait is still set.
    std::shared_ptr<BusyWindow> m_waiting;
};

} // namespace zv

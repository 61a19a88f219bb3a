#pragma once

#include "transfer/LinkBatch.h"
#include "ui/QelForm.h"

#include <functional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QRadioButton;

namespace zv {

class ByteLineEdit;
class Dialogs;
class TGroupBox;
class TQelButton;
class TaskCommands;
class TaskTable;

// Several links at once, in the look of the task editor: the URLs one per line, the
// destination folder and when to start. "Add tasks!" adds each as the editor's OK would;
// a line that cannot be added stays, marked with the reason, and one box counts them all.
class TLinkBatchForm : public QelForm {
    Q_OBJECT

public:
    struct Services {
        TaskCommands& tasks;
        const TaskTable& table;
        Dialogs& dialogs;
        std::function<std::string()> defaultPath;
    };

    explicit TLinkBatchForm(Services services, QWidget* parent = nullptr);

    // Fills the dialog with the links and runs it.
    void openFor(const LinkBatch& links);
    // The URLs as the list holds them, blank lines left out.
    std::vector<std::string> urls() const;

    void QelButton1Click(); // "Add tasks!"
    void QelButton2Click(); // "Cancel"
    void markLines();

    static const char* const Caption;

    TGroupBox* GroupBox1 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    QPlainTextEdit* Links = nullptr;
    QPlainTextEdit* Marks = nullptr; // what is wrong with which line, read only
    ByteLineEdit* Folder = nullptr;
    QRadioButton* LaterCh = nullptr;
    QRadioButton* ImmedCh = nullptr;
    TQelButton* QelButton1 = nullptr;
    TQelButton* QelButton2 = nullptr;

private:
    void createControls();
    void fill(const LinkBatch& links);
    void showMarks(const std::vector<std::string>& marks);

    Services m_services;
    // The editor's reasons for the lines left after "Add tasks!", by URL.
    std::vector<std::pair<std::string, std::string>> m_refused;
};

} // namespace zv

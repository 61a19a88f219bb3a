#pragma once

#include "ui/PickerForm.h"

#include <functional>
#include <string>

class QPushButton;

namespace zv {

class EditorHost;
class TDirectoryListBox;
class TDriveComboBox;

// The folder picker of the main window and the task editor. OK writes the directory list's
// current directory into the main window's default path field and the editor's path field.
// It starts in the working directory and keeps its directory between openings; each opening
// lists the drives mounted then and highlights only that directory.
class TForm2 : public PickerForm {
    Q_OBJECT

public:
    using PathTarget = std::function<void(const std::string& path)>;

    explicit TForm2(EditorHost& host, QWidget* parent = nullptr);

    // The editor's path field.
    void setPathTarget(PathTarget target) { m_target = std::move(target); }

    void BitBtn1Click();

    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    EditorHost& m_host;
    PathTarget m_target;
};

} // namespace zv

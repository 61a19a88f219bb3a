#pragma once

#include "platform/Dialogs.h"

class QWidget;

namespace zv {

// The dialogs on Qt: QMessageBox, QApplication::beep and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr) : m_owner(owner) {}

    void setOwner(QWidget* owner) { m_owner = owner; }

    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void beep() override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;

    // A lone CR (the system's own texts use it) becomes a line break on screen.
    static std::string screenText(const std::string& text);

private:
    std::optional<std::string> runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* m_owner;
};

} // namespace zv

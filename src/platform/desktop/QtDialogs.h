#pragma once

#include "platform/services/Dialogs.h"

#include <QPointer>

#include <vector>

class QDialog;
class QMessageBox;
class QWidget;

namespace zv {

// The dialogs on Qt: QMessageBox, QApplication::beep and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    void setOwner(QWidget* owner) { m_owner = owner; }

    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    // Window-modal to the owner, without a nested event loop; deleted when closed.
    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    std::optional<std::string> askText(const std::string& label, const std::string& caption,
                                       const std::string& value) override;
    void beep() override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;

    // The program is ending: the boxes and the file dialog open now close as if cancelled,
    // and none opens any more.
    void endSession();

    // A lone CR (the system's own texts use it) becomes a line break on screen.
    static std::string screenText(const std::string& text);

private:
    std::optional<std::string> runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* m_owner;
    QPointer<QDialog> m_open;
    // The boxes shown without waiting and not yet closed.
    std::vector<QPointer<QMessageBox>> m_shown;
    bool m_ended = false;
};

} // namespace zv

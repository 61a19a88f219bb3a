#pragma once

#include "platform/Dialogs.h"

#include <QPointer>

class QDialog;
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

    // The program is ending: the box or file dialog open now closes as if cancelled, and
    // none opens any more.
    void endSession();

    // A lone CR (the system's own texts use it) becomes a line break on screen.
    static std::string screenText(const std::string& text);

private:
    std::optional<std::string> runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* m_owner;
    QPointer<QDialog> m_open;
    bool m_ended = false;
};

} // namespace zv

#include "platform/desktop/QtDialogs.h"

#include "platform/text/ByteText.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace zv {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Error: break;
    }
    return QMessageBox::Critical;
}

void describe(QMessageBox& box, const std::string& text, const std::string& caption, MessageIcon icon)
{
    box.setIcon(qtIcon(icon));
    box.setWindowTitle(ByteText::decode(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(ByteText::decode(QtDialogs::screenText(text)));
    box.setStandardButtons(QMessageBox::Ok);
}

} // namespace

QtDialogs::~QtDialogs()
{
    // A box without an owner would outlive its session.
    for (const QPointer<QMessageBox>& box : m_shown)
        delete box.data();
}

std::string QtDialogs::screenText(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool loneCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        shown += loneCr ? '\n' : text[i];
    }
    return shown;
}

void QtDialogs::endSession()
{
    m_ended = true;
    if (m_open)
        m_open->reject();
    for (const QPointer<QMessageBox>& box : m_shown) {
        if (box)
            box->reject();
    }
}

void QtDialogs::messageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    if (m_ended)
        return;
    QMessageBox box(m_owner);
    describe(box, text, caption, icon);
    m_open = &box;
    box.exec();
}

void QtDialogs::showMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    if (m_ended)
        return;
    auto* box = new QMessageBox(m_owner);
    describe(*box, text, caption, icon);
    box->setAttribute(Qt::WA_DeleteOnClose);
    std::erase_if(m_shown, [](const QPointer<QMessageBox>& shown) { return shown.isNull(); });
    m_shown.emplace_back(box);
    box->open();
}

bool QtDialogs::askYesNo(const std::string& text, const std::string& caption)
{
    if (m_ended)
        return false;
    QMessageBox box(m_owner);
    describe(box, text, caption, MessageIcon::Warning);
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    m_open = &box;
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::askText(const std::string& label, const std::string& caption,
                                              const std::string& value)
{
    if (m_ended)
        return std::nullopt;
    QInputDialog dialog(m_owner);
    m_open = &dialog;
    dialog.setWindowTitle(ByteText::decode(caption));
    dialog.setLabelText(ByteText::decode(label));
    dialog.setTextValue(ByteText::decode(value));
    // Room for a signed link's address.
    dialog.resize(560, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ByteText::encode(dialog.textValue());
}

void QtDialogs::beep()
{
    QApplication::beep();
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

std::optional<std::string> QtDialogs::runFileDialog(const FileDialogRequest& request, bool save)
{
    if (m_ended)
        return std::nullopt;
    QFileDialog dialog(m_owner);
    m_open = &dialog;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // AnyFile lets the open dialog take the name of a file that does not exist.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ByteText::decode(request.typeLabel + " (" + request.pattern + ")"));
    dialog.setDefaultSuffix(ByteText::decode(request.defaultExtension));
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ByteText::encode(dialog.selectedFiles().constFirst());
}

} // namespace zv

#pragma once

#include <optional>
#include <string>

namespace zv {

enum class MessageIcon { Warning, Information, Error };

// One file type of an open or save dialog, for example "Text" for "*.log".
struct FileDialogRequest {
    std::string typeLabel;
    std::string pattern;
    std::string defaultExtension; // appended (with a dot) to a name typed without one
};

// Everything the user must see or answer in a box. Texts are the cells' bytes (UTF-8); a
// lone CR in a text is a line break on screen.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box with one OK button.
    virtual void messageBox(const std::string& text, const std::string& caption,
                            MessageIcon icon) = 0;
    // The same box shown without waiting: the caller goes on at once, and the box stays
    // until the user closes it. For reports that must not hold back periodic work.
    virtual void showMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // A modal box with one line of text to edit, given its first value; nullopt when the user
    // cancelled.
    virtual std::optional<std::string> askText(const std::string& label, const std::string& caption,
                                               const std::string& value) = 0;
    virtual void beep() = 0;
    // The chosen file name, or nullopt when the user cancelled. The open dialog accepts a
    // name of a file that does not exist.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;

    // The application's general error report for an error that ended an operation.
    void reportError(const std::string& text);
    // The same report shown without waiting.
    void reportErrorWithoutWaiting(const std::string& text);

    // The report's text: a full stop is added when the text ends in a letter or digit.
    static std::string errorReportText(const std::string& text);
};

} // namespace zv

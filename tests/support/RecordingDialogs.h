#pragma once

#include "platform/services/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zv::test {

// Records every box exactly as asked for and answers file dialogs from a queue.
class RecordingDialogs final : public Dialogs {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    // Recorded in messages as well; the box counts as open until closeShownBoxes().
    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void closeShownBoxes() { shownOpen = 0; }
    // Recorded in messages; answered from yesNoAnswers (No once it is empty).
    bool askYesNo(const std::string& text, const std::string& caption) override;
    // Recorded in messages; answered from textAnswers (cancelled once it is empty).
    std::optional<std::string> askText(const std::string& label, const std::string& caption,
                                       const std::string& value) override;
    void beep() override { ++beeps; }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;

    std::vector<Message> messages;
    int beeps = 0;
    // Boxes shown without waiting that the user has not closed yet.
    int shownOpen = 0;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> textAnswers;
    std::vector<FileDialogRequest> fileRequests;
    // Answers of the next file dialogs; an empty queue means the user cancels.
    std::deque<std::optional<std::string>> fileAnswers;
    // Runs while a box is "open", as a nested event loop would.
    std::function<void()> whileOpen;
    // Runs while a file dialog is open.
    std::function<void()> whileFileDialogOpen;

private:
    std::optional<std::string> nextFileAnswer(const FileDialogRequest& request);
};

} // namespace zv::test

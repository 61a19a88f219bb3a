#include "support/RecordingDialogs.h"

namespace zv::test {

void RecordingDialogs::messageBox(const std::string& text, const std::string& caption,
                                  MessageIcon icon)
{
    messages.push_back({text, caption, icon});
    if (whileOpen)
        whileOpen();
}

void RecordingDialogs::showMessage(const std::string& text, const std::string& caption,
                                   MessageIcon icon)
{
    messages.push_back({text, caption, icon});
    ++shownOpen;
}

bool RecordingDialogs::askYesNo(const std::string& text, const std::string& caption)
{
    messages.push_back({text, caption, MessageIcon::Warning});
    if (yesNoAnswers.empty())
        return false;
    const bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
}

std::optional<std::string> RecordingDialogs::askText(const std::string& label, const std::string& caption,
                                                     const std::string&)
{
    messages.push_back({label, caption, MessageIcon::Information});
    if (textAnswers.empty())
        return std::nullopt;
    auto answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}

std::optional<std::string> RecordingDialogs::openFileName(const FileDialogRequest& request)
{
    return nextFileAnswer(request);
}

std::optional<std::string> RecordingDialogs::saveFileName(const FileDialogRequest& request)
{
    return nextFileAnswer(request);
}

std::optional<std::string> RecordingDialogs::nextFileAnswer(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (whileFileDialogOpen)
        whileFileDialogOpen();
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

} // namespace zv::test

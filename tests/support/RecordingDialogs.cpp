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

#include "platform/services/Dialogs.h"

#include "platform/text/ApplicationTitle.h"
#include "platform/text/Utf8.h"

#include <QString>

namespace zv {

void Dialogs::reportError(const std::string& text)
{
    messageBox(errorReportText(text), ApplicationTitle, MessageIcon::Error);
}

void Dialogs::reportErrorWithoutWaiting(const std::string& text)
{
    showMessage(errorReportText(text), ApplicationTitle, MessageIcon::Error);
}

std::string Dialogs::errorReportText(const std::string& text)
{
    if (text.empty())
        return text;
    const std::string_view last = std::string_view(text).substr(Utf8::lastCharacterStart(text));
    const QString decoded = QString::fromUtf8(last.data(), static_cast<qsizetype>(last.size()));
    const bool endsInLetterOrDigit = decoded.size() > 0 && decoded.back().isLetterOrNumber()
        && decoded.back() != QChar::ReplacementCharacter;
    return endsInLetterOrDigit ? text + "." : text;
}

} // namespace zv

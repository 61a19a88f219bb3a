#include "platform/text/HeaderText.h"

#include <cctype>
#include <strings.h>

namespace zv::HeaderText {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool isHtml(std::string_view contentType)
{
    const std::string_view media = trimmed(contentType.substr(0, contentType.find(';')));
    return media.size() == 9 && ::strncasecmp(media.data(), "text/html", 9) == 0;
}

} // namespace zv::HeaderText

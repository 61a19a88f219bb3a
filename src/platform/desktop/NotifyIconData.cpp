#include "platform/desktop/NotifyIconData.h"

#include "platform/text/Utf8.h"

#include <algorithm>
#include <cstring>

namespace zv {

void NotifyIconData::setTip(std::string_view text)
{
    szTip.fill('\0');
    const std::size_t length = Utf8::prefixLength(text, TipSize - 1);
    std::copy_n(text.data(), length, szTip.data());
}

std::string NotifyIconData::tip() const
{
    return std::string(szTip.data(), strnlen(szTip.data(), szTip.size()));
}

} // namespace zv

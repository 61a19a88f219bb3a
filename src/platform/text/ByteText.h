#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zv {

// Cells, paths and messages are bytes in the locale's encoding (UTF-8 here); Qt shows
// text. Undecodable bytes show as replacement characters.
namespace ByteText {
QString decode(std::string_view bytes);
std::string encode(const QString& text);
} // namespace ByteText

} // namespace zv

#include "tasks/CellFormats.h"

#include "platform/text/ConvertError.h"
#include "platform/text/FormatSettings.h"
#include "platform/files/Paths.h"
#include "platform/text/Utf8.h"

#include <optional>

namespace zv {

namespace {

bool reads(const CellFormats::ScheduleParts& parts, const FormatSettings& formats)
{
    try {
        formats.parseDate(parts.date);
        formats.parseTime(parts.time);
        return true;
    } catch (const ConvertError&) {
        return false;
    }
}

std::optional<CellFormats::ScheduleParts> aroundTheOnlySpace(std::string_view cell)
{
    const std::size_t space = cell.find(' ');
    if (space == std::string_view::npos || cell.find(' ', space + 1) != std::string_view::npos)
        return std::nullopt;
    return CellFormats::ScheduleParts{std::string(cell.substr(0, space)), std::string(cell.substr(space + 1))};
}

} // namespace

std::string CellFormats::fixedTwoDecimals(std::uint64_t n, std::uint64_t divisor,
                                          std::string_view decimalSeparator)
{
    using Wide = unsigned __int128;
    const Wide hundredths = (static_cast<Wide>(n) * 100 + divisor / 2) / divisor;
    const auto whole = static_cast<std::uint64_t>(hundredths / 100);
    const auto fraction = static_cast<unsigned>(hundredths % 100);
    std::string text = std::to_string(whole);
    text += decimalSeparator;
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

std::string CellFormats::sizeText(std::uint64_t bytes, std::string_view decimalSeparator, ByteForm byteForm)
{
    constexpr std::uint64_t KiB = 1024;
    constexpr std::uint64_t MiB = 1024 * 1024;
    if (bytes < KiB) {
        const std::string count = byteForm == ByteForm::Whole ? std::to_string(bytes)
                                                              : fixedTwoDecimals(bytes, 1, decimalSeparator);
        return count + " Byte";
    }
    if (bytes < MiB)
        return fixedTwoDecimals(bytes, KiB, decimalSeparator) + " KB";
    return fixedTwoDecimals(bytes, MiB, decimalSeparator) + " MB";
}

std::string CellFormats::localFileLocation(const std::string& path, const std::string& fileName)
{
    return Paths::join(path, fileName);
}

CellFormats::ScheduleParts CellFormats::splitSchedule(std::string_view cell)
{
    ScheduleParts parts;
    parts.date = std::string(cell.substr(0, Utf8::prefixLength(cell, 10)));
    std::size_t timeStart = Utf8::suffixStart(cell, 8);
    if (cell.size() >= 8 && timeStart == cell.size() - 8 && cell[timeStart] == ' ')
        timeStart = Utf8::suffixStart(cell, 7);
    parts.time = std::string(cell.substr(timeStart));
    return parts;
}

bool CellFormats::readsAtFixedPositions(std::string_view cell, const FormatSettings& formats)
{
    return reads(splitSchedule(cell), formats);
}

CellFormats::ScheduleParts CellFormats::scheduleParts(std::string_view cell, const FormatSettings& formats)
{
    ScheduleParts fixed = splitSchedule(cell);
    if (reads(fixed, formats))
        return fixed;
    if (auto spaced = aroundTheOnlySpace(cell); spaced && reads(*spaced, formats))
        return *spaced;
    return fixed;
}

} // namespace zv

#include "transfer/KnownTotal.h"

#include "platform/text/FormatSettings.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

namespace {

// "512 Byte", "1,50 KB", "631.00 MB" with at least one digit that is not zero.
bool readsAsSizeAboveZero(const std::string& text, const std::string& separator)
{
    const auto space = text.find(' ');
    if (space == std::string::npos)
        return false;
    const std::string unit = text.substr(space + 1);
    if (unit != "Byte" && unit != "KB" && unit != "MB")
        return false;
    std::string number = text.substr(0, space);
    if (!separator.empty()) {
        if (const auto at = number.find(separator); at != std::string::npos)
            number.erase(at, separator.size());
    }
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           number.find_first_not_of('0') != std::string::npos;
}

} // namespace

KnownTotal KnownTotal::ofRow(const TaskTable& table, int row, const FormatSettings& formats)
{
    return {table.runOutcome(row).total, table.cell(ColSize, row), std::string(formats.decimalSeparator())};
}

bool KnownTotal::known() const
{
    return exact || readsAsSizeAboveZero(sizeText, decimalSeparator);
}

bool KnownTotal::matches(std::uint64_t bytes) const
{
    if (exact)
        return *exact == bytes;
    using CellFormats::ByteForm;
    return CellFormats::sizeText(bytes, decimalSeparator, ByteForm::Whole) == sizeText ||
           CellFormats::sizeText(bytes, decimalSeparator, ByteForm::TwoDecimals) == sizeText;
}

} // namespace zv

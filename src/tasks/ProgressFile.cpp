#include "tasks/ProgressFile.h"

#include "platform/files/AtomicFileWriter.h"
#include "platform/text/DecimalText.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zv {

namespace {

constexpr std::string_view Heading = "Zare Vantrel progress ";
constexpr std::string_view Trailer = "end";
// A piece map of a download of several TiB fits; anything longer is no progress file.
constexpr std::uintmax_t MaxSize = 4 * 1024 * 1024;

bool isOneLine(std::string_view value)
{
    return value.find_first_of("\r\n") == std::string_view::npos;
}

// Takes one "key=value" line into the record; false for a line no writer makes.
bool take(ProgressRecord& record, std::string_view key, std::string_view value)
{
    if (key == "url") {
        record.url = value;
    } else if (key == "total") {
        record.total = DecimalText::wholeNumber(value);
        return record.total.has_value();
    } else if (key == "validator") {
        record.validator = value;
    } else if (key == "type") {
        record.contentType = value;
    } else if (key == "piece-size") {
        const auto size = DecimalText::wholeNumber(value);
        record.pieceSize = size.value_or(0);
        return size.has_value();
    } else if (key == "moved") {
        record.addressChanged = value == "1";
        return value == "0" || value == "1";
    } else if (key == "pieces") {
        record.finishedPieces = value;
        return value.find_first_not_of("01") == std::string_view::npos;
    }
    // A key of a later version of this format is no damage.
    return true;
}

} // namespace

ProgressFile::ProgressFile(const std::string& download) : m_path(download + std::string(Suffix)) {}

std::string ProgressFile::format(const ProgressRecord& record)
{
    std::string text = std::string(Heading) + std::to_string(Version) + "\n";
    text += "url=" + record.url + "\n";
    if (record.total)
        text += "total=" + std::to_string(*record.total) + "\n";
    text += "validator=" + record.validator + "\n";
    text += "type=" + record.contentType + "\n";
    text += "piece-size=" + std::to_string(record.pieceSize) + "\n";
    text += "pieces=" + record.finishedPieces + "\n";
    if (record.addressChanged)
        text += "moved=1\n";
    return text + std::string(Trailer) + "\n";
}

std::optional<ProgressRecord> ProgressFile::parse(std::string_view text)
{
    const std::string heading = std::string(Heading) + std::to_string(Version) + "\n";
    const std::string trailer = "\n" + std::string(Trailer) + "\n";
    // A write cut short has no trailer; a file of another version another heading.
    if (!text.starts_with(heading) || !text.ends_with(trailer))
        return std::nullopt;
    text = text.substr(heading.size(), text.size() - heading.size() - trailer.size() + 1);
    ProgressRecord record;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || !take(record, line.substr(0, equals), line.substr(equals + 1)))
            return std::nullopt;
    }
    if (record.url.empty())
        return std::nullopt;
    return record;
}

std::optional<ProgressRecord> ProgressFile::read() const
{
    std::error_code error;
    const auto size = std::filesystem::file_size(m_path, error);
    if (error || size > MaxSize)
        return std::nullopt;
    std::ifstream in(m_path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail())
        return std::nullopt;
    return parse(text);
}

std::error_code ProgressFile::write(const ProgressRecord& record) const
{
    const bool writable = isOneLine(record.url) && isOneLine(record.validator) && isOneLine(record.contentType);
    std::error_code failure = writable ? std::error_code() : std::make_error_code(std::errc::invalid_argument);
    if (!failure) {
        try {
            AtomicFileWriter writer(m_path);
            writer.write(format(record));
            writer.commit();
        } catch (const std::system_error& error) {
            failure = error.code();
        }
    }
    if (failure)
        remove();
    return failure;
}

void ProgressFile::remove() const
{
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

bool ProgressFile::isProgressFileName(std::string_view name)
{
    if (name.ends_with(Suffix))
        return true;
    const auto target = AtomicFileWriter::targetOfTemporary(std::string(name));
    return target && target->ends_with(Suffix);
}

} // namespace zv

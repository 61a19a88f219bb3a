#include "platform/files/IniSettingsFile.h"

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/InputFile.h"
#include "platform/files/NumberedFiles.h"

#include <filesystem>
#include <system_error>

namespace zv {

namespace fs = std::filesystem;

IniSettingsFile::IniSettingsFile(std::string file) : m_file(std::move(file)) {}

std::optional<std::string> IniSettingsFile::load()
{
    m_document = {};
    m_changed = false;
    m_untouchable.reset();
    std::optional<std::string> bytes;
    try {
        bytes = readBytes();
    } catch (const std::system_error& failure) {
        // Its keys are unknown, so a save would lose them.
        m_untouchable = "The settings file \"" + m_file + "\" could not be read at start-up, so it is not written over.";
        return "The settings file \"" + m_file + "\" could not be read (" + failure.code().message()
             + "). Zare Vantrel uses its default settings.";
    }
    if (!bytes)
        return std::nullopt;
    if (bytes->size() > MaxBytes)
        return keepDamaged("it is longer than " + std::to_string(MaxBytes / 1024) + " KiB");
    try {
        m_document = IniDocument::parse(*bytes);
    } catch (const IniDocument::Damaged& damage) {
        return keepDamaged(damage.what());
    }
    return std::nullopt;
}

std::optional<std::string> IniSettingsFile::readBytes() const
{
    std::optional<InputFile> input;
    try {
        input.emplace(m_file);
    } catch (const std::system_error& failure) {
        if (failure.code() == std::errc::no_such_file_or_directory)
            return std::nullopt;
        throw;
    }
    std::string bytes;
    char buffer[8192];
    // One byte past the limit tells an over-long file.
    while (bytes.size() <= MaxBytes) {
        const std::size_t count = input->read(buffer, sizeof buffer);
        if (count == 0)
            break;
        bytes.append(buffer, count);
    }
    return bytes;
}

std::string IniSettingsFile::keepDamaged(const std::string& problem)
{
    std::string text = "The settings file \"" + m_file + "\" is damaged (" + problem
                     + "). Zare Vantrel uses its default settings.";
    if (const auto copy = NumberedFiles::keepBadCopy(m_file)) {
        std::error_code ignored;
        fs::remove(m_file, ignored);
        return text + " The file was kept as \"" + *copy + "\".";
    }
    m_untouchable = "The settings file \"" + m_file + "\" is damaged and could not be copied, so it is not written over.";
    return text + " It could not be copied, so it will not be written over.";
}

std::optional<std::string> IniSettingsFile::value(std::string_view section, std::string_view key) const
{
    return m_document.value(section, key);
}

void IniSettingsFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    if (m_document.value(section, key) == value)
        return;
    m_document.setValue(section, key, value);
    m_changed = true;
}

std::optional<std::string> IniSettingsFile::save()
{
    if (!m_changed)
        return std::nullopt;
    if (m_untouchable)
        return m_untouchable;
    try {
        AtomicFileWriter writer(m_file);
        // Never in place: a cut write in place starts with "#", which reads as a comment here,
        // so a settings file cut short could pass for whole.
        if (writer.writesInPlace())
            return "The settings could not be saved to \"" + m_file + "\": its folder does not allow new files.";
        writer.write(m_document.text());
        writer.commit();
    } catch (const std::system_error& failure) {
        return "The settings could not be saved to \"" + m_file + "\": " + failure.code().message() + ".";
    }
    m_changed = false;
    return std::nullopt;
}

} // namespace zv

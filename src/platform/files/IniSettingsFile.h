#pragma once

#include "platform/services/SettingsStore.h"
#include "platform/text/IniDocument.h"

#include <cstddef>
#include <string>

namespace zv {

// The settings as a plain INI file that users and scripts may edit while the program is
// closed. Replaced as the task list is (AtomicFileWriter: a temporary file beside it, synced
// and renamed over it; readable by its owner only when new), but never written in place. A
// missing file means the defaults. A damaged one (IniDocument::Damaged, or longer than
// MaxBytes) is kept aside as "<file>.bad" (".bad.2", ...) and removed, so the next save starts
// afresh; a file that can be neither read nor kept aside is never written over.
class IniSettingsFile final : public SettingsStore {
public:
    static constexpr std::size_t MaxBytes = 64 * 1024;

    explicit IniSettingsFile(std::string file);

    const std::string& file() const { return m_file; }

    std::optional<std::string> load() override;
    std::optional<std::string> value(std::string_view section, std::string_view key) const override;
    void setValue(std::string_view section, std::string_view key, std::string_view value) override;
    std::optional<std::string> save() override;

private:
    // The file's bytes; nothing when there is no file. Throws std::system_error.
    std::optional<std::string> readBytes() const;
    std::string keepDamaged(const std::string& problem);

    const std::string m_file;
    IniDocument m_document;
    bool m_changed = false;
    // Why the file must not be written over, when it must not.
    std::optional<std::string> m_untouchable;
};

} // namespace zv

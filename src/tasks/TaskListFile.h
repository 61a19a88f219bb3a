#pragma once

#include "platform/services/Dialogs.h"

#include <functional>
#include <optional>
#include <string>

namespace zv {

class TaskTable;

// The list files of a run and the operations on them: the default list file in the list
// folder, read at every start, and the current list file, which the table is written to
// when the main window closes. Failures are shown in the general error report.
class TaskListFile {
public:
    static constexpr const char* DefaultFileName = "vt_tasks.log";
    // A bare name: it is resolved against the working directory when it is written.
    static constexpr const char* NewFileName = "vt_tasks_new.log";
    // Beside the default list: where a restored table goes when its copy does not say
    // which list it belongs to ("vt_tasks_recovered.log.2", ... when taken).
    static constexpr const char* RecoveredFileName = "vt_tasks_recovered.log";

    // defaultFolder holds the default list file (the program's folder, or a packaged
    // program's data folder: ListFolder).
    TaskListFile(TaskTable& table, Dialogs& dialogs, const std::string& defaultFolder);

    const std::string& defaultListFile() const { return m_defaultListFile; }
    const std::string& currentListFile() const { return m_currentListFile; }
    // The recovery copy kept while the program runs (RecoveryCopy).
    std::string recoveryFile() const;

    // Removes the temporary files that killed writes of the default list, its recovery copy,
    // recovered lists and the settings file left beside the default list. Then, after a run that did not close
    // normally, loads its recovery copy, makes the list file it records current and tells
    // the user. Otherwise reads the default list file, or creates it empty when there is
    // none. A file that cannot be read whole is first copied beside itself ("<name>.bad",
    // "<name>.bad.2", ...).
    void loadAtStartUp();
    // Writes the table to the current list file. False (the failure reported) means the
    // close must not go on.
    bool saveAtClose();
    // The same without a box: the failure's text, if any.
    std::optional<std::string> trySaveAtClose();
    // Called whenever the current list file changes.
    void setOnCurrentChanged(std::function<void()> listener) { m_onCurrentChanged = std::move(listener); }
    // Called before every write of a list: a write in place that is cut leaves the list
    // unreadable, so the table must be in a copy first.
    void setBeforeWrite(std::function<void()> action) { m_beforeWrite = std::move(action); }
    // Reads a chosen list into the table; the current list file stays as it was. The
    // program's own files (OwnFiles) are refused here and by saveDatabaseAs.
    void openDatabase();
    // Clears the list and makes "vt_tasks_new.log" the current list file.
    void newDatabase();
    // Makes a chosen file the current list file and writes the table to it at once.
    void saveDatabaseAs();

    // One file type, "Text" for "*.log"; a name typed without extension gets ".log".
    static FileDialogRequest fileDialogRequest();

private:
    void removeLeftoverTemporaries() const;
    bool isOwnWrittenName(const std::string& name) const;
    bool restoreRecoveryCopy();
    // The current list file of a restored table whose copy named none; the user's text.
    std::string takeRecoveredFile();
    void setCurrent(const std::string& file);
    void loadDefaultList();
    void reportUnreadableDefault(const std::string& errorText);
    void reportUnreadableRecovery(const std::string& errorText);
    bool isProtected(const std::string& file) const;
    // The recovery copy, a ".bad" copy, a temporary file or the folder's lock: reported.
    bool refusedAsOwnFile(const std::string& file);
    void readFrom(const std::string& file);
    bool writeTo(const std::string& file);
    std::optional<std::string> tryWrite(const std::string& file);

    TaskTable& m_table;
    Dialogs& m_dialogs;
    const std::string m_defaultListFile;
    std::string m_currentListFile;
    // A default list file that could be neither read whole nor copied is never written.
    std::string m_protectedFile;
    std::function<void()> m_onCurrentChanged;
    std::function<void()> m_beforeWrite;
};

} // namespace zv

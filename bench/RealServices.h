#pragma once

#include "app/MainFormU.h"
#include "platform/sound/AlsaSound.h"
#include "platform/net/CurlSessionFactory.h"
#include "platform/desktop/DbusNotifier.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/desktop/QtDialogs.h"
#include "platform/desktop/QtNotifyIconShell.h"
#include "platform/files/IniSettingsFile.h"
#include "platform/files/Paths.h"
#include "platform/threads/SystemClock.h"
#include "platform/net/SystemOnlineQuery.h"
#include "platform/threads/QtDeferrer.h"
#include "transfer/TaskSession.h"

#include <memory>
#include <string>

namespace zv::bench {

// The services main() hands the task session and the main window, made as main() makes them,
// so that a benchmark measures the real window. Make it after the QApplication.
class RealServices {
public:
    // Workers' reports are run by the event loop, as in main().
    RealServices();
    RealServices(const RealServices&) = delete;
    RealServices& operator=(const RealServices&) = delete;

    HandOverQueue& mainThread() { return m_mainThread; }
    const FormatSettings& formats() const { return m_formats; }

    // The session's and the window's services; the list file and the downloads' default
    // folder are folder.
    TaskSession::Services forSession(const std::string& folder);
    MainFormServices forMainForm(const std::string& folder);

private:
    HandOverQueue m_mainThread;
    CurlSessionFactory m_internet;
    const FormatSettings m_formats = FormatSettings::fromSystemLocale();
    const SystemClock m_clock;
    QtDialogs m_dialogs;
    QtDialogs m_editorDialogs;
    DesktopShell m_shell;
    QtNotifyIconShell m_trayShell;
    AlsaSound m_sound;
    const SystemOnlineQuery m_online;
    QtDeferrer m_deferrer;
    DbusNotifier m_notifier{m_shell, DbusNotifier::iconFor(Paths::executableDir())};
    std::unique_ptr<IniSettingsFile> m_settings; // beside the session's list
};

} // namespace zv::bench

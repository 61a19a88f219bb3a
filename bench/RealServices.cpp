#include "RealServices.h"

#include "platform/files/ListFolder.h"
#include "transfer/ThreadedProbeRunner.h"

#include <QApplication>

namespace zv::bench {

RealServices::RealServices()
{
    m_mainThread.setWakeUp([this] {
        QMetaObject::invokeMethod(qApp, [this] { m_mainThread.drain(); }, Qt::QueuedConnection);
    });
}

TaskSession::Services RealServices::forSession(const std::string& folder)
{
    m_settings = std::make_unique<IniSettingsFile>(Paths::join(folder, ListFolder::SettingsFileName));
    return {m_mainThread, m_internet, std::make_unique<ThreadedProbeRunner>(m_mainThread, m_internet),
            m_formats,    m_clock,    m_dialogs,
            m_online,     m_deferrer, m_notifier,
            *m_settings,  folder,     folder};
}

MainFormServices RealServices::forMainForm(const std::string& folder)
{
    return {m_formats, m_clock, m_dialogs, m_editorDialogs, m_shell, m_trayShell, m_sound, folder,
            [folder] { return folder; }};
}

} // namespace zv::bench

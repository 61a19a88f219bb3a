#include "RealServices.h"

#include <QApplication>

namespace zv::bench {

RealServices::RealServices()
{
    m_mainThread.setWakeUp([this] {
        QMetaObject::invokeMethod(qApp, [this] { m_mainThread.drain(); }, Qt::QueuedConnection);
    });
}

MainFormServices RealServices::forMainForm(const std::string& folder)
{
    return {m_mainThread, m_internet, m_probes, m_formats, m_clock, m_dialogs, m_editorDialogs, m_shell, m_trayShell,
            m_sound, m_online, folder, folder, [folder] { return folder; }};
}

} // namespace zv::bench

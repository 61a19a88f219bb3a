#include "app/MainFormU.h"
#include "platform/AlsaSound.h"
#include "platform/ApplicationTitle.h"
#include "platform/CurlSessionFactory.h"
#include "platform/DesktopShell.h"
#include "platform/FontSubstitutes.h"
#include "platform/FormatSettings.h"
#include "platform/HandOverQueue.h"
#include "platform/Paths.h"
#include "platform/QtDialogs.h"
#include "platform/QtNotifyIconShell.h"
#include "platform/SystemClock.h"
#include "platform/SystemOnlineQuery.h"
#include "platform/TerminationSignals.h"
#include "ui/ExtentionsU.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zv::ApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    zv::FontSubstitutes::install();

    zv::HandOverQueue mainThread;
    // A worker's report wakes the event loop, which runs it.
    mainThread.setWakeUp([&mainThread] {
        QMetaObject::invokeMethod(qApp, [&mainThread] { mainThread.drain(); }, Qt::QueuedConnection);
    });
    zv::CurlSessionFactory internet;
    const zv::FormatSettings formats = zv::FormatSettings::fromSystemLocale();
    const zv::SystemClock clock;
    zv::QtDialogs dialogs;
    zv::QtDialogs editorDialogs;
    zv::DesktopShell shell;
    zv::QtNotifyIconShell trayShell;
    zv::AlsaSound sound;
    const zv::SystemOnlineQuery online;

    zv::TMainForm mainForm({mainThread, internet, formats, clock, dialogs, editorDialogs, shell, trayShell,
                            sound, online, zv::Paths::executableDir(), &zv::Paths::defaultDownloadFolder});
    dialogs.setOwner(&mainForm);
    editorDialogs.setOwner(mainForm.EditTaskForm);
    QObject::connect(&mainForm, &zv::TMainForm::closedForGood, &application, &QApplication::quit);
    // SIGTERM, SIGINT and the end of the desktop session close the window as "Exit" does.
    zv::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &zv::TerminationSignals::received, &mainForm,
                     &zv::TMainForm::closeOnRequest);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &mainForm,
                     [&mainForm](QSessionManager&) { mainForm.closeOnRequest(); });
    mainForm.show();
    return QApplication::exec();
}

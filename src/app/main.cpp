#include "app/CommandLine.h"
#include "app/LinkIntake.h"
#include "app/MainFormU.h"
#include "platform/sound/AlsaSound.h"
#include "platform/text/ApplicationTitle.h"
#include "platform/net/CurlSessionFactory.h"
#include "platform/desktop/DbusNotifier.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/desktop/FontSubstitutes.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/files/IniSettingsFile.h"
#include "platform/files/ListFolder.h"
#include "platform/files/ListFolderLock.h"
#include "platform/files/Paths.h"
#include "platform/desktop/QtDialogs.h"
#include "platform/desktop/QtNotifyIconShell.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/threads/SystemClock.h"
#include "platform/net/SystemOnlineQuery.h"
#include "platform/desktop/TerminationSignals.h"
#include "platform/threads/QtDeferrer.h"
#include "platform/threads/RandomFactor.h"
#include "transfer/TaskSession.h"
#include "transfer/LinkMessage.h"
#include "transfer/ThreadedProbeRunner.h"
#include "ui/ExtentionsU.h"
#include "ui/LinkBatchForm.h"
#include "ui/LinkDropTarget.h"
#include "ui/TaskGrid.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

static_assert(zv::LinkMessage::MaxSize <= zv::SingleInstance::MaxMessage, "every link message can be handed over");

// Nothing when this start is the only copy on its list folder and goes on; else its exit
// status. A second copy beside the same list would write its table over the first's at close.
// A request with links is handed to the running copy, or said to be refused: never dropped.
std::optional<int> exitUnlessOnlyCopy(const zv::ListFolderLock& lock, zv::SingleInstance& instance,
                                      const std::string& listFolder, const QByteArray& request)
{
    using Forward = zv::SingleInstance::Forward;
    if (lock.state() == zv::ListFolderLock::State::Unavailable)
        std::cerr << zv::ApplicationTitle
                  << " cannot lock its list folder, so only the socket keeps a second copy out: " << lock.problem()
                  << std::endl;
    Forward forwarded = Forward::NobodyThere;
    if (lock.state() != zv::ListFolderLock::State::InUse) {
        if (instance.claim(request))
            return std::nullopt;
        forwarded = instance.lastForward();
    } else {
        // The copy holding the list may run with another runtime folder, where we cannot reach it.
        forwarded = instance.forwardToRunningCopy(request);
    }
    if (forwarded == Forward::Shown) {
        // The running copy's word on each quiet link it did not add.
        for (const QByteArray& note : instance.lastNotes())
            std::cerr << zv::ApplicationTitle << ": " << note.toStdString() << std::endl;
        return instance.lastNotes().isEmpty() ? 0 : 1;
    }
    if (request.isEmpty() && lock.state() != zv::ListFolderLock::State::InUse)
        return 0;
    std::cerr << zv::ApplicationTitle << ": " << (request.isEmpty() ? "" : "the links were not added: ")
              << "the task list in \"" << listFolder << "\" is in use by another running copy"
              << (forwarded == Forward::NoAnswer ? ", which does not answer." : ".") << std::endl;
    return 1;
}

std::vector<std::string> argumentsOf(const QStringList& arguments)
{
    std::vector<std::string> texts;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        texts.push_back(arguments[i].toStdString());
    return texts;
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered without a window, so also where no display is.
    if (const auto print = zv::CommandLine::printRequest(std::vector<std::string>(argv + 1, argv + argc))) {
        std::cout << print->text;
        return 0;
    }
    std::vector<std::string> arguments = zv::CommandLine::takeOwnOptions(argc, argv);
    QApplication application(argc, argv);
    // Qt has taken its own options out by now: what is left are the URLs.
    for (std::string& url : argumentsOf(QCoreApplication::arguments()))
        arguments.push_back(std::move(url));
    const zv::Launch launch = zv::CommandLine::parse(arguments, std::filesystem::current_path().string());
    if (launch.kind != zv::Launch::Kind::Run) {
        std::cerr << zv::ApplicationTitle << ": " << launch.text << std::endl;
        return launch.exitCode;
    }
    const QByteArray linkRequest = launch.links.urls.empty()
                                     ? QByteArray()
                                     : zv::SingleInstance::messageRequest(
                                         QByteArray::fromStdString(zv::LinkMessage::encode(launch.links)));
    QApplication::setApplicationName(QString::fromUtf8(zv::ApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    const std::string programDir = zv::Paths::executableDir();
    // Beside the program, unless a package installed it where the user may not write.
    const std::string listFolder = zv::ListFolder::forProgramIn(programDir);
    // Decided before anything is read or written: a second copy shows the running window
    // instead, or says that the list is in use.
    zv::ListFolderLock folderLock(listFolder);
    zv::SingleInstance singleInstance(zv::SingleInstance::serverNameFor(QString::fromStdString(listFolder)),
                                      zv::RuntimeFolder::find());
    if (const auto exitCode = exitUnlessOnlyCopy(folderLock, singleInstance, listFolder, linkRequest))
        return *exitCode;
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
    zv::QtDialogs batchDialogs;
    zv::DesktopShell shell;
    zv::QtNotifyIconShell trayShell;
    zv::AlsaSound sound;
    const zv::SystemOnlineQuery online;
    zv::QtDeferrer deferrer;
    zv::DbusNotifier notifier(shell, zv::DbusNotifier::iconFor(programDir));
    zv::RandomFactor random;
    zv::IniSettingsFile settings(zv::Paths::join(listFolder, zv::ListFolder::SettingsFileName));
    zv::RetryPolicy retries;
    retries.spread = [&random] { return random.between(zv::RetryPolicy::SpreadLow, zv::RetryPolicy::SpreadHigh); };

    // Installed before the window exists: a signal while a start-up box is shown closes the
    // box, and the program then ends as after "Exit".
    zv::TerminationSignals terminationSignals;
    zv::TMainForm* window = nullptr;
    bool closeRequested = false;
    const auto requestClose = [&] {
        closeRequested = true;
        dialogs.endSession();
        editorDialogs.endSession();
        batchDialogs.endSession();
        if (window)
            window->closeOnRequest();
    };
    QObject::connect(&terminationSignals, &zv::TerminationSignals::received, &application, requestClose);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &application,
                     [&requestClose](QSessionManager&) { requestClose(); });

    // The tasks outlive the window: it ends their workers before it goes, and no report reaches
    // it afterwards.
    zv::TaskSession session({mainThread, internet, std::make_unique<zv::ThreadedProbeRunner>(mainThread, internet),
                             formats, clock, dialogs, online, deferrer, notifier, settings, programDir, listFolder,
                             retries});
    zv::TMainForm mainForm(session, {formats, clock, dialogs, editorDialogs, shell, trayShell, sound,
                                     programDir, &zv::Paths::defaultDownloadFolder});
    window = &mainForm;
    dialogs.setOwner(&mainForm);
    editorDialogs.setOwner(mainForm.EditTaskForm);
    QObject::connect(&singleInstance, &zv::SingleInstance::activationRequested, &mainForm,
                     &zv::TMainForm::showMainWindow);
    // Once the list is written, a new start may run on its own.
    QObject::connect(&mainForm, &zv::TMainForm::closedForGood, &singleInstance, &zv::SingleInstance::release);
    QObject::connect(&mainForm, &zv::TMainForm::closedForGood, &application, [&folderLock] { folderLock.release(); });
    QObject::connect(&mainForm, &zv::TMainForm::closedForGood, &application, [&mainForm] {
        if (!mainForm.exitReport().empty())
            std::cerr << mainForm.exitReport() << std::endl;
        QApplication::exit(mainForm.exitCode());
    });
    const auto defaultPath = [&mainForm] { return mainForm.defaultPath(); };
    zv::TLinkBatchForm batchForm({session.commands(), session.table(), batchDialogs, defaultPath}, &mainForm);
    batchDialogs.setOwner(&batchForm);
    zv::LinkIntake links(session.commands(), session.table(),
                         {[&mainForm](const zv::LinkBatch& batch) { mainForm.EditTaskForm->openForLink(batch); },
                          [&batchForm](const zv::LinkBatch& batch) { batchForm.openFor(batch); },
                          defaultPath,
                          {}});
    zv::LinkDropTarget drops([&links](zv::LinkBatch batch) { links.take(std::move(batch)); });
    drops.watchDrops(mainForm);
    drops.watchDrops(*mainForm.GridOfFiles->viewport());
    drops.watchPaste(*mainForm.GridOfFiles);
    singleInstance.setMessageReader([&links](const QByteArray& message) { return links.readMessage(message); });
    mainForm.show();
    if (closeRequested)
        mainForm.closeOnRequest();
    else if (launch.links.quiet)
        // Once the window has shown, as a later start's links would be.
        QTimer::singleShot(0, &links, [&links, &launch] {
            for (const std::string& line : links.addQuietly(launch.links))
                std::cerr << zv::ApplicationTitle << ": " << line << std::endl;
        });
    else if (!launch.links.urls.empty())
        links.take(launch.links);
    return QApplication::exec();
}

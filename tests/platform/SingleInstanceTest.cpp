#include "platform/desktop/SingleInstance.h"

#include "support/TempDir.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <array>
#include <atomic>
#include <random>
#include <thread>
#include <sstream>
#include <vector>

#include <pwd.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;

namespace {

// Another user, for tests that run as root; 0 when there is none to be.
uid_t otherUser()
{
    const passwd* nobody = ::getpwnam("nobody");
    return ::geteuid() == 0 && nobody ? nobody->pw_uid : 0;
}

// Another user's process listening on a socket path, as long as it lives.
class StrangerListening {
public:
    StrangerListening(const sockaddr_un& address, uid_t user)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // Bound while still root (the folder is root's), then the socket is the other user's.
            const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
                ::setresuid(user, user, user) != 0 || ::listen(socket, 8) != 0)
                ::_exit(1);
            [[maybe_unused]] const auto written = ::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        m_listening = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~StrangerListening()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    StrangerListening(const StrangerListening&) = delete;
    StrangerListening& operator=(const StrangerListening&) = delete;

    bool listening() const { return m_listening; }

private:
    pid_t m_pid = -1;
    bool m_listening = false;
};

// What is written to standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() : m_previous(std::cerr.rdbuf(m_text.rdbuf())) {}
    ~StandardErrorCapture() { std::cerr.rdbuf(m_previous); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf* m_previous;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    QString nameFor(const std::string& folder) const
    {
        fs::create_directories(dir.path() / folder);
        return SingleInstance::serverNameFor(QString::fromStdString((dir.path() / folder).string()));
    }

    RuntimeFolder folder() const { return RuntimeFolder::find(QString::fromStdString(sockets.path().string()), {}); }

    // Where a server of that name listens.
    sockaddr_un socketAddress(const QString& name) const
    {
        const std::string path = (sockets.path() / name.toStdString()).string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, std::min(path.size(), sizeof(address.sun_path) - 1));
        return address;
    }

    // What a copy killed with SIGKILL leaves: a bound socket file nobody listens on.
    void leaveStaleSocket(const QString& name) const
    {
        sockaddr_un address = socketAddress(name);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(socket, 0);
        ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(socket);
        ASSERT_TRUE(fs::exists(address.sun_path));
    }

    TempDir dir;
    TempDir sockets; // private, as the session's runtime folder is
};

} // namespace

TEST_F(SingleInstanceTest, NamesFollowTheFolderNotItsSpelling)
{
    const QString first = nameFor("a");
    EXPECT_EQ(first, SingleInstance::serverNameFor(QString::fromStdString((dir.path() / "a" / ".").string())));
    fs::create_directory_symlink(dir.path() / "a", dir.path() / "link");
    EXPECT_EQ(first, SingleInstance::serverNameFor(QString::fromStdString((dir.path() / "link").string())));
    EXPECT_NE(first, nameFor("b"));
    // Short enough for a socket path in any temporary folder.
    EXPECT_LT(first.size(), 50);
}

TEST_F(SingleInstanceTest, ALaterStartInTheSameFolderAsksTheRunningCopyToShowItself)
{
    const QString name = nameFor("program");
    SingleInstance running(name, folder());
    ASSERT_TRUE(running.claim());
    QSignalSpy requests(&running, &SingleInstance::activationRequested);

    SingleInstance later(name, folder());
    EXPECT_FALSE(later.claim());
    EXPECT_FALSE(later.isRunningCopy());
    EXPECT_TRUE(requests.wait(5000));
    EXPECT_EQ(requests.count(), 1);

    SingleInstance third(name, folder());
    EXPECT_FALSE(third.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return requests.count() == 2; }, 5000));
}

TEST_F(SingleInstanceTest, CopiesInDifferentFoldersRunSideBySide)
{
    SingleInstance first(nameFor("one"), folder());
    SingleInstance second(nameFor("two"), folder());
    QSignalSpy requests(&first, &SingleInstance::activationRequested);
    EXPECT_TRUE(first.claim());
    EXPECT_TRUE(second.claim());
    QTest::qWait(50);
    EXPECT_EQ(requests.count(), 0);
}

TEST_F(SingleInstanceTest, AfterTheRunningCopyEndsTheNextStartRuns)
{
    const QString name = nameFor("program");
    {
        SingleInstance running(name, folder());
        ASSERT_TRUE(running.claim());
        running.release();
        SingleInstance duringShutDown(name, folder());
        EXPECT_TRUE(duringShutDown.claim());
    }
    SingleInstance next(name, folder());
    EXPECT_TRUE(next.claim());
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedCopyIsTakenOver)
{
    const QString name = nameFor("program");
    leaveStaleSocket(name);
    SingleInstance next(name, folder());
    ASSERT_TRUE(next.claim());
    QSignalSpy requests(&next, &SingleInstance::activationRequested);

    // And it is the running copy from then on.
    SingleInstance later(name, folder());
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(requests.wait(5000));
}

TEST_F(SingleInstanceTest, AStrangersBytesAskForNothing)
{
    const QString name = nameFor("program");
    SingleInstance running(name, folder());
    ASSERT_TRUE(running.claim());
    QSignalSpy requests(&running, &SingleInstance::activationRequested);
    sockaddr_un address = socketAddress(name);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const std::string junk(10000, 'x');
    EXPECT_GT(::write(socket, junk.data(), junk.size()), 0);
    ::close(socket);
    QTest::qWait(100);
    EXPECT_EQ(requests.count(), 0);

    SingleInstance later(name, folder());
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(requests.wait(5000));
}

TEST_F(SingleInstanceTest, AMessageArrivesWholeOnceAndRandomOrOversizedBytesAreDroppedWithoutHarm)
{
    const QString name = nameFor("program");
    SingleInstance running(name, folder());
    ASSERT_TRUE(running.claim());
    QSignalSpy messages(&running, &SingleInstance::messageReceived);
    const auto send = [&](const QByteArray& bytes, std::size_t pieces) {
        sockaddr_un address = socketAddress(name);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        const std::size_t piece = static_cast<std::size_t>(bytes.size()) / pieces + 1;
        for (qsizetype at = 0; at < bytes.size(); at += static_cast<qsizetype>(piece)) {
            const auto length = std::min<std::size_t>(piece, static_cast<std::size_t>(bytes.size() - at));
            ASSERT_EQ(::write(socket, bytes.constData() + at, length), static_cast<ssize_t>(length));
            QCoreApplication::processEvents();
        }
        ::close(socket);
    };
    static constexpr char bytes[] = "links\n\0with every byte\xff";
    const QByteArray first(bytes, sizeof bytes - 1);
    send(SingleInstance::messageRequest(first), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.count() == 1; }, 5000));
    EXPECT_EQ(messages[0][0].toByteArray(), first);

    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        QByteArray junk(std::uniform_int_distribution<int>(1, 5000)(random), Qt::Uninitialized);
        for (char& byte : junk)
            byte = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        if (round % 5 == 0)
            junk.prepend("message ");
        send(junk, 2);
    }
    send("message 99999999999\n" + QByteArray(100, 'x'), 1);
    send("message -1\n", 1);
    EXPECT_TRUE(SingleInstance::messageRequest(QByteArray(SingleInstance::MaxMessage + 1, 'x')).isEmpty());

    send(SingleInstance::messageRequest("second"), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.count() >= 2; }, 5000));
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(messages[1][0].toByteArray(), "second");
}

namespace {
// Later starts on threads of their own, while the running copy answers on the test's.
class SingleInstanceThreadsTest : public SingleInstanceTest {};
} // namespace

TEST_F(SingleInstanceThreadsTest, TwoStartsAtOnceEachHandTheirMessageOverOnceAndHearTheirNotes)
{
    const QString name = nameFor("program");
    SingleInstance running(name, folder());
    ASSERT_TRUE(running.claim());
    running.setMessageReader([](const QByteArray& message) { return QList<QByteArray>{"a", "refused " + message}; });
    QSignalSpy messages(&running, &SingleInstance::messageReceived);

    struct Start {
        QByteArray message;
        bool ranItself = true;
        SingleInstance::Forward forward = SingleInstance::Forward::NobodyThere;
        QList<QByteArray> notes;
    };
    std::array<Start, 2> starts;
    starts[0].message = "first";
    starts[1].message = "second";
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (Start& start : starts)
        threads.emplace_back([&, this] {
            SingleInstance later(name, folder());
            start.ranItself = later.claim(SingleInstance::messageRequest(start.message));
            start.forward = later.lastForward();
            start.notes = later.lastNotes();
            ++finished;
        });
    const bool bothFinished = QTest::qWaitFor([&] { return finished == 2; }, 20000);
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_TRUE(bothFinished);

    QStringList received;
    for (const QList<QVariant>& signal : messages)
        received << QString::fromUtf8(signal[0].toByteArray());
    received.sort();
    EXPECT_EQ(received, (QStringList{"first", "second"}));
    for (const Start& start : starts) {
        EXPECT_FALSE(start.ranItself);
        EXPECT_EQ(start.forward, SingleInstance::Forward::Shown);
        EXPECT_EQ(start.notes, (QList<QByteArray>{"a", "refused " + start.message}));
    }
}

TEST_F(SingleInstanceTest, TheSocketLivesInTheSessionsRuntimeFolder)
{
    TempDir temp;
    const QString tempFolder = QString::fromStdString(temp.path().string());
    const QString name = nameFor("program");
    SingleInstance running(name, RuntimeFolder::find(QString::fromStdString(sockets.path().string()), tempFolder));
    ASSERT_TRUE(running.claim());
    EXPECT_TRUE(fs::is_socket(sockets.path() / name.toStdString()));
    EXPECT_TRUE(fs::is_empty(temp.path()));

    // One that others can enter is passed over for a folder of the program's own.
    const TempDir shared;
    fs::permissions(shared.path(), fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
    const RuntimeFolder own = RuntimeFolder::find(QString::fromStdString(shared.path().string()), tempFolder);
    EXPECT_EQ(own.path().toStdString(), (temp.path() / ("zare-vantrel-" + std::to_string(::geteuid()))).string());
    EXPECT_EQ(fs::status(own.path().toStdString()).permissions(), fs::perms::owner_all);
}

TEST_F(SingleInstanceTest, AnotherUsersSocketCountsAsAbsent)
{
    const uid_t stranger = otherUser();
    if (stranger == 0)
        GTEST_SKIP() << "needs root to listen as another user";
    const QString name = nameFor("program");
    const StrangerListening listening(socketAddress(name), stranger);
    ASSERT_TRUE(listening.listening());

    SingleInstance next(name, folder());
    ASSERT_TRUE(next.claim());
    EXPECT_TRUE(next.isRunningCopy());
    QSignalSpy requests(&next, &SingleInstance::activationRequested);
    SingleInstance later(name, folder());
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(requests.wait(5000));
}

TEST_F(SingleInstanceTest, AnUnsafeFallbackFolderGivesNoGuardAndAStart)
{
    const std::string own = "zare-vantrel-" + std::to_string(::geteuid());
    const auto openToOthers = [&](const fs::path& temp) {
        fs::create_directory(temp / own);
        fs::permissions(temp / own, fs::perms::owner_all | fs::perms::others_exec);
    };
    const auto aLink = [&](const fs::path& temp) { fs::create_directory_symlink(sockets.path(), temp / own); };
    const auto anotherUsers = [&](const fs::path& temp) {
        fs::create_directory(temp / own, sockets.path()); // mode 0700
        ASSERT_EQ(::chown((temp / own).c_str(), otherUser(), static_cast<gid_t>(-1)), 0);
    };
    std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> kinds{
        {"mode 0701", openToOthers}, {"symlink", aLink}};
    if (otherUser() != 0)
        kinds.emplace_back("another user's", anotherUsers);

    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        TempDir temp;
        make(temp.path());
        const RuntimeFolder none = RuntimeFolder::find({}, QString::fromStdString(temp.path().string()));
        EXPECT_FALSE(none.exists());
        const StandardErrorCapture standardError;
        SingleInstance first(nameFor("program"), none);
        SingleInstance second(nameFor("program"), none);
        EXPECT_TRUE(first.claim());
        EXPECT_TRUE(second.claim());
        const std::string text = standardError.text();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        EXPECT_NE(text.find("without the single-copy guard"), std::string::npos) << text;
        EXPECT_NE(text.find(temp.path() / own), std::string::npos) << text;
    }
    // TMPDIR naming no folder gives an empty temporary folder: never one in the working folder.
    EXPECT_FALSE(RuntimeFolder::find({}, {}).exists());
}

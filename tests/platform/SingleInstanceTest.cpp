#include "platform/SingleInstance.h"

#include "support/TempDir.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;

namespace fs = std::filesystem;

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QString nameFor(const std::string& folder) const
    {
        fs::create_directories(dir.path() / folder);
        return SingleInstance::serverNameFor(QString::fromStdString((dir.path() / folder).string()));
    }

    // Where a server of that name listens.
    static sockaddr_un socketAddress(const QString& name)
    {
        const std::string path = QDir(QDir::tempPath()).filePath(name).toStdString();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, std::min(path.size(), sizeof(address.sun_path) - 1));
        return address;
    }

    // What a copy killed with SIGKILL leaves: a bound socket file nobody listens on.
    static void leaveStaleSocket(const QString& name)
    {
        sockaddr_un address = socketAddress(name);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(socket, 0);
        ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(socket);
        ASSERT_TRUE(fs::exists(address.sun_path));
    }

    TempDir dir;
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
    SingleInstance running(name);
    ASSERT_TRUE(running.claim());
    QSignalSpy requests(&running, &SingleInstance::activationRequested);

    SingleInstance later(name);
    EXPECT_FALSE(later.claim());
    EXPECT_FALSE(later.isRunningCopy());
    EXPECT_TRUE(requests.wait(5000));
    EXPECT_EQ(requests.count(), 1);

    SingleInstance third(name);
    EXPECT_FALSE(third.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return requests.count() == 2; }, 5000));
}

TEST_F(SingleInstanceTest, CopiesInDifferentFoldersRunSideBySide)
{
    SingleInstance first(nameFor("one"));
    SingleInstance second(nameFor("two"));
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
        SingleInstance running(name);
        ASSERT_TRUE(running.claim());
        running.release();
        SingleInstance duringShutDown(name);
        EXPECT_TRUE(duringShutDown.claim());
    }
    SingleInstance next(name);
    EXPECT_TRUE(next.claim());
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedCopyIsTakenOver)
{
    const QString name = nameFor("program");
    leaveStaleSocket(name);
    SingleInstance next(name);
    ASSERT_TRUE(next.claim());
    QSignalSpy requests(&next, &SingleInstance::activationRequested);

    // And it is the running copy from then on.
    SingleInstance later(name);
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(requests.wait(5000));
}

TEST_F(SingleInstanceTest, AStrangersBytesAskForNothing)
{
    const QString name = nameFor("program");
    SingleInstance running(name);
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

    SingleInstance later(name);
    EXPECT_FALSE(later.claim());
    EXPECT_TRUE(requests.wait(5000));
}

#include "platform/threads/QtDeferrer.h"

#include <QEventLoop>

#include <gtest/gtest.h>

#include <vector>

using namespace zv;

TEST(QtDeferrer, CallsFromTheEventLoopAndDropsTheCallsOfADeferrerThatIsGone)
{
    std::vector<int> calls;
    QtDeferrer deferrer;
    {
        QtDeferrer gone;
        gone.callAfter(0, [&] { calls.push_back(0); });
    }
    deferrer.callAfter(0, [&] { calls.push_back(1); });
    EXPECT_TRUE(calls.empty());

    QEventLoop loop;
    deferrer.callAfter(50, [&] { loop.quit(); });
    loop.exec();
    EXPECT_EQ(calls, std::vector<int>{1});
}

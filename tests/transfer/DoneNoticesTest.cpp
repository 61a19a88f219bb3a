#include "support/FakeDeferrer.h"
#include "support/RecordingNotifier.h"
#include "transfer/DoneNotices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace zv;
using namespace zv::test;

namespace {

// Runs the first waiting call asked for with this delay.
void fireFirst(FakeDeferrer& deferrer, int milliseconds)
{
    const auto call = std::find_if(deferrer.calls.begin(), deferrer.calls.end(),
                                   [milliseconds](const auto& waiting) { return waiting.milliseconds == milliseconds; });
    ASSERT_NE(call, deferrer.calls.end()) << milliseconds;
    auto function = std::move(call->function);
    deferrer.calls.erase(call);
    function();
}

std::string told(const RecordingNotifier::Notice& notice)
{
    return notice.summary + " | " + notice.body + " | " + notice.folderToOpen;
}

} // namespace

TEST(DoneNotices, CompletionsCloseTogetherAreToldOnceAfterTheLastAndALaterOneStartsANewBatch)
{
    FakeDeferrer deferrer;
    RecordingNotifier notifier;
    DoneNotices notices(notifier, deferrer);

    notices.completed("/dl/a.bin");
    notices.completed("/dl/b.bin");
    fireFirst(deferrer, DoneNotices::QuietMs); // a's quiet time, but b came since
    EXPECT_TRUE(notifier.notices.empty());
    fireFirst(deferrer, DoneNotices::QuietMs);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(told(notifier.notices[0]), "2 downloads finished | a.bin\nb.bin\nin /dl | /dl");
    deferrer.fireAll(); // the told batch's longest wait
    EXPECT_EQ(notifier.notices.size(), 1u);

    notices.completed("/dl/c.bin");
    deferrer.fireAll();
    ASSERT_EQ(notifier.notices.size(), 2u);
    EXPECT_EQ(told(notifier.notices[1]), "Download finished | c.bin\nin /dl | /dl");
}

TEST(DoneNotices, ABatchThatKeepsGrowingIsToldAtItsLongestWaitAndCompletionsWaitingWhenTheNoticesGoAreDropped)
{
    FakeDeferrer deferrer;
    RecordingNotifier notifier;
    auto notices = std::make_unique<DoneNotices>(notifier, deferrer);

    for (const char* file : {"/a/1.bin", "/a/2.bin", "/b/3.bin", "/a/4.bin", "/a/5.bin", "/a/6.bin"})
        notices->completed(file);
    fireFirst(deferrer, DoneNotices::LongestWaitMs);
    ASSERT_EQ(notifier.notices.size(), 1u);
    // Files in more than one folder: no folder line and no action.
    EXPECT_EQ(told(notifier.notices[0]), "6 downloads finished | 1.bin\n2.bin\n3.bin\nand 3 more | ");

    notices->completed("/a/7.bin");
    notices.reset();
    deferrer.fireAll();
    EXPECT_EQ(notifier.notices.size(), 1u);
}

#include "tasks/TaskTable.h"
#include "transfer/LinkAdding.h"
#include "transfer/TaskCommands.h"
#include "transfer/TransferFixture.h"

using namespace zv;
using namespace zv::test;

namespace {

using Kind = LinkAdding::Outcome::Kind;

class LinkAddingTest : public TransferFixture {
protected:
    TaskCommands commands{table, operations, dialogs};
};

} // namespace

TEST_F(LinkAddingTest, AFullTableTakesTheFirstLinksInOrderAndRefusesTheRestWithItsMessage)
{
    for (int i = 0; i < TaskTable::MaxTasks - 200; ++i)
        addTask("http://example.com/old" + std::to_string(i) + ".zip", "old.zip");
    std::vector<std::string> urls;
    for (int i = 0; i < 300; ++i)
        urls.push_back("http://example.com/f" + std::to_string(i) + ".zip");
    const auto outcomes = LinkAdding::add(commands, table, {urls, dir.path().string(), {}, false});

    ASSERT_EQ(outcomes.size(), 300u);
    ASSERT_EQ(table.taskCount(), TaskTable::MaxTasks);
    EXPECT_EQ(table.cell(ColUrl, 1), "http://example.com/old0.zip");
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(outcomes[i].kind, Kind::Added);
        EXPECT_EQ(table.cell(ColUrl, TaskTable::MaxTasks - 199 + i), urls[i]);
    }
    for (int i = 200; i < 300; ++i) {
        EXPECT_EQ(outcomes[i].kind, Kind::Refused);
        EXPECT_TRUE(outcomes[i].tableFull);
    }
    EXPECT_EQ(LinkAdding::describe(urls[299], outcomes[299]),
              "\"" + urls[299]
                  + "\": not added: The list of tasks is full: 254 tasks at most! Clear the list to add new tasks.");
}

TEST_F(LinkAddingTest, ListedOrRepeatedLinksAreSkippedAndTheEditorsChecksRefuseTheRest)
{
    addTask("http://example.com/a.zip", "a.zip");
    const std::vector<std::string> urls{"http://example.com/a.zip",
                                        "http://example.com/b.zip",
                                        "http://example.com/b.zip",
                                        "file:///etc/passwd",
                                        "javascript:alert(1)",
                                        "http://example.com/noextension",
                                        "http://example.com/" + std::string(100 * 1024, 'x') + ".zip",
                                        std::string("http://example.com/e\0.zip", 25),
                                        "http://example.com/f\n.zip"};
    const auto outcomes = LinkAdding::add(commands, table, {urls, dir.path().string(), {}, false});

    ASSERT_EQ(outcomes.size(), urls.size());
    EXPECT_EQ(outcomes[0].kind, Kind::AlreadyListed);
    EXPECT_EQ(outcomes[1].kind, Kind::Added);
    EXPECT_EQ(outcomes[2].kind, Kind::Repeated);
    EXPECT_EQ(outcomes[3].kind, Kind::Refused);
    EXPECT_EQ(outcomes[4].kind, Kind::Refused);
    EXPECT_EQ(outcomes[5].kind, Kind::Refused);
    EXPECT_EQ(outcomes[5].text, "Is not supported this file!");
    for (std::size_t i = 6; i < urls.size(); ++i)
        EXPECT_EQ(outcomes[i].kind, Kind::Refused) << i;
    ASSERT_EQ(table.taskCount(), 2);
    EXPECT_EQ(codes(2), "1/1");
    EXPECT_EQ(table.cell(ColFileName, 2), "b.zip");
    EXPECT_EQ(table.cell(ColPath, 2), dir.path().string());

    // A single link takes the name given; a blank folder is the editor's refusal.
    LinkAdding::add(commands, table, {{"http://example.com/c.zip"}, dir.path().string(), "mine.bin", false});
    EXPECT_EQ(table.cell(ColFileName, 3), "mine.bin");
    EXPECT_EQ(LinkAdding::add(commands, table, {{"http://example.com/d.zip"}, " ", {}, false})[0].text,
              "Please! Select directory!");
}

#include "EditorFixture.h"

#include "ui/LinkBatchForm.h"

#include <QPlainTextEdit>
#include <QTimer>

using namespace zv;
using namespace zv::test;

namespace {

class LinkBatchFormTest : public EditorFixture {};

} // namespace

TEST_F(LinkBatchFormTest, AddTasksCountsEverythingInOneBoxAndKeepsOnlyTheRefusedLinesMarked)
{
    addTask("http://example.com/listed.zip", "listed.zip");
    TLinkBatchForm form({commands, table, dialogs, [this] { return dir.path().string(); }});
    LinkBatch links;
    links.urls = {"http://example.com/listed.zip", "http://example.com/new.zip", "ftp://example.com/old.zip",
                  "http://example.com/noextension"};
    bool keptOpen = false;
    QTimer::singleShot(0, &form, [&form, &keptOpen] {
        form.QelButton1Click();
        keptOpen = form.isVisible(); // for the lines left
        form.QelButton2Click();
    });
    form.openFor(links);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Added: 1. Skipped, already in the list: 1. Not added: 2.");
    ASSERT_EQ(table.taskCount(), 2);
    EXPECT_EQ(table.cell(ColUrl, 2), "http://example.com/new.zip");
    EXPECT_EQ(form.urls(), (std::vector<std::string>{"ftp://example.com/old.zip", "http://example.com/noextension"}));
    EXPECT_EQ(form.Marks->toPlainText().toStdString(),
              "Line 1: not an http or https address\nLine 2: Is not supported this file!\n");
    EXPECT_TRUE(keptOpen);
}

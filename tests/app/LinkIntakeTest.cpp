#include "app/LinkIntake.h"
#include "transfer/LinkMessage.h"

#include "MainFormFixture.h"

#include <QDialog>
#include <QTest>

using namespace zv;
using namespace zv::test;

namespace {

class LinkIntakeTest : public MainFormFixture {
protected:
    LinkIntakeTest()
    {
        createForm();
        intake = std::make_unique<LinkIntake>(
            session->commands(), form->table(),
            LinkIntake::Handlers{[this](const LinkBatch& batch) { opened.push_back("one " + batch.urls[0]); },
                                 [this](const LinkBatch& batch) { opened.push_back("several " + batch.urls[0]); },
                                 [this] { return programDir.file("dl"); },
                                 {}});
    }

    static LinkBatch links(std::vector<std::string> urls, bool quiet = false)
    {
        LinkBatch batch;
        batch.urls = std::move(urls);
        batch.quiet = quiet;
        return batch;
    }

    static QByteArray message(const LinkBatch& batch) { return QByteArray::fromStdString(LinkMessage::encode(batch)); }

    std::vector<std::string> opened;
    std::unique_ptr<LinkIntake> intake;
};

} // namespace

TEST_F(LinkIntakeTest, LinksThatComeWhileAModalBoxIsOpenWaitForItThenOpenInTurn)
{
    QDialog box(form.get());
    box.setModal(true);
    box.show();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
    EXPECT_TRUE(intake->readMessage(message(links({"http://example.com/a.zip"}))).isEmpty());
    EXPECT_TRUE(intake->readMessage(message(links({"http://example.com/b.zip", "http://example.com/c.zip"}))).isEmpty());
    QTest::qWait(3 * LinkIntake::RetryMs);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(intake->hasWaiting());

    box.close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return opened.size() == 2; }, 5000));
    EXPECT_EQ(opened[0], "one http://example.com/a.zip");
    EXPECT_EQ(opened[1], "several http://example.com/b.zip");
    EXPECT_EQ(form->table().taskCount(), 0);
}

TEST_F(LinkIntakeTest, QuietLinksAreAddedAtOnceAndEachRefusalIsSaidBack)
{
    const LinkBatch batch = links({"http://example.com/a.zip", "file:///etc/passwd", "http://example.com/bad\nline.zip"},
                                  true);
    const QList<QByteArray> notes = intake->readMessage(message(batch));
    ASSERT_EQ(notes.size(), 2);
    EXPECT_TRUE(notes[1].startsWith("\"http://example.com/bad?line.zip\": not added"));
    EXPECT_TRUE(notes[0].startsWith("\"file:///etc/passwd\": not added"));
    ASSERT_EQ(form->table().taskCount(), 1);
    EXPECT_EQ(form->table().cell(ColUrl, 1), "http://example.com/a.zip");
    EXPECT_EQ(form->table().cell(ColPath, 1), programDir.file("dl"));

    // Bytes that are no message add nothing and open nothing.
    EXPECT_TRUE(intake->readMessage(message(batch).chopped(3)).isEmpty());
    EXPECT_TRUE(intake->readMessage("junk").isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->table().taskCount(), 1);
    EXPECT_TRUE(opened.empty());
}

#include "platform/desktop/QtDialogs.h"
#include "support/RecordingDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <gtest/gtest.h>

using namespace zv;

TEST(GeneralErrorReport, AddsAFullStopAfterALetterOrDigit)
{
    EXPECT_EQ(Dialogs::errorReportText("File not found"), "File not found.");
    EXPECT_EQ(Dialogs::errorReportText("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(Dialogs::errorReportText("'007 0:00' is not a valid time"),
              "'007 0:00' is not a valid time.");
    EXPECT_EQ(Dialogs::errorReportText("Gr\xc3\xb6\xc3\x9f"), "Gr\xc3\xb6\xc3\x9f.");
}

TEST(GeneralErrorReport, LeavesOtherEndingsAlone)
{
    EXPECT_EQ(Dialogs::errorReportText(""), "");
    EXPECT_EQ(Dialogs::errorReportText("Done."), "Done.");
    EXPECT_EQ(Dialogs::errorReportText("Really?"), "Really?");
    EXPECT_EQ(Dialogs::errorReportText("quoted 'x'"), "quoted 'x'");
    EXPECT_EQ(Dialogs::errorReportText("line\r"), "line\r");
    EXPECT_EQ(Dialogs::errorReportText("broken \xc3"), "broken \xc3");
}

TEST(GeneralErrorReport, ShowsAnErrorBoxCaptionedWithTheTitle)
{
    test::RecordingDialogs dialogs;
    dialogs.reportError("Disk full");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Disk full.");
    EXPECT_EQ(dialogs.messages[0].caption, "Zare Vantrel v1.0");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

TEST(QtDialogsScreenText, LoneCarriageReturnBreaksTheLine)
{
    EXPECT_EQ(QtDialogs::screenText("Example for adress:\rhttp://\rhttps://"),
              "Example for adress:\nhttp://\nhttps://");
    EXPECT_EQ(QtDialogs::screenText("a\r\nb\r"), "a\r\nb\n");
    EXPECT_EQ(QtDialogs::screenText(""), "");
}

namespace {

QPointer<QMessageBox> visibleBoxWithText(const QString& text)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && box->text() == text)
            return box;
    }
    return nullptr;
}

void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(QtDialogsShowMessage, ReturnsAtOnceWithTheBoxOpenAndEndSessionClosesIt)
{
    QtDialogs dialogs;
    dialogs.showMessage("first\rline", "Caption", MessageIcon::Error);
    dialogs.showMessage("second", "Caption", MessageIcon::Warning);
    const QPointer<QMessageBox> first = visibleBoxWithText("first\nline");
    const QPointer<QMessageBox> second = visibleBoxWithText("second");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->windowTitle(), "Caption");
    EXPECT_EQ(first->icon(), QMessageBox::Critical);

    first->button(QMessageBox::Ok)->click();
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());

    dialogs.endSession();
    runDeferredDeletes();
    EXPECT_TRUE(second.isNull());
    dialogs.showMessage("third", "Caption", MessageIcon::Error);
    EXPECT_FALSE(visibleBoxWithText("third"));
}

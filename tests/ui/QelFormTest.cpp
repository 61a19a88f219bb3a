#include "ProbeButton.h"

#include "ui/QelForm.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace zv;
using test::ProbeButton;
using B = TQelCustomButton;

namespace {

// A shown, active dialog with an edit field, an OK, a Cancel and a custom button.
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit = new QLineEdit(&form);
        ok = new ProbeButton(&form);
        ok->setButtonKind(B::skOK);
        ok->move(0, 30);
        cancel = new ProbeButton(&form);
        cancel->setButtonKind(B::skCancel);
        cancel->move(80, 30);
        other = new ProbeButton(&form);
        other->setCaption("&Retry");
        other->setTabStop(true);
        other->move(160, 30);
        for (ProbeButton* button : {ok, cancel, other})
            QObject::connect(button, &B::OnClick, [this](TQelCustomButton* sender) { clicked.push_back(sender); });
        form.resize(300, 80);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
    }

    QelForm form;
    QLineEdit* edit = nullptr;
    ProbeButton* ok = nullptr;
    ProbeButton* cancel = nullptr;
    ProbeButton* other = nullptr;
    std::vector<TQelCustomButton*> clicked;
};

using Clicked = std::vector<TQelCustomButton*>;

} // namespace

TEST_F(DialogFixture, EscapeClicksTheCancelButtonButNotWithCtrl)
{
    QTest::keyClick(edit, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(form.ModalResult(), mrNone);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(clicked, Clicked{cancel});
    EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST_F(DialogFixture, EnterClicksTheDefaultButtonFromAnEditField)
{
    EXPECT_TRUE(ok->IsActive);
    EXPECT_FALSE(other->IsActive);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicked, Clicked{ok});
    EXPECT_EQ(form.ModalResult(), mrOk);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicked, (Clicked{ok, ok}));
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(DialogFixture, EnterClicksTheFocusedImageButtonInstead)
{
    other->setFocus();
    EXPECT_TRUE(other->IsActive);
    EXPECT_FALSE(ok->IsActive);
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(clicked, Clicked{other});
    EXPECT_EQ(form.ModalResult(), mrNone);
}

TEST_F(DialogFixture, DefaultTakesEffectAtTheNextFocusMove)
{
    ok->setDefault(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicked, Clicked{ok});
    other->setFocus();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicked, Clicked{ok});
}

TEST_F(DialogFixture, AcceleratorAnswersItsCharacterInEitherCase)
{
    other->setFocus();
    QTest::keyClick(other, 'x');
    QTest::keyClick(other, 'e');
    EXPECT_TRUE(clicked.empty());
    QTest::keyClick(other, 'r');
    QTest::keyClick(other, 'R', Qt::ShiftModifier);
    EXPECT_EQ(clicked, (Clicked{other, other}));
    QTest::keyClick(other, ' '); // no Space handling of its own
    EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(DialogFixture, AcceleratorWithAltWorksFromAnEditField)
{
    QTest::keyClick(edit, 'r');
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(edit->text(), "r");
    QTest::keyClick(edit, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(clicked, Clicked{other});
}

TEST_F(DialogFixture, ButtonsThatCannotTakeTheFocusPassKeysOn)
{
    cancel->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Escape, Qt::ControlModifier);
    other->hide();
    other->setFocus();
    QTest::keyClick(edit, 'r');
    EXPECT_TRUE(clicked.empty());
}

TEST_F(DialogFixture, FramedButtonShowsItsFocusMarkAfterTheRelease)
{
    ok->setButtonStyle(B::stFrameLowered);
    ok->enter();
    ok->press();
    ok->release();
    EXPECT_TRUE(ok->hasFocus());
    EXPECT_TRUE(ok->HasFocus);
    other->setButtonStyle(B::stRaised);
    other->enter();
    other->press();
    other->release();
    EXPECT_FALSE(other->hasFocus());
}

TEST(QelFormModal, ModalResultEndsTheModalRun)
{
    QelForm form;
    auto* retry = new TQelButton(&form);
    retry->setButtonKind(B::skRetry);
    QTimer::singleShot(0, retry, [retry] { retry->Click(); });
    EXPECT_EQ(form.exec(), mrRetry);
    EXPECT_EQ(form.ModalResult(), mrRetry);
    EXPECT_FALSE(form.isVisible());

    QTimer::singleShot(0, &form, [&form] { form.close(); });
    EXPECT_EQ(form.exec(), mrCancel);
}

TEST(QelFormModal, DefaultButtonAnswersEnterInAFormWithoutFocusableControls)
{
    QelForm form;
    auto* ok = new TQelButton(&form);
    ok->setButtonKind(B::skOK);
    QTimer::singleShot(0, &form, [&form] {
        QTest::keyClick(&form, Qt::Key_Return);
        if (form.isVisible())
            form.done(mrNone); // ends the run should Enter not have done it
    });
    EXPECT_EQ(form.exec(), mrOk);
}

TEST(QelFormModal, ResultOfAFormNotRunModallyIsOnlyKept)
{
    QelForm form;
    form.show();
    form.setModalResult(mrOk);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST(QelButtonAccelerator, DoubledAmpersandIsNoAccelerator)
{
    QWidget window;
    TQelButton button(&window);
    window.show();
    button.setCaption("A&&B &Tab");
    EXPECT_FALSE(button.dialogChar('b'));
    EXPECT_FALSE(button.dialogChar('a'));
    EXPECT_TRUE(button.dialogChar('t'));
    button.setCaption("&&");
    EXPECT_FALSE(button.dialogChar('&'));
}

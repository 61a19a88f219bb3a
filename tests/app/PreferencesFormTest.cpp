#include "MainFormFixture.h"

#include "ui/PreferencesForm.h"
#include "ui/QelButton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zv;
using namespace zv::test;

namespace {

// The dialog as the Tasks menu opens it, over the window's session and its settings store.
class PreferencesFormTest : public MainFormFixture {
protected:
    PreferencesFormTest() { createForm(); }

    // Opens the dialog, runs action in it, and closes it if the action left it open.
    void whileOpen(const std::function<void(TPreferencesForm&)>& action)
    {
        QTimer::singleShot(0, form.get(), [this, action] {
            action(*form->PreferencesForm);
            if (form->PreferencesForm->isVisible())
                form->PreferencesForm->reject();
        });
        form->action("Preferences1")->trigger();
    }

    std::optional<std::string> stored(const char* key) const { return settings.value("Downloads", key); }
};

} // namespace

TEST_F(PreferencesFormTest, OkRefusesABadLimitWithABoxAndStoresNothingThenAppliesAndKeepsGoodValues)
{
    bool keptOpen = false;
    whileOpen([&](TPreferencesForm& dialog) {
        dialog.LimitRunningCh->setChecked(true);
        dialog.MaxRunningEdit->setValue(5);
        dialog.LimitSpeedCh->setChecked(true);
        dialog.SpeedEdit->setText("0");
        dialog.QelButton1->Click();
        keptOpen = dialog.isVisible();
        EXPECT_EQ(session->preferences(), DownloadPreferences{});

        dialog.SpeedEdit->setText("1.5");
        dialog.SpeedUnit->setCurrentText("MB/s");
        dialog.ConnectionsEdit->setValue(4);
        dialog.QelButton1->Click();
    });
    EXPECT_TRUE(keptOpen);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Preferences");
    EXPECT_EQ(settings.saves, 1);
    EXPECT_EQ(stored("MaxRunning"), "5");
    EXPECT_EQ(stored("SpeedLimit"), "1572864");
    EXPECT_EQ(session->speedLimiter().limit(), 1572864u);
    EXPECT_EQ(stored("Connections"), "4");
    EXPECT_EQ(session->preferences().connections, 4);
    EXPECT_EQ(stored("ConnectionsPerServer"), std::nullopt); // unchanged from its default
    // The tray's switch follows.
    EXPECT_TRUE(form->action("Limitspeed1")->isEnabled());
    EXPECT_TRUE(form->action("Limitspeed1")->isChecked());
}

// Unchecking the limit switches it off as the tray does; its value stays for switching on again.
TEST_F(PreferencesFormTest, OpensOnTheValuesInEffectEscapeChangesNothingAndUncheckingKeepsTheLimitSwitchedOff)
{
    settings.values[{"Downloads", "MaxRunning"}] = "4";
    settings.values[{"Downloads", "SpeedLimit"}] = "1000000";
    settings.values[{"Downloads", "Connections"}] = "6";
    settings.values[{"Downloads", "ConnectionsPerServer"}] = "2";
    createForm();
    whileOpen([](TPreferencesForm& dialog) {
        EXPECT_TRUE(dialog.LimitRunningCh->isChecked());
        EXPECT_EQ(dialog.MaxRunningEdit->value(), 4);
        EXPECT_TRUE(dialog.LimitSpeedCh->isChecked());
        EXPECT_EQ(dialog.SpeedEdit->text(), "976.5625");
        EXPECT_EQ(dialog.SpeedUnit->currentText(), "KB/s");
        EXPECT_EQ(dialog.ConnectionsEdit->value(), 6);
        EXPECT_EQ(dialog.PerServerEdit->value(), 2);
        dialog.LimitRunningCh->setChecked(false);
        dialog.SpeedEdit->setText("fast");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(settings.saves, 0);
    EXPECT_EQ(session->preferences().maxRunning, 4);

    whileOpen([](TPreferencesForm& dialog) {
        EXPECT_EQ(dialog.SpeedEdit->text(), "976.5625"); // filled afresh
        dialog.LimitSpeedCh->setChecked(false);
        dialog.QelButton1->Click();
    });
    EXPECT_EQ(settings.saves, 1);
    EXPECT_EQ(stored("SpeedLimitOn"), "false");
    EXPECT_EQ(stored("SpeedLimit"), "1000000");
    EXPECT_EQ(stored("MaxRunning"), "4");
    EXPECT_EQ(session->speedLimiter().limit(), 0u);
    EXPECT_TRUE(form->action("Limitspeed1")->isEnabled());
    EXPECT_FALSE(form->action("Limitspeed1")->isChecked());
}

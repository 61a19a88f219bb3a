#pragma once

#include "transfer/DownloadPreferences.h"
#include "ui/QelForm.h"

#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace zv {

class Dialogs;
class FormatSettings;
class TGroupBox;
class TQelButton;
class TaskSession;

// The [Downloads] preferences, in the look of the task editor: how many downloads run at once,
// a speed limit for all of them, and how many connections a download and a server may take.
// It opens on the values in effect; OK applies and keeps them in the session, unless the typed
// limit is not one (a box says so, the dialog stays); Cancel, Escape and the close box change
// nothing.
class TPreferencesForm : public QelForm {
    Q_OBJECT

public:
    struct Services {
        TaskSession& session;
        Dialogs& dialogs;
        const FormatSettings& formats;
    };

    explicit TPreferencesForm(Services services, QWidget* parent = nullptr);

    // Fills the dialog with the values in effect and runs it.
    void openOnValuesInEffect();
    // OK ends the run only with values that were applied.
    void done(int result) override;

    static const char* const Caption;
    // What the count shows while no cap is set, ready for switching one on.
    static constexpr int ShownCapWhenOff = 3;

    TGroupBox* GroupBox1 = nullptr; // "Downloads"
    TGroupBox* GroupBox2 = nullptr; // "Speed"
    TGroupBox* GroupBox3 = nullptr; // "Connections"
    QCheckBox* LimitRunningCh = nullptr;
    QSpinBox* MaxRunningEdit = nullptr;
    QLabel* RunningLabel = nullptr;
    QCheckBox* LimitSpeedCh = nullptr;
    QLineEdit* SpeedEdit = nullptr;
    QComboBox* SpeedUnit = nullptr;
    std::vector<TQelButton*> PresetButtons;
    QLabel* ConnectionsLabel = nullptr;
    QSpinBox* ConnectionsEdit = nullptr;
    QLabel* PerServerLabel = nullptr;
    QSpinBox* PerServerEdit = nullptr;
    TQelButton* QelButton1 = nullptr; // "OK"
    TQelButton* QelButton2 = nullptr; // "Cancel"

private:
    void createControls();
    void createRunningGroup();
    void createSpeedGroup();
    void createConnectionsGroup();
    void placeGroupsAndButtons();
    TGroupBox* makeGroup(const char* caption);
    TQelButton* makeButton(QWidget* parent);
    void fill(const DownloadPreferences& preferences);
    void showLimit(std::uint64_t bytesPerSecond);
    void followSwitches();
    std::optional<std::uint64_t> typedLimit() const;
    // The dialog's values, or none with a box when the limit to apply is not one.
    std::optional<DownloadPreferences> chosen();

    Services m_services;
};

} // namespace zv

#include "ui/PreferencesForm.h"

#include "platform/services/Dialogs.h"
#include "platform/text/FormatSettings.h"
#include "transfer/SpeedLimitText.h"
#include "transfer/TaskSession.h"
#include "ui/EditorBackground.h"
#include "ui/ExtentionsU.h"
#include "ui/FixedPalette.h"
#include "ui/FormFonts.h"
#include "ui/QelButton.h"
#include "ui/TGroupBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace zv {

namespace {

using SpeedLimitText::Unit;

constexpr int FormFontHeight = 11;
constexpr int FieldFontHeight = 13;
constexpr int Margin = 8;
constexpr int Gap = 6;
constexpr int FirstRowTop = 18; // below the group's caption
constexpr int RowHeight = 26;
constexpr QSize DialogButton(89, 33);
constexpr QSize PresetButton(66, 23);
constexpr QSize CountField(52, 22);
constexpr std::uint64_t Presets[] = {256 * 1024, 1024 * 1024, 5 * 1024 * 1024, 20 * 1024 * 1024};
constexpr const char* LimitRefused = "The speed limit must be a number above 0 and at most 10 GB/s (10240 MB/s), "
                                     "for example 512 KB/s or ";

// Lays controls out from left to right, each at its own size, centred on a row; returns the
// right edge of the last.
int placeRow(int left, int top, const std::vector<QWidget*>& controls)
{
    for (QWidget* control : controls) {
        control->move(left, top + (RowHeight - control->height()) / 2);
        left += control->width() + Gap;
    }
    return left - Gap;
}

// A group as high as its rows and as wide as the widest of its controls needs.
QSize contentSize(const QWidget& group)
{
    QRect used;
    for (const QWidget* child : group.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        used |= child->geometry();
    return {used.right() + 1 + Margin, used.bottom() + 1 + Margin};
}

// The larger font of the editor's fields, at the size it takes.
void sizeAsFields(std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls) {
        control->setFont(FormFonts::sansSerif(FieldFontHeight));
        control->adjustSize();
    }
}

std::string limitText(std::uint64_t bytesPerSecond, std::string_view decimalSeparator)
{
    const auto [number, unit] = SpeedLimitText::shown(bytesPerSecond, decimalSeparator);
    return number + " " + SpeedLimitText::UnitTexts[static_cast<int>(unit)];
}

} // namespace

const char* const TPreferencesForm::Caption = "Preferences";

TPreferencesForm::TPreferencesForm(Services services, QWidget* parent) : QelForm(parent), m_services(services)
{
    setWindowTitle(QString::fromUtf8(Caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(FormFonts::sansSerif(FormFontHeight));
    FixedPalette::applyWhite(*this);
    createControls();
    connect(LimitRunningCh, &QCheckBox::toggled, this, &TPreferencesForm::followSwitches);
    connect(LimitSpeedCh, &QCheckBox::toggled, this, &TPreferencesForm::followSwitches);
}

void TPreferencesForm::createControls()
{
    auto* background = new QLabel(this);
    createRunningGroup();
    createSpeedGroup();
    createConnectionsGroup();
    QelButton1 = makeButton(this);
    QelButton1->setButtonKind(TQelCustomButton::skOK);
    QelButton2 = makeButton(this);
    QelButton2->setButtonKind(TQelCustomButton::skCancel);
    placeGroupsAndButtons();
    background->setGeometry(rect());
    background->setPixmap(EditorBackground::washed(width(), height()));
    background->lower();
}

void TPreferencesForm::createRunningGroup()
{
    GroupBox1 = makeGroup("Downloads");
    LimitRunningCh = new QCheckBox(QStringLiteral("Run at most"), GroupBox1);
    MaxRunningEdit = new QSpinBox(GroupBox1);
    MaxRunningEdit->setRange(1, DownloadPreferences::MostRunning);
    RunningLabel = new QLabel(QStringLiteral("downloads at once"), GroupBox1);
    sizeAsFields({LimitRunningCh, MaxRunningEdit, RunningLabel});
    MaxRunningEdit->resize(CountField);
    // A further setting about downloads takes a row below; the group grows to hold it.
    placeRow(Margin, FirstRowTop, {LimitRunningCh, MaxRunningEdit, RunningLabel});
}

void TPreferencesForm::createSpeedGroup()
{
    GroupBox2 = makeGroup("Speed");
    LimitSpeedCh = new QCheckBox(QStringLiteral("Limit the total download speed to"), GroupBox2);
    SpeedEdit = new QLineEdit(GroupBox2);
    SpeedUnit = new QComboBox(GroupBox2);
    for (const char* unit : SpeedLimitText::UnitTexts)
        SpeedUnit->addItem(QString::fromLatin1(unit));
    sizeAsFields({LimitSpeedCh, SpeedEdit, SpeedUnit});
    SpeedEdit->resize(80, 22);
    SpeedEdit->setToolTip(QStringLiteral("Above 0, at most 10 GB/s"));
    placeRow(Margin, FirstRowTop, {LimitSpeedCh, SpeedEdit, SpeedUnit});

    for (const std::uint64_t preset : Presets) {
        TQelButton* button = makeButton(GroupBox2);
        button->setCaption(QString::fromStdString(limitText(preset, m_services.formats.decimalSeparator())));
        button->resize(PresetButton);
        connect(button, &TQelCustomButton::OnClick, this, [this, preset] {
            showLimit(preset);
            LimitSpeedCh->setChecked(true);
        });
        PresetButtons.push_back(button);
    }
    // Under the switch's caption, past its box.
    const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, LimitSpeedCh)
                     + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, LimitSpeedCh);
    placeRow(Margin + indent, FirstRowTop + RowHeight, {PresetButtons.begin(), PresetButtons.end()});
}

void TPreferencesForm::createConnectionsGroup()
{
    GroupBox3 = makeGroup("Connections");
    ConnectionsLabel = new QLabel(QStringLiteral("Connections per download:"), GroupBox3);
    ConnectionsEdit = new QSpinBox(GroupBox3);
    ConnectionsEdit->setToolTip(QStringLiteral("More than one only for a large file whose server sends it in parts"));
    PerServerLabel = new QLabel(QStringLiteral("Connections to one server, all downloads together:"), GroupBox3);
    PerServerEdit = new QSpinBox(GroupBox3);
    PerServerEdit->setToolTip(QStringLiteral("Halved for the rest of the run when the server says it is busy"));
    sizeAsFields({ConnectionsLabel, ConnectionsEdit, PerServerLabel, PerServerEdit});
    // The two counts in one column, past the longer caption.
    const int captionWidth = std::max(ConnectionsLabel->width(), PerServerLabel->width());
    int top = FirstRowTop;
    for (auto [label, count] : {std::pair{ConnectionsLabel, ConnectionsEdit}, std::pair{PerServerLabel, PerServerEdit}}) {
        count->setRange(1, DownloadPreferences::MostConnections);
        count->resize(CountField);
        label->resize(captionWidth, label->height());
        placeRow(Margin, top, {label, count});
        top += RowHeight;
    }
}

// The groups one under another, as wide as the widest needs, and OK and Cancel below them on
// the right: a group added later only needs a place in the list.
void TPreferencesForm::placeGroupsAndButtons()
{
    const std::initializer_list<TGroupBox*> groups{GroupBox1, GroupBox2, GroupBox3};
    int width = 2 * DialogButton.width() + Gap;
    for (const TGroupBox* group : groups)
        width = std::max(width, contentSize(*group).width());
    int top = Margin;
    for (TGroupBox* group : groups) {
        group->setGeometry(Margin, top, width, contentSize(*group).height());
        top += group->height() + Gap;
    }
    QelButton1->resize(DialogButton);
    QelButton2->resize(DialogButton);
    placeRow(Margin + width - 2 * DialogButton.width() - Gap, top, {QelButton1, QelButton2});
    setFixedSize(width + 2 * Margin, top + DialogButton.height() + Margin);
}

TGroupBox* TPreferencesForm::makeGroup(const char* caption)
{
    auto* group = new TGroupBox(QString::fromUtf8(caption), this);
    group->setFlat(true);
    group->setFont(FormFonts::sansSerif(FormFontHeight, true));
    return group;
}

TQelButton* TPreferencesForm::makeButton(QWidget* parent)
{
    auto* button = new TQelButton(parent);
    button->setFont(FormFonts::sansSerif(FormFontHeight));
    button->setButtonStyle(TQelCustomButton::stFlatDot);
    button->setColor(ColorValue(TEditTaskForm::ButtonFace));
    button->setTabStop(true);
    return button;
}

void TPreferencesForm::openOnValuesInEffect()
{
    fill(m_services.session.preferences());
    exec();
}

void TPreferencesForm::fill(const DownloadPreferences& preferences)
{
    LimitRunningCh->setChecked(preferences.maxRunning != 0);
    MaxRunningEdit->setValue(preferences.maxRunning != 0 ? preferences.maxRunning : ShownCapWhenOff);
    LimitSpeedCh->setChecked(preferences.limitInForce() != 0);
    SpeedEdit->clear();
    SpeedUnit->setCurrentIndex(static_cast<int>(Unit::MBps));
    if (preferences.speedLimit != 0)
        showLimit(preferences.speedLimit);
    ConnectionsEdit->setValue(preferences.connections);
    PerServerEdit->setValue(preferences.connectionsPerServer);
    followSwitches();
    LimitRunningCh->setFocus();
}

void TPreferencesForm::showLimit(std::uint64_t bytesPerSecond)
{
    const auto [number, unit] = SpeedLimitText::shown(bytesPerSecond, m_services.formats.decimalSeparator());
    SpeedEdit->setText(QString::fromStdString(number));
    SpeedUnit->setCurrentIndex(static_cast<int>(unit));
}

// A value switched off stays in view, greyed, for switching it on again.
void TPreferencesForm::followSwitches()
{
    MaxRunningEdit->setEnabled(LimitRunningCh->isChecked());
    SpeedEdit->setEnabled(LimitSpeedCh->isChecked());
    SpeedUnit->setEnabled(LimitSpeedCh->isChecked());
}

std::optional<std::uint64_t> TPreferencesForm::typedLimit() const
{
    return SpeedLimitText::bytesPerSecond(SpeedEdit->text().toStdString(), static_cast<Unit>(SpeedUnit->currentIndex()),
                                          m_services.formats.decimalSeparator());
}

std::optional<DownloadPreferences> TPreferencesForm::chosen()
{
    DownloadPreferences chosen = m_services.session.preferences();
    for (QSpinBox* count : {MaxRunningEdit, ConnectionsEdit, PerServerEdit})
        count->interpretText();
    chosen.maxRunning = LimitRunningCh->isChecked() ? MaxRunningEdit->value() : 0;
    chosen.connections = ConnectionsEdit->value();
    chosen.connectionsPerServer = PerServerEdit->value();
    const auto typed = typedLimit();
    if (!LimitSpeedCh->isChecked()) {
        // Switched off as the tray's "Limit speed" does: the limit stays for switching on again.
        if (typed)
            chosen.speedLimit = *typed;
        if (chosen.speedLimit != 0)
            chosen.speedLimitOn = false;
        return chosen;
    }
    if (!typed) {
        const std::string example = "1" + m_services.formats.decimalSeparator() + "5 MB/s.";
        m_services.dialogs.messageBox(LimitRefused + example, Caption, MessageIcon::Warning);
        SpeedEdit->setFocus();
        SpeedEdit->selectAll();
        return std::nullopt;
    }
    chosen.speedLimit = *typed;
    chosen.speedLimitOn = true;
    return chosen;
}

void TPreferencesForm::done(int result)
{
    if (result == mrOk) {
        const auto values = chosen();
        if (!values)
            return;
        m_services.session.setPreferences(*values);
    }
    QelForm::done(result);
}

} // namespace zv

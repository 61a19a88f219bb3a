#pragma once

#include "ui/PickerForm.h"

#include <functional>
#include <string>

class QCalendarWidget;
class QPushButton;

namespace zv {

class Clock;
class FormatSettings;

// The date picker of the task editor: a month calendar whose OK writes the selected date,
// in the short date format, to the editor's date field. Only OK writes: a double click on a
// day selects it, and Enter presses OK. It keeps its selection between openings and is not
// set from the field.
class TForm4 : public PickerForm {
    Q_OBJECT

public:
    using DateTarget = std::function<void(const std::string& date)>;

    // The first opening shows the clock's today.
    TForm4(const FormatSettings& formats, const Clock& clock, QWidget* parent = nullptr);

    void setDateTarget(DateTarget target) { m_target = std::move(target); }

    void BitBtn1Click();

    QCalendarWidget* MonthCalendar1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const FormatSettings& m_formats;
    DateTarget m_target;
};

} // namespace zv

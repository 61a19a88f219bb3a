#include "ui/CalendarU.h"

#include "platform/services/Clock.h"
#include "platform/text/FormatSettings.h"
#include "ui/FormFonts.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

namespace zv {

TForm4::TForm4(const FormatSettings& formats, const Clock& clock, QWidget* parent)
    : PickerForm(QSize(514, 289), QRect(2, 3, 510, 283), parent), m_formats(formats)
{
    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setGeometry(16, 8, 489, 241);
    MonthCalendar1->setFont(FormFonts::sansSerif(16));
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    MonthCalendar1->setGridVisible(true);
    const Date today = clock.now().date;
    MonthCalendar1->setSelectedDate(QDate(today.year, today.month, today.day));
    if (QTableView* days = MonthCalendar1->findChild<QTableView*>())
        days->installEventFilter(this);

    BitBtn1 = makeOkButton(QRect(219, 256, 95, 25));
    connect(BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
}

// The calendar's days keep Enter for themselves; passed on, it reaches the dialog, whose
// default button is OK.
bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->ignore();
            return true;
        }
    }
    return PickerForm::eventFilter(watched, event);
}

void TForm4::BitBtn1Click()
{
    const QDate selected = MonthCalendar1->selectedDate();
    if (m_target)
        m_target(m_formats.formatDate(Date{selected.year(), selected.month(), selected.day()}));
    done(mrOk);
}

} // namespace zv

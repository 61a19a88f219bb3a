#include "ClickProbe.h"

#include "ui/TaskGrid.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPointingDevice>

#include <limits>

namespace zv::bench {

ClickProbe::ClickProbe(TaskGrid& grid) : m_grid(grid), m_device(QPointingDevice::primaryPointingDevice())
{
    QObject::connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, &grid,
                     [this](const QModelIndex& current) { currentRowChanged(current.row() + 1); });
}

void ClickProbe::click(int row)
{
    {
        const std::lock_guard lock(m_mutex);
        m_clicks.push_back({row, Clock::now(), std::nullopt});
    }
    QMetaObject::invokeMethod(&m_grid, [this, row] { press(row); }, Qt::QueuedConnection);
}

std::vector<double> ClickProbe::delaysUntil(Clock::time_point now) const
{
    const std::lock_guard lock(m_mutex);
    std::vector<double> delays;
    for (const Click& click : m_clicks) {
        if (click.answered && *click.answered <= now)
            delays.push_back(std::chrono::duration<double, std::milli>(*click.answered - click.asked).count());
        else
            delays.push_back(std::numeric_limits<double>::infinity());
    }
    return delays;
}

void ClickProbe::press(int row) const
{
    const QModelIndex cell = m_grid.model()->index(row - 1, 0);
    m_grid.scrollTo(cell);
    QWidget* viewport = m_grid.viewport();
    const QPointF local(m_grid.visualRect(cell).center());
    const QPointF global(viewport->mapToGlobal(local));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, m_device);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, m_device);
    QApplication::sendEvent(viewport, &release);
}

// The first click still waiting for its row is answered; the schedule making one of its own
// rows current answers none.
void ClickProbe::currentRowChanged(int row)
{
    const auto now = Clock::now();
    const std::lock_guard lock(m_mutex);
    for (Click& click : m_clicks) {
        if (!click.answered && click.row == row) {
            click.answered = now;
            return;
        }
    }
}

} // namespace zv::bench

#pragma once

#include <QPoint>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

class QPointingDevice;

namespace zv {
class TaskGrid;
}

namespace zv::bench {

// Synthetic left clicks on rows of the task grid, asked for from any thread at a measured
// moment, and how long each takes until the grid's current row is the clicked one: the
// time the window takes to answer a click.
class ClickProbe {
public:
    using Clock = std::chrono::steady_clock;

    // Main thread, with the grid shown: rows are the table rows that will be clicked.
    ClickProbe(TaskGrid& grid, const std::vector<int>& rows);

    // Any thread: queues a press and a release on the middle of row for the main thread.
    void click(int row);
    // Any thread: each click's delay in milliseconds, in the order of the clicks; a click not
    // answered by now is infinite.
    std::vector<double> delaysUntil(Clock::time_point now) const;

private:
    struct Click {
        int row = 0;
        Clock::time_point asked;
        std::optional<Clock::time_point> answered;
    };

    void press(int row); // main thread
    void currentRowChanged(int row); // main thread

    TaskGrid& m_grid;
    const QPointingDevice* m_device;
    std::map<int, QPoint> m_positions;
    mutable std::mutex m_mutex;
    std::vector<Click> m_clicks;
};

} // namespace zv::bench

#pragma once

#include <chrono>
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

    // Main thread.
    explicit ClickProbe(TaskGrid& grid);

    // Any thread: queues for the main thread a press and a release on the middle of row,
    // scrolled into view first as a user would.
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

    void press(int row) const; // main thread
    void currentRowChanged(int row); // main thread

    TaskGrid& m_grid;
    const QPointingDevice* m_device;
    mutable std::mutex m_mutex;
    std::vector<Click> m_clicks;
};

} // namespace zv::bench

#pragma once

#include "tasks/TaskId.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace zv {

// The starts that wait for a place under the cap on running downloads, in the order they
// were asked. It lives in memory only: a waiting task keeps its cells as they were. Main
// thread only.
class RunQueue {
public:
    // How the start was asked; it goes on the same way when the task leaves the queue.
    enum class Start { User, All, Schedule };
    struct Entry {
        TaskId task;
        Start start;
    };

    // Adds the task at the end; a task already waiting keeps its place (false).
    bool add(TaskId task, Start start);
    // Whether the task was waiting.
    bool remove(TaskId task);
    void clear();
    // The first entry whose task may go now, taken out; none when no task may.
    std::optional<Entry> takeFirst(const std::function<bool(const Entry&)>& mayGo);

    // 1 for the first in line; 0 for a task that does not wait.
    std::size_t placeOf(TaskId task) const;
    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }

    // Told after every change of the line, for the window's pictures and tooltips.
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    void changed() const;

    std::vector<Entry> m_entries;
    std::function<void()> m_onChange;
};

} // namespace zv

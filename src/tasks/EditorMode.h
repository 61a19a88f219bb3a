#pragma once

#include "tasks/TaskId.h"

#include <functional>
#include <utility>

namespace zv {

// Whether the task editor adds a task or modifies one, and which. Shared by the main
// window, which sets it, and the editor, which reads and resets it whenever it closes.
class EditorMode {
public:
    bool isModify() const { return m_modify; }
    TaskId task() const { return m_task; }

    void setAdd()
    {
        m_modify = false;
        m_task = TaskId::None;
    }
    void setModify(TaskId task)
    {
        m_modify = true;
        m_task = task;
        if (m_onModify)
            m_onModify(task);
    }
    // Told whenever the editor opens on a task.
    void setOnModify(std::function<void(TaskId task)> listener) { m_onModify = std::move(listener); }

    // While the editor is open on this task, nothing else may start or rewrite it.
    bool isUnderEdit(TaskId task) const { return m_modify && m_task == task; }

private:
    bool m_modify = false;
    TaskId m_task = TaskId::None;
    std::function<void(TaskId)> m_onModify;
};

} // namespace zv

#pragma once

#include <functional>
#include <utility>

namespace zv {

// Whether the task editor adds a task or modifies one, and which. Shared by the main
// window, which sets it, and the editor, which reads and resets it whenever it closes.
class EditorMode {
public:
    bool isModify() const { return m_modify; }
    int row() const { return m_row; }

    void setAdd()
    {
        m_modify = false;
        m_row = 0;
    }
    void setModify(int row)
    {
        m_modify = true;
        m_row = row;
        if (m_onModify)
            m_onModify(row);
    }
    // Told whenever the editor opens on a row.
    void setOnModify(std::function<void(int row)> listener) { m_onModify = std::move(listener); }

    // While the editor is open on this row, nothing else may start or rewrite it.
    bool isUnderEdit(int row) const { return m_modify && m_row == row; }

private:
    bool m_modify = false;
    int m_row = 0;
    std::function<void(int)> m_onModify;
};

} // namespace zv

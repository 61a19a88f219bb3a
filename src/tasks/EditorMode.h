#pragma once

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
    }

    // While the editor is open on this row, nothing else may start or rewrite it.
    bool isUnderEdit(int row) const { return m_modify && m_row == row; }

private:
    bool m_modify = false;
    int m_row = 0;
};

} // namespace zv

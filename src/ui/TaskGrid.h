#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTableView>

#include <functional>

namespace zv {

class TaskTable;
class TaskTableModel;

// How a cell is being drawn: selected (in the selected row) and focused (the current
// cell of a grid that has the keyboard focus).
struct GridDrawState {
    bool selected = false;
    bool focused = false;
};

// The task grid: the table's rows under a white header row, whole-row selection, user-sized
// columns, horizontal lines only. Cells are first drawn the standard way; then the owner's
// draw-cell handler may draw over them. A right click never changes the current row.
class TaskGrid final : public QTableView {
    Q_OBJECT

public:
    using DrawCellHandler = std::function<void(QPainter& painter, int column, int row,
                                               const QRect& rect, const GridDrawState& state)>;
    // The lines a task row's tooltip begins with (row numbers of the table); empty for none.
    using RowTipHandler = std::function<std::string(int row)>;

    static constexpr int RowHeight = 20;
    static constexpr int TextOffset = 2;

    explicit TaskGrid(TaskTable& table, QWidget* parent = nullptr);

    void setOnDrawCell(DrawCellHandler handler) { m_onDrawCell = std::move(handler); }
    const DrawCellHandler& onDrawCell() const { return m_onDrawCell; }
    void setOnRowTip(RowTipHandler handler) { m_onRowTip = std::move(handler); }

    TaskTable& table() const;
    // The column of the current cell (the focused one of the selected row).
    int currentColumn() const;

    // The whole shown text of a cell whose text the grid cuts at its right edge; empty when
    // it fits (its tooltip).
    QString cutText(const QModelIndex& index) const;
    // A cell's tooltip as plain text: its row's lines, then the cell's text when it is cut.
    QString tipText(const QModelIndex& index) const;
    // Brings a shown tooltip up to date with its row (the window's progress timer calls it).
    void refreshTip();

    // The standard look of a cell: background, then its text 2 pixels from the left and top.
    void drawStandardCell(QPainter& painter, const QRect& rect, const QString& text,
                          const GridDrawState& state) const;

protected:
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showTableCurrentRow(int row);
    void showTip(const QString& text);

    TaskTableModel* m_model;
    DrawCellHandler m_onDrawCell;
    RowTipHandler m_onRowTip;
    QPersistentModelIndex m_tipIndex; // the cell whose tooltip is shown
    QPoint m_tipPosition;
    bool m_syncing = false;
};

} // namespace zv

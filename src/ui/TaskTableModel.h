#pragma once

#include <QAbstractTableModel>

#include <cstddef>
#include <string>

namespace zv {

class TaskTable;

// The task table as Qt sees it: model row r is task row r + 1; the header row gives the
// column titles. Cells are bytes shown decoded as UTF-8 (undecodable bytes as replacement
// characters); the model never writes a cell, so bytes are never altered.
class TaskTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // A cell longer than this is shown from its first bytes: a hand-made list may hold
    // megabytes in one cell, which no grid can show and which would slow every repaint.
    static constexpr std::size_t ShownBytes = 4096;

    explicit TaskTableModel(TaskTable& table, QObject* parent = nullptr);
    ~TaskTableModel() override;

    // A cell's text as the grid shows it: its first ShownBytes bytes, never splitting a
    // UTF-8 sequence.
    static QString shownText(const std::string& cell);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    TaskTable& table() const { return m_table; }

signals:
    // The table's current row changed (0: none).
    void currentRowChanged(int row);

private:
    TaskTable& m_table;
    int m_listener = 0;
};

} // namespace zv

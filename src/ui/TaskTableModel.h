#pragma once

#include <QAbstractTableModel>

namespace zv {

class TaskTable;

// The task table as Qt sees it: model row r is task row r + 1; the header row gives the
// column titles. Cells are bytes shown decoded as UTF-8 (undecodable bytes as replacement
// characters); the model never writes a cell, so bytes are never altered.
class TaskTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TaskTableModel(TaskTable& table, QObject* parent = nullptr);
    ~TaskTableModel() override;

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

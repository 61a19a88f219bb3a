#include "ui/TaskTableModel.h"

#include "platform/text/ByteText.h"
#include "platform/text/Utf8.h"
#include "tasks/TaskTable.h"

namespace zv {

TaskTableModel::TaskTableModel(TaskTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{
    m_listener = m_table.addListener([this](const TableChange& change) {
        switch (change.kind) {
        case TableChange::Kind::Cell:
            if (change.row == 0) {
                emit headerDataChanged(Qt::Horizontal, change.column, change.column);
            } else {
                const QModelIndex cell = index(change.row - 1, change.column);
                emit dataChanged(cell, cell, {Qt::DisplayRole});
            }
            break;
        case TableChange::Kind::Rows:
            // Rows come and go only all together or one at the end: a reset is cheap.
            beginResetModel();
            endResetModel();
            emit currentRowChanged(m_table.currentRow());
            break;
        case TableChange::Kind::CurrentRow:
            emit currentRowChanged(m_table.currentRow());
            break;
        case TableChange::Kind::FixedRows:
            break;
        }
    });
}

TaskTableModel::~TaskTableModel()
{
    m_table.removeListener(m_listener);
}

int TaskTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.taskCount();
}

int TaskTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TaskTable::ColumnCount;
}

QString TaskTableModel::shownText(const std::string& cell)
{
    return ByteText::decode(cell.substr(0, Utf8::prefixLength(cell, ShownBytes)));
}

QVariant TaskTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return shownText(m_table.cell(index.column(), index.row() + 1));
}

QVariant TaskTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return ByteText::decode(m_table.cell(section, 0));
}

} // namespace zv

#include "transfer/StartTokens.h"

#include "tasks/TaskTable.h"

namespace zv {

namespace {

// Written by a start or a worker's progress without making the row another task.
bool isSizeOrTime(int column)
{
    return column == ColSize || column == ColSizeLoaded || column == ColTimeOfBeginning || column == ColTimeOfEnd;
}

} // namespace

StartTokens::StartTokens(TaskTable& table) : m_table(table)
{
    resize(table.rowCount());
    m_listenerId = m_table.addListener([this](const TableChange& change) {
        if (change.kind == TableChange::Kind::Rows)
            resize(m_table.rowCount());
        else if (change.kind == TableChange::Kind::Cell && change.textChanged && !isSizeOrTime(change.column))
            renew(change.row);
    });
}

StartTokens::~StartTokens()
{
    m_table.removeListener(m_listenerId);
}

std::uint64_t StartTokens::of(int row) const
{
    return row >= 0 && row < static_cast<int>(m_tokens.size()) ? m_tokens[static_cast<std::size_t>(row)] : 0;
}

void StartTokens::renew(int row)
{
    if (row >= 0 && row < static_cast<int>(m_tokens.size()))
        m_tokens[static_cast<std::size_t>(row)] = ++m_next;
}

void StartTokens::resize(int rowCount)
{
    // Rows beyond the new count are gone; rows added get tokens never given before.
    const std::size_t kept = m_tokens.size();
    m_tokens.resize(static_cast<std::size_t>(std::max(rowCount, 0)));
    for (std::size_t row = kept; row < m_tokens.size(); ++row)
        m_tokens[row] = ++m_next;
}

} // namespace zv

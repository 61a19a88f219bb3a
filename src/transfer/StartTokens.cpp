#include "transfer/StartTokens.h"

#include "tasks/TaskTable.h"

namespace zv {

namespace {

// Written by a start or a worker's progress without making the row another task.
bool isSizeOrTime(int column)
{
    return column == ColSize || column == ColSizeLoaded || column == ColTimeOfBeginning || column == ColTimeOfEnd;
}

// A task's first token: one of its own, as no token is ever given twice.
constexpr std::uint64_t FirstToken = 1;

} // namespace

StartTokens::StartTokens(TaskTable& table) : m_table(table), m_next(FirstToken)
{
    m_listenerId = m_table.addListener([this](const TableChange& change) {
        if (change.kind == TableChange::Kind::Rows)
            forgetGone();
        else if (change.kind == TableChange::Kind::Cell && change.textChanged && !isSizeOrTime(change.column))
            renew(m_table.idOf(change.row));
    });
}

StartTokens::~StartTokens()
{
    m_table.removeListener(m_listenerId);
}

std::uint64_t StartTokens::of(TaskId task) const
{
    if (m_table.rowOf(task) == 0)
        return 0;
    const auto token = m_tokens.find(task);
    return token == m_tokens.end() ? FirstToken : token->second;
}

void StartTokens::renew(TaskId task)
{
    if (task != TaskId::None)
        m_tokens[task] = ++m_next;
}

void StartTokens::forgetGone()
{
    std::erase_if(m_tokens, [this](const auto& entry) { return m_table.rowOf(entry.first) == 0; });
}

} // namespace zv

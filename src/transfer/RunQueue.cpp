#include "transfer/RunQueue.h"

#include <algorithm>

namespace zv {

bool RunQueue::add(TaskId task, Start start)
{
    if (placeOf(task) != 0)
        return false;
    m_entries.push_back({task, start});
    changed();
    return true;
}

bool RunQueue::remove(TaskId task)
{
    if (std::erase_if(m_entries, [task](const Entry& entry) { return entry.task == task; }) == 0)
        return false;
    changed();
    return true;
}

void RunQueue::clear()
{
    if (m_entries.empty())
        return;
    m_entries.clear();
    changed();
}

std::optional<RunQueue::Entry> RunQueue::takeFirst(const std::function<bool(const Entry&)>& mayGo)
{
    const auto first = std::ranges::find_if(m_entries, mayGo);
    if (first == m_entries.end())
        return std::nullopt;
    const Entry taken = *first;
    m_entries.erase(first);
    changed();
    return taken;
}

std::size_t RunQueue::placeOf(TaskId task) const
{
    const auto found = std::ranges::find_if(m_entries, [task](const Entry& entry) { return entry.task == task; });
    return found == m_entries.end() ? 0 : static_cast<std::size_t>(found - m_entries.begin()) + 1;
}

void RunQueue::changed() const
{
    if (m_onChange)
        m_onChange();
}

} // namespace zv

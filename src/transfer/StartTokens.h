#pragma once

#include "tasks/TaskId.h"

#include <cstdint>
#include <map>

namespace zv {

class TaskTable;

// A start that waits for its probe carries its task's token and goes on only if the token
// is the same when the answer comes: the task is still there and still what it was. A task's
// token is renewed when one of its cells other than sizes and times changes (started,
// stopped, cancelled, modified, another URL); renew() covers what the table does not show
// (the editor opened on it). A task that left the table has no token.
class StartTokens {
public:
    explicit StartTokens(TaskTable& table);
    ~StartTokens();
    StartTokens(const StartTokens&) = delete;
    StartTokens& operator=(const StartTokens&) = delete;

    // 0 for no task.
    std::uint64_t of(TaskId task) const;
    void renew(TaskId task);

private:
    void forgetGone();

    TaskTable& m_table;
    int m_listenerId = 0;
    std::map<TaskId, std::uint64_t> m_tokens; // tasks whose token was renewed
    std::uint64_t m_next = 0;
};

} // namespace zv

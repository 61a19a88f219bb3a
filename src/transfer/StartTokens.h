#pragma once

#include <cstdint>
#include <vector>

namespace zv {

class TaskTable;

// Rows have no identity, so a start that waits for its probe carries its row's token and
// goes on only if the token is the same when the answer comes. A row's token is renewed
// when the row is dropped or made anew (the list cleared, opened or replaced) and when one
// of its cells other than sizes and times changes (started, stopped, cancelled, modified,
// another URL); renew() covers what the table does not show (the editor opened on it).
class StartTokens {
public:
    explicit StartTokens(TaskTable& table);
    ~StartTokens();
    StartTokens(const StartTokens&) = delete;
    StartTokens& operator=(const StartTokens&) = delete;

    std::uint64_t of(int row) const;
    void renew(int row);

private:
    void resize(int rowCount);

    TaskTable& m_table;
    int m_listenerId = 0;
    std::vector<std::uint64_t> m_tokens;
    std::uint64_t m_next = 0;
};

} // namespace zv

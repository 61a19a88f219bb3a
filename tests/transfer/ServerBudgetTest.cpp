#include "transfer/ServerBudget.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zv;

TEST(ServerBudget, EachServerHoldsItsBudgetAndABusyAnswerHalvesItDownToOne)
{
    ServerBudget budget(8);
    std::vector<std::unique_ptr<ServerBudget::Lease>> held;
    while (auto lease = budget.take("a.example"))
        held.push_back(std::move(lease));
    EXPECT_EQ(held.size(), 8u);
    EXPECT_NE(budget.take("b.example"), nullptr); // another server has its own budget

    std::vector<int> steps;
    for (int busy = 0; busy < 4; ++busy) {
        budget.busy("a.example");
        steps.push_back(budget.allowance("a.example"));
    }
    EXPECT_EQ(steps, (std::vector<int>{4, 2, 1, 1}));
    // Held connections stay; a place frees only when the held ones fall below the new budget.
    held.resize(1);
    EXPECT_EQ(budget.take("a.example"), nullptr);
    held.clear();
    EXPECT_NE(budget.take("a.example"), nullptr);
}

#pragma once

#include "platform/services/Deferrer.h"

#include <utility>
#include <vector>

namespace zv::test {

// Keeps the calls it is asked for until the test fires them.
class FakeDeferrer final : public Deferrer {
public:
    struct Call {
        int milliseconds;
        std::function<void()> function;
    };

    void callAfter(int milliseconds, std::function<void()> function) override
    {
        calls.push_back({milliseconds, std::move(function)});
    }

    // Runs the calls waiting now (not those they ask for) and gives how many ran.
    int fireAll()
    {
        auto due = std::exchange(calls, {});
        for (auto& call : due)
            call.function();
        return static_cast<int>(due.size());
    }

    std::vector<Call> calls;
};

} // namespace zv::test

#pragma once

#include "transfer/ProbeRunner.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::test {

// Keeps every probe pending until the test answers it: the order of events is the test's.
class ManualProbeRunner final : public ProbeRunner {
public:
    struct Pending {
        std::string url;
        Answer answer;
    };

    void ask(const std::string& url, Answer answer) override { pending.push_back({url, std::move(answer)}); }
    void cancelAll() override
    {
        pending.clear();
        ++cancellations;
    }

    // Answers the index-th pending probe (in the order asked) and forgets it.
    void answer(std::size_t index, std::uint64_t bytes) { answer(index, ProbeResult{bytes, {}, false, {}}); }
    void answer(std::size_t index, const ProbeResult& result)
    {
        Answer given = std::move(pending.at(index).answer);
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(index));
        given(result);
    }

    std::vector<Pending> pending;
    int cancellations = 0;
};

} // namespace zv::test

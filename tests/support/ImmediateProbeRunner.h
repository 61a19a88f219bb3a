#pragma once

#include "transfer/Probe.h"
#include "transfer/ProbeRunner.h"

namespace zv::test {

// Probes on the calling thread and answers at once, as the program did before probes moved
// off the main thread: tests that need no pending probe keep their order of events.
class ImmediateProbeRunner final : public ProbeRunner {
public:
    explicit ImmediateProbeRunner(InternetSessionFactory& internet) : m_internet(internet) {}

    void ask(const std::string& url, Answer answer) override { answer(Probe::run(m_internet, url)); }
    void cancelAll() override {}

private:
    InternetSessionFactory& m_internet;
};

} // namespace zv::test

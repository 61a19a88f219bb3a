#pragma once

#include "transfer/Probe.h"
#include "transfer/ProbeRunner.h"

namespace zv {

// Answers each probe where it is asked, on the caller's thread, until a threaded runner
// takes its place.
class InPlaceProbeRunner final : public ProbeRunner {
public:
    explicit InPlaceProbeRunner(InternetSessionFactory& internet) : m_internet(internet) {}

    void ask(const std::string& url, Answer answer) override { answer(Probe::bytesAvailable(m_internet, url)); }
    void cancelAll() override {}

private:
    InternetSessionFactory& m_internet;
};

} // namespace zv

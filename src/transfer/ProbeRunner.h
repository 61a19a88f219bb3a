#pragma once

#include "transfer/ProbeResult.h"

#include <functional>
#include <string>

namespace zv {

// Runs probes (Probe::run) away from the caller and hands each answer back on the
// main thread, so that no window waits on the network. Main thread only.
class ProbeRunner {
public:
    using Answer = std::function<void(const ProbeResult& result)>;

    virtual ~ProbeRunner() = default;

    // Probes url; answer runs later on the main thread with the result (a count of 0 on any failure),
    // unless cancelAll() came first. An implementation for tests may answer at once.
    virtual void ask(const std::string& url, Answer answer) = 0;
    // Interrupts every probe in flight and drops every answer not given yet.
    virtual void cancelAll() = 0;
};

} // namespace zv

#pragma once

#include <functional>

namespace zv {

// Runs a function once, a while later, on the thread that asked (a single-shot timer).
// Passed in so that code waiting on time can be tested without waiting.
class Deferrer {
public:
    virtual ~Deferrer() = default;
    virtual void callAfter(int milliseconds, std::function<void()> function) = 0;
};

} // namespace zv

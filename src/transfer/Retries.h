#pragma once

#include "platform/services/FailureReason.h"
#include "transfer/RetryPolicy.h"

#include <chrono>
#include <optional>
#include <string>

namespace zv {

// The retries of one run: after each failed attempt, whether another follows and after what
// wait. Only transient failures are retried, at most the policy's count in a row without a new
// byte, and never when the server asks for a longer wait than the policy honours.
class Retries {
public:
    explicit Retries(RetryPolicy policy) : m_policy(std::move(policy)) {}

    // The wait before the next attempt after failure; nullopt when the run ends with it.
    std::optional<std::chrono::milliseconds> after(const FailureReason& failure);
    // Bytes were appended to the file: the count in a row starts again.
    void progressed() { m_inARow = 0; }

    int inAll() const { return m_inAll; }
    // For people: the failure that ended the run, and why no retry followed it.
    std::string endText(const FailureReason& failure) const;

private:
    std::chrono::milliseconds spread(std::chrono::milliseconds wait) const;

    RetryPolicy m_policy;
    int m_inARow = 0;
    int m_inAll = 0;
    std::string m_refusal; // why the last failure was not retried, when it was transient
};

} // namespace zv

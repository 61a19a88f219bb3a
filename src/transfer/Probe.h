#pragma once

#include "transfer/ProbeResult.h"

#include <string>

namespace zv {

class InternetSessionFactory;
class Interrupter;

// The one-shot request a start (and the task editor) makes before anything else.
namespace Probe {
inline constexpr const char* Agent = "Vantrel";

// The resource's announced size, else the bytes available at once; 0 on any failure
// (no connection, a bad or unsupported address, an error status, no body), with why.
// An interrupter, when given, ends a probe that waits on the network at once.
ProbeResult run(InternetSessionFactory& internet, const std::string& url, Interrupter* interrupter = nullptr);
} // namespace Probe

} // namespace zv

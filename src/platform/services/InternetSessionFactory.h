#pragma once

#include "platform/services/InternetSession.h"

#include <memory>
#include <string>

namespace zv {

class Interrupter;

enum class SessionUse {
    Download, // may take as long as data keeps coming
    Probe,    // gives up after the probe limit
};

// Opens Internet sessions; passed in so that tests can shorten limits or fail streams.
class InternetSessionFactory {
public:
    virtual ~InternetSessionFactory() = default;

    // Null on failure. An interrupter, when given, ends every blocking wait of the
    // session's streams once it is interrupted; it must outlive the session.
    virtual std::unique_ptr<InternetSession> openSession(const std::string& agent, SessionUse use,
                                                         Interrupter* interrupter = nullptr) = 0;
};

} // namespace zv

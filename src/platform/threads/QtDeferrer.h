#pragma once

#include "platform/services/Deferrer.h"

#include <QObject>

namespace zv {

// Calls later from the Qt event loop of the thread that made the deferrer. Calls still
// waiting when the deferrer goes are dropped.
class QtDeferrer final : public Deferrer {
public:
    void callAfter(int milliseconds, std::function<void()> function) override;

private:
    QObject m_context;
};

} // namespace zv

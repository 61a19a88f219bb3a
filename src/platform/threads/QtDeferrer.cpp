#include "platform/threads/QtDeferrer.h"

#include <QTimer>

namespace zv {

void QtDeferrer::callAfter(int milliseconds, std::function<void()> function)
{
    QTimer::singleShot(milliseconds, &m_context, std::move(function));
}

} // namespace zv

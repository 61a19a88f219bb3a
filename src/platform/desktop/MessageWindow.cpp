#include "platform/desktop/MessageWindow.h"

#include <utility>

namespace zv {

MessageWindow::MessageWindow(Procedure procedure, QObject* parent)
    : QObject(parent), m_procedure(std::move(procedure))
{
}

std::intptr_t MessageWindow::send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!m_procedure)
        return defaultProcedure(message, wParam, lParam);
    return m_procedure(message, wParam, lParam);
}

void MessageWindow::post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // The window is the call's context: Qt drops the call when the window goes first.
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { send(message, wParam, lParam); },
        Qt::QueuedConnection);
}

std::intptr_t MessageWindow::defaultProcedure(unsigned, std::uintptr_t, std::intptr_t)
{
    return 0;
}

} // namespace zv

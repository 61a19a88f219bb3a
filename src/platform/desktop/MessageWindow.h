#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

namespace zv {

// A hidden window that only receives messages: sent ones run its procedure at once,
// posted ones run from the event loop after the current event. A message posted to a
// window that is destroyed before it arrives is dropped.
class MessageWindow final : public QObject {
    Q_OBJECT

public:
    using Procedure =
        std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

    explicit MessageWindow(Procedure procedure, QObject* parent = nullptr);

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // What a window does with a message it has no use for.
    static std::intptr_t defaultProcedure(unsigned message, std::uintptr_t wParam,
                                          std::intptr_t lParam);

private:
    Procedure m_procedure;
};

} // namespace zv

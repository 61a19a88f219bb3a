#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

namespace zv::test {

// Collects the warnings and errors Qt prints while it lives, instead of printing them.
class QtMessageCapture {
public:
    QtMessageCapture();
    ~QtMessageCapture();

    QtMessageCapture(const QtMessageCapture&) = delete;
    QtMessageCapture& operator=(const QtMessageCapture&) = delete;

    const std::vector<std::string>& warnings() const { return m_warnings; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    std::vector<std::string> m_warnings;
    QtMessageHandler m_previous;
};

} // namespace zv::test

#pragma once

#include <QtGlobal>

#include <mutex>
#include <string>
#include <vector>

namespace zv::test {

// Turns the debug lines of one logging category on while it lives and collects them, from
// any thread, instead of printing them.
class CategoryLog {
public:
    explicit CategoryLog(std::string category);
    ~CategoryLog();

    CategoryLog(const CategoryLog&) = delete;
    CategoryLog& operator=(const CategoryLog&) = delete;

    std::vector<std::string> lines() const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    const std::string m_category;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    QtMessageHandler m_previous;
};

} // namespace zv::test

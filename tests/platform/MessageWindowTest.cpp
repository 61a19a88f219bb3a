#include "platform/desktop/MessageWindow.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

using namespace zv;

namespace {

using Message = std::tuple<unsigned, std::uintptr_t, std::intptr_t>;

} // namespace

TEST(MessageWindow, SentMessageRunsTheProcedureAtOnceAndGivesItsResult)
{
    std::vector<Message> received;
    MessageWindow window([&](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        received.emplace_back(message, wParam, lParam);
        return std::intptr_t{42};
    });
    EXPECT_EQ(window.send(1025, 7, 0x205), 42);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], Message(1025, 7, 0x205));
}

TEST(MessageWindow, PostedMessageArrivesAfterTheCurrentEvent)
{
    std::vector<Message> received;
    MessageWindow window([&](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        received.emplace_back(message, wParam, lParam);
        return std::intptr_t{0};
    });
    window.post(1026, 0, 0);
    window.post(1027, 1, 2);
    EXPECT_TRUE(received.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(received, (std::vector<Message>{{1026, 0, 0}, {1027, 1, 2}}));
}

TEST(MessageWindow, MessagePostedToAWindowDestroyedMeanwhileIsDropped)
{
    int received = 0;
    auto window = std::make_unique<MessageWindow>([&](unsigned, std::uintptr_t, std::intptr_t) {
        ++received;
        return std::intptr_t{0};
    });
    window->post(1026, 0, 0);
    window.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);
}

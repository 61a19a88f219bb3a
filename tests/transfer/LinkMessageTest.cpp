#include "transfer/LinkMessage.h"

#include <gtest/gtest.h>

#include <random>

using namespace zv;

TEST(LinkMessage, ABatchComesBackWholeAndAnythingCutOrForeignIsNone)
{
    const LinkBatch batch{{"http://a.example/one.zip", std::string("https://b.example/two\n.zip"), "http://c/\0x"},
                          "/home/u/Downloads/new\nline",
                          "name.bin",
                          true,
                          false};
    const std::string message = LinkMessage::encode(batch);
    EXPECT_EQ(LinkMessage::decode(message), batch);
    for (std::size_t cut = 0; cut < message.size(); ++cut)
        EXPECT_FALSE(LinkMessage::decode(message.substr(0, cut)).has_value()) << cut;
    std::string otherVersion = message;
    otherVersion.replace(otherVersion.find(" 1\n"), 3, " 2\n");
    EXPECT_FALSE(LinkMessage::decode(otherVersion).has_value());
    EXPECT_FALSE(LinkMessage::decode(message + std::string(LinkMessage::MaxSize, 'x')).has_value());

    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string noise = message.substr(0, std::uniform_int_distribution<std::size_t>(0, message.size())(random));
        const std::size_t length = std::uniform_int_distribution<std::size_t>(0, 300)(random);
        for (std::size_t i = 0; i < length; ++i)
            noise += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        const auto decoded = LinkMessage::decode(noise);
        EXPECT_TRUE(!decoded || !decoded->urls.empty());
    }
}

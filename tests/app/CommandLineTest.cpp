#include "app/CommandLine.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;
using namespace zv;

TEST(CommandLine, LinksAndOptionsAreTakenAndAnythingElseIsRefusedWithStatusTwo)
{
    const Launch one = CommandLine::parse({"--folder", "dl/../in", "--name", "x.iso", "--later", "HTTPS://h/x"},
                                          "/home/u");
    ASSERT_EQ(one.kind, Launch::Kind::Run);
    EXPECT_EQ(one.links, (LinkBatch{{"HTTPS://h/x"}, "/home/u/in", "x.iso", true, false}));
    EXPECT_TRUE(CommandLine::parse({}, "/").links.urls.empty());

    // Nothing is added when one argument is refused, and the refusal is one line naming it.
    const std::vector<std::vector<std::string>> refused = {{"http://h/a.zip", "file:///etc/passwd", "javascript:alert(1)"},
                                                           {"http://h/a\nb.zip"},
                                                           {"http://h/" + std::string(100'000, 'a')},
                                                           {"--name", "x", "http://h/a", "http://h/b"},
                                                           {"--bogus", "http://h/a"},
                                                           {"--folder"},
                                                           {"--quiet"}};
    for (const auto& arguments : refused) {
        const Launch launch = CommandLine::parse(arguments, "/");
        EXPECT_EQ(launch.kind, Launch::Kind::Refuse) << arguments.back().substr(0, 40);
        EXPECT_EQ(launch.exitCode, 2);
        EXPECT_EQ(launch.text.find('\n'), std::string::npos) << launch.text.substr(0, 80);
    }
    const Launch schemes = CommandLine::parse(refused[0], "/");
    EXPECT_THAT(schemes.text, HasSubstr("\"file:///etc/passwd\""));
    EXPECT_THAT(schemes.text, HasSubstr("\"javascript:alert(1)\""));
    EXPECT_THAT(schemes.text, ::testing::Not(HasSubstr("a.zip")));

    EXPECT_EQ(CommandLine::parse({"http://h/a", "--help"}, "/").kind, Launch::Kind::Print);

    // Qt would take "--name" for its "-name": the program's options leave argv before Qt reads it.
    std::vector<std::string> texts = {"zv", "--name", "x.iso", "-platform", "offscreen", "http://h/x", "--quiet"};
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(texts.size());
    EXPECT_EQ(CommandLine::takeOwnOptions(argc, argv.data()), (std::vector<std::string>{"--name", "x.iso", "--quiet"}));
    ASSERT_EQ(argc, 4);
    EXPECT_EQ(std::string(argv[1]) + " " + argv[2] + " " + argv[3], "-platform offscreen http://h/x");
}

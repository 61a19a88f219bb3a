#pragma once

#include "transfer/LinkBatch.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// What a start of the program was asked on its command line.
struct Launch {
    enum class Kind {
        Run,    // start, or hand the links to the running copy
        Print,  // print text on standard output and end with status 0
        Refuse, // print text on standard error and end with exitCode
    };
    Kind kind = Kind::Run;
    std::string text;
    int exitCode = 0;
    LinkBatch links; // for Run: none for a plain start
};

// The program's command line: "zare-vantrel [--folder DIR] [--name FILE] [--later] [--quiet]
// [URL...]", "--help" and "--version".
namespace CommandLine {

// Exit status for arguments that are refused.
inline constexpr int BadArguments = 2;

// arguments without the program's name (Qt's own options already taken out); a relative
// folder is taken from workingFolder.
Launch parse(const std::vector<std::string>& arguments, const std::string& workingFolder);
// Takes this program's options (with their values) out of argv, before Qt reads it: Qt would
// take "--name" for its own "-name". What is left is Qt's options and the URLs.
std::vector<std::string> takeOwnOptions(int& argc, char* argv[]);
// Whether arguments ask only for text ("--help", "--version"): answered before any window.
std::optional<Launch> printRequest(const std::vector<std::string>& arguments);
std::string usage();

} // namespace CommandLine

} // namespace zv

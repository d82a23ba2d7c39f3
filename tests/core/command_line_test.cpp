#include "core/command_line.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "core/version.hpp"

namespace qivra {
namespace {

struct Parsed {
    CommandLine line;
    std::string out;
    std::string err;
};

Parsed Parse(const CommandLineSpec& form, std::vector<const char*> args) {
    args.insert(args.begin(), "prog");
    std::ostringstream out;
    std::ostringstream err;
    CommandLine line = ParseCommandLine(form, static_cast<int>(args.size()), args.data(), out, err);
    return {std::move(line), out.str(), err.str()};
}

// Shaped like the service's line: options with values, no pass-through.
CommandLineSpec ServerSpec() {
    CommandLineSpec form;
    form.program = "srv";
    form.summary = "Serves things.";
    form.options = {{"port", 'p', "N", "port to listen on"}, {"bind", 0, "ADDR", "address"}, {"quiet", 'q', "", "say less"}};
    return form;
}

TEST(CommandLine, HelpListsEveryOptionAlignedAndEndsWithSuccess) {
    const Parsed run = Parse(ServerSpec(), {"--help"});
    EXPECT_EQ(run.line.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Usage: srv [OPTION]...\n"
              "Serves things.\n"
              "\n"
              "  -p, --port=N     port to listen on\n"
              "      --bind=ADDR  address\n"
              "  -q, --quiet      say less\n"
              "  -h, --help       display this help and exit\n"
              "      --version    output version information and exit\n");
    EXPECT_EQ(Parse(ServerSpec(), {"--port", "80", "-h"}).line.exitStatus, 0);
}

TEST(CommandLine, VersionIsTheProgramsOwn) {
    const Parsed run = Parse(ServerSpec(), {"--version"});
    EXPECT_EQ(run.line.exitStatus, 0);
    EXPECT_EQ(run.out, "srv (Qivra28) " + std::string(kProgramVersion) + "\n");
    EXPECT_EQ(kProgramVersion, "1.4.0");
}

TEST(CommandLine, ValuesInEveryGnuSpelling) {
    struct Case {
        std::vector<const char*> args;
        std::string port;
    } cases[] = {
        {{"--port", "80"}, "80"},  {{"--port=80"}, "80"},   {{"-p", "80"}, "80"},
        {{"-p80"}, "80"},          {{"--port="}, ""},       {{"--port", "-1"}, "-1"},  // the next word is the value
        {{"--port=1", "--port=2"}, "2"},
    };
    for (const Case& c : cases) {
        const Parsed run = Parse(ServerSpec(), c.args);
        EXPECT_FALSE(run.line.exitStatus) << c.args[0];
        EXPECT_EQ(run.line.Value("port"), c.port) << c.args[0];
        EXPECT_EQ(run.err, "");
    }
    const Parsed run = Parse(ServerSpec(), {"-q", "--bind", "0.0.0.0"});
    EXPECT_TRUE(run.line.Has("quiet"));
    EXPECT_EQ(run.line.Value("bind"), "0.0.0.0");
    EXPECT_FALSE(run.line.Value("port"));
    EXPECT_FALSE(Parse(ServerSpec(), {}).line.exitStatus);
}

TEST(CommandLine, MistakesEndWithStatusTwoAndAHintOnStderr) {
    struct Case {
        std::vector<const char*> args;
        std::string message;
    } cases[] = {
        {{"--bogus"}, "srv: unrecognized option '--bogus'\n"},
        {{"--bogus=1"}, "srv: unrecognized option '--bogus'\n"},
        {{"--port"}, "srv: option '--port' requires an argument\n"},
        {{"-p"}, "srv: option '-p' requires an argument\n"},
        {{"--quiet=yes"}, "srv: option '--quiet' doesn't allow an argument\n"},
        {{"--help=x"}, "srv: option '--help' doesn't allow an argument\n"},
        {{"-x"}, "srv: invalid option -- 'x'\n"},
        {{"stray"}, "srv: unexpected argument 'stray'\n"},
        {{"--", "--help"}, "srv: unexpected argument '--help'\n"},
        {{"--bogus", "--help"}, "srv: unrecognized option '--bogus'\n"},
    };
    for (const Case& c : cases) {
        const Parsed run = Parse(ServerSpec(), c.args);
        EXPECT_EQ(run.line.exitStatus, 2) << c.args[0];
        EXPECT_EQ(run.err, c.message + "Try 'srv --help' for more information.\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(CommandLine, TheProgramLeavesQtItsOptionsButRefusesUnknownLongOnes) {
    const CommandLineSpec form = ProgramCommandLineSpec();
    for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
             {}, {"-platform", "offscreen"}, {"-style", "fusion", "-reverse"}, {"-qwindowgeometry", "800x600+0+0"}}) {
        const Parsed run = Parse(form, args);
        EXPECT_FALSE(run.line.exitStatus);
        EXPECT_EQ(run.out + run.err, "");
    }
    const Parsed version = Parse(form, {"-platform", "offscreen", "--version"});
    EXPECT_EQ(version.line.exitStatus, 0);
    EXPECT_EQ(version.out, "qivra28 (Qivra28) 1.4.0\n");

    const Parsed help = Parse(form, {"-h"});
    EXPECT_EQ(help.line.exitStatus, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: qivra28 [OPTION]...\n")) << help.out;
    EXPECT_NE(help.out.find("      --version"), std::string::npos);
    EXPECT_NE(help.out.find("-platform NAME"), std::string::npos);

    const Parsed bogus = Parse(form, {"--platfrom", "xcb"});
    EXPECT_EQ(bogus.line.exitStatus, 2);
    EXPECT_EQ(bogus.err, "qivra28: unrecognized option '--platfrom'\nTry 'qivra28 --help' for more information.\n");
}

}  // namespace
}  // namespace qivra

// The console's command line: what it accepts, what it refuses and why.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

TEST(CommandLine, ConnectTakesTheSiteNameAsItStands) {
    EXPECT_EQ(ParseCommandLine({}).action, CommandLine::Action::Run);
    EXPECT_FALSE(ParseCommandLine({}).connectSite);
    EXPECT_FALSE(ParseCommandLine({}).desktop);
    EXPECT_TRUE(ParseCommandLine({"--desktop", "--connect", "x"}).desktop);

    CommandLine spaced = ParseCommandLine({"--connect", "North Yard, Gate 2"});
    EXPECT_EQ(spaced.action, CommandLine::Action::Run);
    EXPECT_EQ(spaced.connectSite.value_or("?"), "North Yard, Gate 2");

    EXPECT_EQ(ParseCommandLine({"--connect=a=b"}).connectSite.value_or("?"), "a=b");
    EXPECT_EQ(ParseCommandLine({"--connect="}).connectSite.value_or("?"), "");
    // A name that looks like an option is still the name.
    EXPECT_EQ(ParseCommandLine({"--connect", "--help"}).connectSite.value_or("?"), "--help");
    EXPECT_EQ(ParseCommandLine({"--connect", "--help"}).action, CommandLine::Action::Run);
}

TEST(CommandLine, HelpAndVersion) {
    EXPECT_EQ(ParseCommandLine({"--version"}).action, CommandLine::Action::Version);
    EXPECT_EQ(ParseCommandLine({"--help", "--version"}).action, CommandLine::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version", "--help"}).action, CommandLine::Action::Help);
    EXPECT_NE(UsageText().find("--connect SITE"), std::string::npos);
    EXPECT_EQ(VersionText(), "Corvantis Version 1.8.1.2\n");
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    struct Case {
        std::vector<std::string> args;
        const char* why;
    };
    for (const Case& c : std::vector<Case>{
             {{"--connect"}, "option '--connect' needs SITE"},
             {{"-c"}, "unknown option '-c'"},
             {{"--conect", "x"}, "unknown option '--conect'"},
             {{"site"}, "unexpected argument 'site'"},
             {{"--version=2"}, "option '--version' takes no value"},
             {{"--help", "--bogus"}, "unknown option '--bogus'"},
         }) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, CommandLine::Action::Fail) << c.why;
        EXPECT_EQ(line.error, c.why);
    }
}

}  // namespace

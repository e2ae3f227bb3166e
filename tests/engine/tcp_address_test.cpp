// Reading a TCP/IP unit's address ("host port") from the settings.
#include <gtest/gtest.h>

#include "engine/tcp_address.h"

namespace {

TcpAddress Parse(const std::string& text) {
    TcpAddress address;
    std::string error;
    EXPECT_TRUE(ParseTcpAddress(text, &address, &error)) << text << ": " << error;
    return address;
}

std::string Rejected(const std::string& text) {
    TcpAddress address;
    std::string error;
    EXPECT_FALSE(ParseTcpAddress(text, &address, &error)) << text;
    return error;
}

TEST(TcpAddressTest, ReadsHostAndPortAsThePatternDoes) {
    TcpAddress a = Parse("192.168.1.20 4001");
    EXPECT_EQ(a.host, "192.168.1.20");
    EXPECT_EQ(a.port, 4001u);
    // Blanks before either word are skipped; anything after the number is ignored.
    a = Parse("  unit.example.net \t 23");
    EXPECT_EQ(a.host, "unit.example.net");
    EXPECT_EQ(a.port, 23u);
    EXPECT_EQ(Parse("localhost  65535xyz").port, 65535u);
    EXPECT_EQ(Parse("::1 +80").port, 80u);
}

TEST(TcpAddressTest, RejectsWhatCannotBeConnectedTo) {
    EXPECT_EQ(Rejected(""), "no host name");
    EXPECT_EQ(Rejected("   "), "no host name");
    EXPECT_EQ(Rejected("unit.example.net"), "no port number");
    EXPECT_EQ(Rejected("unit.example.net port"), "no port number");
    EXPECT_EQ(Rejected("unit 0"), "port number outside 1..65535");
    EXPECT_EQ(Rejected("unit 65536"), "port number outside 1..65535");
    EXPECT_EQ(Rejected("unit -23"), "port number outside 1..65535");
    EXPECT_EQ(Rejected("unit 99999999999999999999"), "port number outside 1..65535");
}

TEST(TcpAddressTest, HostNamesUpTo79CharactersOnly) {
    const std::string longest(79, 'h');
    EXPECT_EQ(Parse(longest + " 80").host, longest);
    // One more would have been cut, with its tail taken for the port number.
    EXPECT_EQ(Rejected(longest + "8 80"), "host name longer than 79 characters");
}

}  // namespace

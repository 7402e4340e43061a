// What every zx command relies on: the split of its arguments, the program's command line it
// reads settings with, and the numbers it accepts.
#include <gtest/gtest.h>

#include <climits>

#include "app/zentrix_app.h"
#include "cli/command.h"

namespace {

TEST(ZxArgs, OptionsFlagsAndPositionals) {
    const zx::Args a =
        zx::ParseArgs({"in.zxg", "--out", "x.png", "--scale=2", "--fade", "more", "--home"}, {"out", "home"});
    EXPECT_EQ(a.positional, (std::vector<std::string>{"in.zxg", "more"}));
    EXPECT_EQ(a.get("out", ""), "x.png");
    EXPECT_EQ(a.get("scale", ""), "2");  // "=" gives a value to any option
    EXPECT_TRUE(a.has("fade"));
    EXPECT_FALSE(a.get("fade"));
    // A value option at the end has nothing to take: it is a flag.
    EXPECT_TRUE(a.has("home"));
    EXPECT_FALSE(a.get("home"));
}

TEST(ZxArgs, RepeatedOptionsKeepEveryValueInOrder) {
    const zx::Args a = zx::ParseArgs({"--field", "Name=A", "--field=Role=B=C", "--field", "Name=D"}, {"field"});
    EXPECT_EQ(a.getAll("field"), (std::vector<std::string>{"Name=A", "Role=B=C", "Name=D"}));
    EXPECT_EQ(a.get("field", ""), "Name=D");  // a single get sees the last
    EXPECT_TRUE(a.getAll("other").empty());
}

TEST(ZxArgs, CommandLineOfHomeAnd400M) {
    const app::CommandLine plain = zx::CommandLineOf(zx::ParseArgs({}, {"home"}));
    EXPECT_TRUE(plain.home.empty());
    EXPECT_FALSE(plain.is400M);
    const app::CommandLine both = zx::CommandLineOf(zx::ParseArgs({"--home", "/data/zx", "--400m"}, {"home"}));
    EXPECT_EQ(both.home, "/data/zx");
    EXPECT_TRUE(both.is400M);
}

TEST(ZxNumbers, DecimalWithinRange) {
    int v = -7;
    EXPECT_TRUE(zx::ParseNumber("18", 0, 18, v));
    EXPECT_EQ(v, 18);
    EXPECT_TRUE(zx::ParseNumber("-3", -5, 5, v));
    EXPECT_EQ(v, -3);
    EXPECT_TRUE(zx::ParseNumber("+4", 0, 5, v));
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(zx::ParseNumber("010", 0, 20, v));  // decimal: a leading zero is no octal
    EXPECT_EQ(v, 10);
    EXPECT_TRUE(zx::ParseNumber(" 7", 0, 9, v));
    EXPECT_EQ(v, 7);
    // Out of range, trailing or missing digits, and hex where only decimal is meant: refused,
    // the value untouched.
    v = 42;
    for (const char* bad : {"19", "-1", "", " ", "-", "3x", "3 ", "0x10", "1e3", "2.5", "99999999999999999999"})
        EXPECT_FALSE(zx::ParseNumber(bad, 0, 18, v)) << bad;
    EXPECT_EQ(v, 42);
    EXPECT_FALSE(zx::ParseNumber(std::string_view("5\0"
                                                  "9",
                                                  3),
                                 0, 100, v));
}

TEST(ZxNumbers, CPrefixesAndWideTypes) {
    unsigned long u = 0;
    EXPECT_TRUE(zx::ParseNumber("0xFFFFFFFF", 0ul, 0xFFFFFFFFul, u, zx::NUMBER_C));
    EXPECT_EQ(u, 0xFFFFFFFFul);
    EXPECT_TRUE(zx::ParseNumber("0X1f", 0ul, 0xFFFFul, u, zx::NUMBER_C));
    EXPECT_EQ(u, 0x1Ful);
    EXPECT_TRUE(zx::ParseNumber("017", 0ul, 0xFFFFul, u, zx::NUMBER_C));
    EXPECT_EQ(u, 15ul);
    EXPECT_TRUE(zx::ParseNumber("65535", 0ul, 0xFFFFul, u, zx::NUMBER_C));
    EXPECT_EQ(u, 0xFFFFul);
    for (const char* bad : {"0x10000", "0x", "0xG", "-1", "08", "0x1 "})
        EXPECT_FALSE(zx::ParseNumber(bad, 0ul, 0xFFFFul, u, zx::NUMBER_C)) << bad;
    long long big = 0;
    EXPECT_TRUE(zx::ParseNumber("-9223372036854775808", LLONG_MIN, LLONG_MAX, big));
    EXPECT_EQ(big, LLONG_MIN);
    EXPECT_FALSE(zx::ParseNumber("9223372036854775808", LLONG_MIN, LLONG_MAX, big));
}

TEST(ZxText, OneLine) { EXPECT_EQ(zx::OneLine("Cannot open\nthe file\n"), "Cannot open the file "); }

}  // namespace

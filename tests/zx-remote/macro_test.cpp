#include "zx-remote/macro.h"

#include <gtest/gtest.h>

#include "video/remote_buttons.h"

using namespace zxremote;

TEST(Macro, ReadsCommandsWaitsAndComments) {
    std::vector<MacroStep> steps;
    std::string error;
    ASSERT_TRUE(
        ParseMacro("# logo on the bars\r\n  push preview\n\tPUSH Bars ; to preview\n\nWAIT 250\non LOGO1\r\n"
                   "Off transp",
                   steps, error))
        << error;
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].action, video::REMOTE_PUSH);
    EXPECT_EQ(steps[0].name, "PREVIEW");
    EXPECT_EQ(steps[1].name, "BARS");
    EXPECT_TRUE(steps[2].wait);
    EXPECT_EQ(steps[2].waitMs, 250u);
    EXPECT_EQ(steps[3].action, video::REMOTE_ON);
    EXPECT_EQ(steps[4].action, video::REMOTE_OFF);
    EXPECT_EQ(steps[4].name, "TRANSP");
    ASSERT_TRUE(ParseMacro("# nothing but words\n\n", steps, error));
    EXPECT_TRUE(steps.empty());
}

TEST(Macro, AnyBadLineRefusesTheWholeFile) {
    std::vector<MacroStep> steps;
    std::string error;
    for (const char* bad : {"PUSH IN1\nPRESS IN2\n", "PUSH\n", "PUSH IN1 IN2\n", "PUSH IN17\n", "WAIT -5\n",
                            "WAIT 3600001\n", "WAIT 99999999999999999999\n", "WAIT 1s\n"}) {
        EXPECT_FALSE(ParseMacro(bad, steps, error)) << bad;
        EXPECT_TRUE(steps.empty());
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
    EXPECT_FALSE(ParseMacro("PUSH IN1\nPRESS IN2\n", steps, error));
    EXPECT_EQ(error, "line 2: unknown command \"PRESS\" (PUSH, ON, OFF, WAIT)");
    std::string day;
    for (int i = 0; i < 25; ++i) day += "WAIT 3600000\n";
    EXPECT_FALSE(ParseMacro(day, steps, error));
    EXPECT_EQ(error, "line 25: the waits add up to more than a day");
    std::string many;
    for (size_t i = 0; i <= kMacroMaxSteps; ++i) many += "WAIT 1\n";
    EXPECT_FALSE(ParseMacro(many, steps, error));
    EXPECT_FALSE(ParseMacro(std::string(kMacroMaxBytes + 1, ' '), steps, error));
}

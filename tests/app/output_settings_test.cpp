#include <gtest/gtest.h>

#include "app/output_settings.h"
#include "app/profile.h"
#include "support/temp_dir.h"

using namespace app;

TEST(OutputSettings, FourSlotsReadWrittenAndFreedAgain) {
    zxtest::TempDir dir;
    const std::string file = dir.file("ZENTRIX.INI");
    zxtest::WriteText(file,
                      "[Output]\r\nSink2=udp://127.0.0.1:5000\r\nSink2Rate=50\r\nSink2Enabled=1\r\n"
                      "Sink3=/rec/show.mov\r\nSink3Format=keyfill\r\nSink3Rate=30\r\nSink3Audio=silence\r\n");
    Profile ini(file);
    std::vector<OutputSinkSetting> s = LoadOutputSettings(ini);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_FALSE(s[0].used());
    EXPECT_EQ(s[1].target, "udp://127.0.0.1:5000");
    EXPECT_EQ(s[1].rate, 50);
    EXPECT_TRUE(s[1].enabled);
    EXPECT_EQ(s[1].background, "black");
    EXPECT_EQ(s[2].format, "keyfill");
    EXPECT_EQ(s[2].rate, 25);  // only 25 or 50
    EXPECT_TRUE(s[2].silence);
    EXPECT_FALSE(s[2].enabled);

    // The same as command-line options, in order.
    const auto args = s[2].arguments();
    ASSERT_GE(args.size(), 4u);
    EXPECT_EQ(args[0], std::make_pair(std::string("output"), std::string("/rec/show.mov")));
    EXPECT_EQ(args[1], std::make_pair(std::string("output-format"), std::string("keyfill")));
    EXPECT_EQ(args.back(), std::make_pair(std::string("output-audio"), std::string("silence")));

    // A slot freed loses all its keys; the others come back as they were.
    s[1] = OutputSinkSetting{};
    s[3].target = "/rec/b.mkv";
    s[3].codec = "mpeg2video";
    ASSERT_TRUE(SaveOutputSettings(ini, s));
    Profile again(file);
    EXPECT_FALSE(again.hasKey("Output", "Sink2"));
    EXPECT_FALSE(again.hasKey("Output", "Sink2Rate"));
    EXPECT_FALSE(again.hasKey("Output", "Sink2Enabled"));
    const auto back = LoadOutputSettings(again);
    EXPECT_FALSE(back[1].used());
    EXPECT_EQ(back[2].target, "/rec/show.mov");
    EXPECT_EQ(back[2].format, "keyfill");
    EXPECT_TRUE(back[2].silence);
    EXPECT_EQ(back[3].codec, "mpeg2video");
    EXPECT_EQ(back[3].rate, 25);
}

// The demo's macro files: beside the sequences, and read by zx-remote as the commands they mean.
#include <gtest/gtest.h>

#include "demo/demo_macros.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/remote_buttons.h"
#include "zx-remote/macro.h"

TEST(DemoMacros, TheRemoteProgramReadsThem) {
    zxtest::TempDir root;
    ASSERT_TRUE(platform::MakeDirectories(root.file("Sequences")));
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoMacros(root.path(), files, error)) << error;
    EXPECT_EQ(files, (std::vector<std::string>{"Sequences/Bars on preview.txt", "Sequences/Logo on.txt"}));
    std::vector<zxremote::MacroStep> steps;
    ASSERT_TRUE(zxremote::ParseMacro(zxtest::ReadText(root.file(demo::kBarsMacro)), steps, error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].name, "PREVIEW");
    EXPECT_EQ(steps[1].name, "BARS");
    ASSERT_TRUE(zxremote::ParseMacro(zxtest::ReadText(root.file(demo::kLogoMacro)), steps, error)) << error;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_TRUE(steps[0].wait);
    EXPECT_EQ(steps[1].action, video::REMOTE_ON);
    EXPECT_EQ(steps[1].name, "LOGO1");
}

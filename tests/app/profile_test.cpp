#include <gtest/gtest.h>

#include "app/profile.h"
#include "support/temp_dir.h"

using app::Profile;

TEST(Profile, ReadsAFileWrittenOnWindows) {
    zxtest::TempDir dir;
    std::string f = dir.file("ZENTRIX.INI");
    // CR LF line ends, blanks around '=', mixed case, a comment, a quoted value, a record.
    zxtest::WriteText(f,
                      "; settings\r\n[hardware]\r\nMODEL = 4\r\nPortNo=\t2\r\n\r\n[Start]\r\n"
                      "RemotePath=\"C:\\Program Files\\Remote\\\"\r\nNetworkPath=\r\n"
                      "[Air]\r\nRec=010203040A\r\n");
    Profile ini(f);
    EXPECT_EQ(ini.getInt("Hardware", "Model", 1), 4);
    EXPECT_EQ(ini.getInt("HARDWARE", "portno", 0), 2);
    EXPECT_EQ(ini.getString("start", "remotepath"), "C:\\Program Files\\Remote\\");
    // An empty value reads as the default for integers and as empty for strings.
    EXPECT_EQ(ini.getInt("Start", "NetworkPath", 9), 9);
    EXPECT_EQ(ini.getString("Start", "NetworkPath", "def"), "");
    EXPECT_EQ(ini.getString("Start", "Missing", "def"), "def");
    uint8_t rec[4] = {};
    ASSERT_TRUE(ini.getStruct("Air", "Rec", rec, 4));
    EXPECT_EQ(rec[0], 1);
    EXPECT_EQ(rec[3], 4);
}

TEST(Profile, IntegersParseLikeTheProfileReader) {
    EXPECT_EQ(Profile::ParseInt("  42abc", 7), 42);
    EXPECT_EQ(Profile::ParseInt("-3", 7), -3);
    EXPECT_EQ(Profile::ParseInt("+8", 7), 8);
    EXPECT_EQ(Profile::ParseInt("0x1F", 7), 31);
    EXPECT_EQ(Profile::ParseInt("abc", 7), 0);          // present but not a number
    EXPECT_EQ(Profile::ParseInt("", 7), 7);             // empty: the default
    EXPECT_EQ(Profile::ParseInt("4294967295", 7), -1);  // wraps to 32 bits
    EXPECT_EQ(Profile::ParseInt("-2147483648", 7), int(0x80000000u));
}

TEST(Profile, RecordsAreHexWithChecksumAndRejectedWhenDamaged) {
    const uint8_t rec[5] = {0x00, 0xFF, 0x10, 0x80, 0x7F};
    std::string enc = Profile::EncodeStruct(rec, 5);
    EXPECT_EQ(enc, "00FF10807F0E");  // 0xFF+0x10+0x80+0x7F = 0x20E -> 0E
    uint8_t out[5] = {};
    EXPECT_TRUE(Profile::DecodeStruct(enc, out, 5));
    EXPECT_EQ(0, memcmp(out, rec, 5));
    uint8_t untouched[5] = {9, 9, 9, 9, 9};
    EXPECT_FALSE(Profile::DecodeStruct("00FF10807F0F", untouched, 5));  // checksum
    EXPECT_FALSE(Profile::DecodeStruct("00FF10807F", untouched, 5));    // length
    EXPECT_FALSE(Profile::DecodeStruct("00FF10807F0E", untouched, 4));  // size asked differs
    EXPECT_FALSE(Profile::DecodeStruct("00FG10807F0E", untouched, 5));  // not hex
    EXPECT_EQ(untouched[0], 9);
    // Lower-case hex written by hand is accepted.
    EXPECT_TRUE(Profile::DecodeStruct("00ff10807f0e", out, 5));
}

TEST(Profile, WritesKeepEverythingElseAndSurviveAReload) {
    zxtest::TempDir dir;
    std::string f = dir.file("z.ini");
    zxtest::WriteText(f, "; keep me\n[Hardware]\nModel=2\n; note\n\n[Other]\nX=1\n");
    {
        Profile ini(f);
        ini.putInt("hardware", "model", 3);     // replaces, keeping the stored spelling
        ini.putInt("Hardware", "PortNo", 1);    // new key after the last key of the section
        ini.putString("Layout", "Left", "22");  // new section at the end
        const uint8_t rec[3] = {1, 2, 3};
        ini.putStruct("Layout", "Rec", rec, 3);
    }
    EXPECT_EQ(zxtest::ReadText(f),
              "; keep me\n[Hardware]\nModel=3\nPortNo=1\n; note\n\n[Other]\nX=1\n\n[Layout]\nLeft=22\n"
              "Rec=01020306\n");
    Profile again(f);
    EXPECT_EQ(again.getInt("Hardware", "Model", 0), 3);
    uint8_t rec[3];
    EXPECT_TRUE(again.getStruct("Layout", "Rec", rec, 3));
    again.removeKey("Hardware", "PortNo");
    again.removeSection("Other");
    EXPECT_EQ(zxtest::ReadText(f), "; keep me\n[Hardware]\nModel=3\n; note\n\n[Layout]\nLeft=22\nRec=01020306\n");
}

TEST(Profile, CrLfFilesStayCrLfAndBatchSavesOnce) {
    zxtest::TempDir dir;
    std::string f = dir.file("z.ini");
    zxtest::WriteText(f, "[A]\r\nK=1\r\n");
    Profile ini(f);
    {
        Profile::Batch batch(ini);
        ini.putInt("A", "K", 2);
        ini.putInt("A", "L", 3);
        EXPECT_EQ(zxtest::ReadText(f), "[A]\r\nK=1\r\n");  // not yet
    }
    EXPECT_EQ(zxtest::ReadText(f), "[A]\r\nK=2\r\nL=3\r\n");
}

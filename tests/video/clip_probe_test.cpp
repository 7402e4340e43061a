// Clip durations: the file-name rule first, then the file itself through the MPEG demuxers.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/clip_probe.h"
#include "video/mpeg_writer.h"

using namespace video;

TEST(ClipProbe, TheFileNameSaysHowLongWithoutOpeningTheFile) {
    uint32_t ms = 0;
    EXPECT_TRUE(DurationFromName("/v/news_30.mpg", ms));
    EXPECT_EQ(ms, 30000u);
    EXPECT_TRUE(DurationFromName("jingle_1500ms.mpg", ms));
    EXPECT_EQ(ms, 1500u);
    EXPECT_TRUE(DurationFromName("C:\\clips\\x_y_2MS.MPG", ms));
    EXPECT_EQ(ms, 2u);
    for (const char* name : {"a_12x.mpg", "a_.mpg", "a.mpg", "a_ms.mpg", "a_-5.mpg", "a_1 2.mpg",
                             // Beyond 32 bits: a name, not a wrapped duration.
                             "a_4294967.mpg", "a_99999999999ms.mpg", "a_2147484ms0.mpg"})
        EXPECT_FALSE(DurationFromName(name, ms)) << name;
    EXPECT_TRUE(DurationFromName("a_2147483647ms.mpg", ms));

    // A zero-byte file goes by its name; the others that look like one are opened (and fail).
    zxtest::TempDir dir;
    for (const char* name : {"a_12.mpg", "a_12x.mpg", "a_.mpg", "a_99999999999.mpg"})
        ASSERT_TRUE(zxtest::WriteText(dir.file(name), ""));
    ASSERT_EQ(ProbeDuration(dir.file("a_12.mpg"), ms), PROBE_OK);
    EXPECT_EQ(ms, 12000u);
    EXPECT_EQ(ProbeDuration(dir.file("a_12x.mpg"), ms), PROBE_OPEN_FAILED);
    EXPECT_EQ(ProbeDuration(dir.file("a_.mpg"), ms), PROBE_OPEN_FAILED);
    EXPECT_EQ(ProbeDuration(dir.file("a_99999999999.mpg"), ms), PROBE_OPEN_FAILED);
    EXPECT_EQ(ProbeDuration(dir.file("none.mpg"), ms), PROBE_OPEN_FAILED);
}

TEST(ClipProbe, ProgramStreamsGiveTheirLengthAndDamagedFilesFailQuickly) {
    zxtest::TempDir dir;
    MpegClipOptions o;
    o.frames = 25;
    ASSERT_TRUE(WriteMpegClip(dir.file("one.mpg"), o, {}));
    o.frames = 125;
    o.audio = false;
    ASSERT_TRUE(WriteMpegClip(dir.file("five.mpg"), o,
                              [](int i, pages::CBitmap32& f) { f.fill(0x00FF8040, i * 4, 100, 80, 80, false); }));
    uint32_t ms = 0;
    ASSERT_EQ(ProbeDuration(dir.file("one.mpg"), ms), PROBE_OK);
    EXPECT_EQ(ms / 100, 10u) << ms;
    ASSERT_EQ(ProbeDuration(dir.file("five.mpg"), ms), PROBE_OK);
    EXPECT_EQ(ms / 100, 50u) << ms;

    // Not MPEG at all, text, a clip cut to its first pack.
    std::string noise(200000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 2654435761u) >> 13);
    ASSERT_TRUE(zxtest::WriteText(dir.file("noise.mpg"), noise));
    ASSERT_TRUE(zxtest::WriteText(dir.file("text.mpg"), "this is not a clip\n"));
    std::string clip;
    ASSERT_TRUE(platform::ReadFile(dir.file("one.mpg"), clip));
    ASSERT_TRUE(zxtest::WriteText(dir.file("cut.mpg"), clip.substr(0, 40)));
    for (const char* name : {"noise.mpg", "text.mpg", "cut.mpg"}) {
        const int rc = ProbeDuration(dir.file(name), ms);
        EXPECT_TRUE(rc == PROBE_OPEN_FAILED || rc == PROBE_NO_STREAM) << name << " " << rc;
    }
}

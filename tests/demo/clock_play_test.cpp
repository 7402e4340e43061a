// zx play of the demo clocks on the embedded virtual Device in scaled time, end to end through the
// zx program: a picture for each second shown, the second's hand 6 degrees further each time,
// every picture the same as zx clock render draws for its second, and the corner clock's face
// over its hands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "demo/demo_clocks.h"
#include "demo/demo_root.h"
#include "ktgsim/picture.h"
#include "pages/picture_io.h"
#include "pages/png_io.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "wizards/clock_image.h"

namespace {

const std::string kZx = std::string(ZX_BINARY_DIR) + "/src/cli/zx";

// Runs zx with arguments (each quoted); its standard output and error in out.
int Zx(const std::string& args, std::string& out, const zxtest::TempDir& dir) {
    const std::string log = dir.file("zx-out.txt");
    const int rc = std::system((kZx + " " + args + " >'" + log + "' 2>&1").c_str());
    out = zxtest::ReadText(log);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

struct Shot {
    std::string file;
    int second = 0;  // of the day
};

// The clock's pictures of a playout, in order.
std::vector<Shot> ClockShots(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    const std::regex re("[0-9]{4}-clock-([0-9]+)-([0-9]{2})-([0-9]{2})\\.png");
    std::vector<Shot> shots;
    for (const std::string& n : names) {
        std::smatch m;
        if (std::regex_match(n, m, re))
            shots.push_back({folder + n, std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3])});
    }
    return shots;
}

std::string TimeText(int s) {
    char t[16];
    std::snprintf(t, sizeof t, "%d:%02d:%02d", s / 3600 % 24, s / 60 % 60, s % 60);
    return t;
}

// The direction of the red second's hand in a picture, degrees clockwise from 12 o'clock, as the
// eye sees it (rows are 15/16 of a column).
double SecondHandAngle(const pages::CBitmap32& pic, int cx, int cy) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const uint8_t* p = pic.pixel(x, y);
            if (p[pages::PIX_RED] < 150 || p[pages::PIX_GREEN] > 90 || p[pages::PIX_BLUE] > 90) continue;
            const double dx = x - cx, dy = (y - cy) * 15.0 / 16.0;
            if (std::hypot(dx, dy) < 80) continue;  // the tail and the counterweight
            sx += dx, sy += dy, ++n;
        }
    if (n < 20) return -1;
    double a = std::atan2(sx, -sy) * 180 / 3.14159265358979;
    return a < 0 ? a + 360 : a;
}

class ClockPlay : public ::testing::Test {
protected:
    zxtest::TempDir dir;
    std::string root;
    void SetUp() override {
        root = dir.file("data/");
        demo::DemoResult result;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(root, demo::DemoOptions{}, result, error)) << error;
        ASSERT_EQ(result.clocks, 2);
    }
    std::vector<Shot> play(const char* clock, int seconds, const std::string& snaps) {
        std::string out;
        EXPECT_EQ(Zx("play --home " + Q(root) + " " + Q(clock) + " --duration " + std::to_string(seconds) +
                         " --time-scale 2 --snapshots " + Q(snaps),
                     out, dir),
                  0)
            << out;
        EXPECT_NE(out.find("playout 1 done"), std::string::npos) << out;
        return ClockShots(snaps);
    }
};

TEST_F(ClockPlay, EachSecondShownIsTheRenderOfThatSecond) {
    const std::vector<Shot> shots = play(demo::kStudioClock, 5, dir.file("studio/"));
    ASSERT_GE(shots.size(), 3u);
    double lastAngle = -1;
    for (size_t i = 0; i < shots.size(); ++i) {
        SCOPED_TRACE(shots[i].file);
        if (i > 0) {
            EXPECT_EQ(shots[i].second, (shots[i - 1].second + 1) % 86400);  // every second, none skipped
        }
        pages::CBitmap32 seen, drawn;
        ASSERT_TRUE(pages::ReadPng(shots[i].file, seen));
        const double angle = SecondHandAngle(seen, 360, 288);
        ASSERT_GE(angle, 0);
        EXPECT_NEAR(std::fmod(angle - shots[i].second % 60 * 6.0 + 540, 360) - 180, 0.0, 1.5);
        if (lastAngle >= 0) {
            EXPECT_NEAR(std::fmod(angle - lastAngle + 360, 360), 6.0, 1.5);
        }
        lastAngle = angle;
        // zx clock render of the same second draws the very same picture.
        std::string out;
        const std::string ref = dir.file("ref.png");
        ASSERT_EQ(Zx("clock render --home " + Q(root) + " " + Q(demo::kStudioClock) + " --time " +
                         TimeText(shots[i].second) + " --png " + Q(ref),
                     out, dir),
                  0)
            << out;
        ASSERT_TRUE(pages::ReadPng(ref, drawn));
        EXPECT_TRUE(seen == drawn);
    }
}

TEST_F(ClockPlay, TheCornerClocksFaceStaysOverItsHands) {
    // Long enough for a picture of a shown second even on a loaded machine.
    const std::vector<Shot> shots = play(demo::kCornerClock, 6, dir.file("corner/"));
    ASSERT_GE(shots.size(), 1u);
    pages::CBitmap32 seen;
    ASSERT_TRUE(pages::ReadPng(shots[0].file, seen));
    // The words of the face and of the hands' block for that second.
    wizards::CClockImage clock;
    ASSERT_EQ(clock.Load(root + demo::kCornerClock), 0);
    ASSERT_TRUE(clock.HandsBelowFace());
    ASSERT_TRUE(clock.Prepare());
    const int s = shots[0].second;
    clock.Render(s / 3600 % 12, s / 60 % 60, s % 60, true);
    const device::Rect t = clock.target(0);
    const uint8_t* hands = clock.block(0) + 2;
    const uint8_t* face = clock.face().data() + 2;
    auto word = [](const uint8_t* b, int w, int x, int y) {
        const size_t at = (size_t(y) * size_t(w) + size_t(x)) * 2;
        return uint16_t(b[at] << 8 | b[at + 1]);
    };
    int both = 0, differ = 0;
    for (int y = t.top; y < t.bottom; ++y)
        for (int x = t.left & ~1; x + 1 < t.right; x += 2) {
            const int w = t.right - t.left;
            const uint16_t fl = word(face, 720, x, y), fr = word(face, 720, x + 1, y);
            const uint16_t hl = word(hands, w, x - t.left, y - t.top), hr = word(hands, w, x + 1 - t.left, y - t.top);
            if ((fl >> 12) != 15 || (hl >> 12) != 15) continue;
            ++both;
            const ktgsim::Rgb f = ktgsim::YuvToRgb(fl & 63, (fl >> 6) & 63, (fr >> 6) & 63);
            const ktgsim::Rgb h = ktgsim::YuvToRgb(hl & 63, (hl >> 6) & 63, (hr >> 6) & 63);
            const uint8_t* p = seen.pixel(x, y);
            EXPECT_EQ(p[pages::PIX_RED], f.r) << x << "," << y;
            EXPECT_EQ(p[pages::PIX_GREEN], f.g);
            EXPECT_EQ(p[pages::PIX_BLUE], f.b);
            differ += f.r != h.r || f.g != h.g || f.b != h.b;
        }
    EXPECT_GT(both, 20);  // the cap over the pivot and the bezel over the tips
    EXPECT_GT(differ, 20);
}

TEST_F(ClockPlay, ZxClockMakeInfoAndThumbnail) {
    std::string out;
    const std::string pictures = root + demo::kClockPictures;
    // From the face's name alone, with the wizard's settings; warnings and errors as messages.
    ASSERT_EQ(Zx("clock make " + Q(pictures + "CornerF.bmp") +
                     " --minute-step 15 --shadows --light right,bottom --hand-height 4 --out " + Q(dir.file("c.zck")),
                 out, dir),
              0)
        << out;
    EXPECT_NE(out.find("Marker: " + pictures + "CornerC.bmp"), std::string::npos) << out;
    ASSERT_EQ(Zx("clock info " + Q(dir.file("c.zck")), out, dir), 0) << out;
    EXPECT_NE(out.find("\"centre\": [620, 470]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"minute\": {\"choice\": 4, \"seconds\": 15}"), std::string::npos) << out;
    EXPECT_NE(out.find("\"shadow\": [4, 4]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"ok\": true"), std::string::npos) << out;
    ASSERT_EQ(Zx("clock thumbnail " + Q(dir.file("c.zck")) + " --png " + Q(dir.file("t.png")), out, dir), 0) << out;
    pages::CBitmap32 thumb;
    ASSERT_TRUE(pages::ReadPng(dir.file("t.png"), thumb));
    EXPECT_EQ(thumb.width(), 360);

    pages::CBitmap32 uniform(720, 576);
    uniform.fillAll(0x00FFFFFF);
    ASSERT_EQ(pages::WriteTGA(uniform, dir.file("uniform.tga")), 0);
    EXPECT_EQ(Zx("clock make " + Q(pictures + "StudioF.tga") + " " + Q(pictures + "StudioH.tga") + " " +
                     Q(pictures + "StudioM.tga") + " " + Q(pictures + "StudioS.tga") + " " +
                     Q(dir.file("uniform.tga")) + " --out " + Q(dir.file("bad.zck")),
                 out, dir),
              1);
    EXPECT_NE(out.find("zx clock make: Can't determine hands center point!"), std::string::npos) << out;
    EXPECT_FALSE(platform::FileExists(dir.file("bad.zck")));
    EXPECT_EQ(
        Zx("clock make " + Q(pictures + "CornerF.bmp") + " --light left,top --out " + Q(dir.file("x.zck")), out, dir),
        2);
    EXPECT_EQ(Zx("clock info " + Q(dir.file("none.zck")), out, dir), 1);
    EXPECT_NE(out.find("Error opening file"), std::string::npos) << out;
}

}  // namespace

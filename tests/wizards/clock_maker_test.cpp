// The clock maker: the names it fills in, the centre it reads from the marker, the face, hands and
// thumbnail it builds, the settings it stores, and each message it stops or warns with.
#include <gtest/gtest.h>

#include <cstring>

#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "clock_reference.h"
#include "clock_test_util.h"
#include "pages/file_result.h"
#include "pages/picture_import.h"
#include "pages/picture_test_util.h"
#include "support/temp_dir.h"

using namespace wizards;

namespace {

// A picture of the face's size, transparent but for what draw puts there.
pages::CBitmap32 Picture(int w, int h) {
    pages::CBitmap32 b(w, h);
    b.fillAll(0xFF000000);
    return b;
}

// A marker: white with a black cross whose centre is (x, y).
pages::CBitmap32 Marker(int w, int h, int x, int y) {
    pages::CBitmap32 b(w, h);
    b.fillAll(0x00FFFFFF);
    for (int k = -3; k <= 3; ++k) {
        if (x + k >= 0 && x + k < w) b.fill(0x00000000, x + k, y, 1, 1, false);
        if (y + k >= 0 && y + k < h) b.fill(0x00000000, x, y + k, 1, 1, false);
    }
    return b;
}

class ClockMaker : public ::testing::Test {
protected:
    zxtest::TempDir dir;
    ClockSources src;
    int w = 720, h = 576;

    void SetUp() override {
        app::ResetEventLog();
        zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Debug]\nLog=1\nTimestamp=0\n");
        theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
    }
    void TearDown() override { app::ResetEventLog(); }

    void write(const std::string& name, const pages::CBitmap32& b) {
        ASSERT_EQ(pages::WriteTGA(b, dir.file(name)), pages::FILE_OK);
    }
    // Five pictures: a ring face, three hands pointing right from (x0, y0) and the marker.
    void writeSources(int x0 = 360, int y0 = 288, int secondLength = 200) {
        pages::CBitmap32 face = Picture(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double d = std::hypot(x - x0, (y - y0) * 16.0 / 15);
                if (d > 200 && d < 220) face.fill(0x00306090, x, y, 1, 1, false);
            }
        write("ClockF.tga", face);
        const int lengths[3] = {110, 170, secondLength};
        const char* names[3] = {"ClockH.tga", "ClockM.tga", "ClockS.tga"};
        for (int i = 0; i < 3; ++i) {
            pages::CBitmap32 hand = Picture(w, h);
            clocktest::DrawHand(hand, x0, y0, lengths[i], 12 - 4 * i, 15, 200, 100 + 50 * i, 40);
            write(names[i], hand);
        }
        write("ClockC.tga", Marker(w, h, x0, y0));
        ASSERT_TRUE(AutoFillClockSources(dir.file("ClockF.tga"), src));
    }

    app::CZentrixApp theApp;
};

TEST(ClockNames, AutoFillFromTheFace) {
    ClockSources s;
    ASSERT_TRUE(AutoFillClockSources("/c/StudioF_w.bmp", s));
    EXPECT_EQ(s.paths[SRC_FACE], "/c/StudioF_w.bmp");
    EXPECT_EQ(s.paths[SRC_HOUR], "/c/StudioH_w.bmp");
    EXPECT_EQ(s.paths[SRC_MINUTE], "/c/StudioM_w.bmp");
    EXPECT_EQ(s.paths[SRC_SECOND], "/c/StudioS_w.bmp");
    EXPECT_EQ(s.paths[SRC_MARKER], "/c/StudioC.bmp");  // the marker is a single picture
    EXPECT_TRUE(s.complete());
    // Any of the letters names the set; the "_W" keeps its case; other files keep their "_w".
    ASSERT_TRUE(AutoFillClockSources("/c/CornerM_W.BMP", s));
    EXPECT_EQ(s.paths[SRC_FACE], "/c/CornerF_W.BMP");
    EXPECT_EQ(s.paths[SRC_MARKER], "/c/CornerC.BMP");
    ASSERT_TRUE(AutoFillClockSources("/c/big_wS.tga", s));
    EXPECT_EQ(s.paths[SRC_HOUR], "/c/big_wH.tga");
    ASSERT_TRUE(AutoFillClockSources("rel/smallc.bmp", s));
    EXPECT_EQ(s.paths[SRC_SECOND], "rel/smalls.bmp");
    ASSERT_TRUE(AutoFillClockSources("/c/C.bmp", s));
    EXPECT_EQ(s.paths[SRC_FACE], "/c/F.bmp");

    ClockSources none;
    EXPECT_FALSE(AutoFillClockSources("/c/Face.bmp", none));
    EXPECT_FALSE(AutoFillClockSources("/c/a_w.bmp", none));
    EXPECT_FALSE(AutoFillClockSources("/c/.bmp", none));
    EXPECT_FALSE(none.complete());
}

TEST(ClockMarker, CentreFromTheMarkAndNoneOnAUniformPicture) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(FindMarkerCentre(Marker(100, 80, 40, 30), x, y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    // A single dot on any background colour.
    pages::CBitmap32 dot(50, 50);
    dot.fillAll(0x00203040);
    dot.fill(0x00203041, 17, 21, 1, 1, false);
    ASSERT_TRUE(FindMarkerCentre(dot, x, y));
    EXPECT_EQ(x, 17);
    EXPECT_EQ(y, 21);
    pages::CBitmap32 uniform(50, 50);
    uniform.fillAll(0x00FFFFFF);
    EXPECT_FALSE(FindMarkerCentre(uniform, x, y));
    // Columns that never change down their length mark no row.
    pages::CBitmap32 stripes(50, 50);
    stripes.fillAll(0x00FFFFFF);
    stripes.fill(0x00000000, 20, 0, 1, 50, false);
    EXPECT_FALSE(FindMarkerCentre(stripes, x, y));
}

TEST(ClockHandRect, FromRowAndColumnOneAndEmptyWhenNothingShows) {
    pages::CBitmap32 b(40, 30);
    b.fillAll(0xFF000000);
    EXPECT_TRUE(HandUsedRect(b).empty());
    b.fill(0xF4FFFFFF, 10, 5, 8, 3, false);  // transparency 244 counts
    EXPECT_EQ(HandUsedRect(b), (pages::Rect{10, 5, 18, 8}));
    b.fill(0xF5FFFFFF, 0, 0, 40, 30, false);  // 245 does not
    EXPECT_TRUE(HandUsedRect(b).empty());
}

TEST_F(ClockMaker, BuildsFaceHandsAndThumbnail) {
    writeSources();
    CClockImage clock;
    ClockReport report;
    ASSERT_TRUE(BuildClock(src, clock, report)) << report.error.text();
    EXPECT_TRUE(report.warnings.empty());
    const ClockHeader& hd = clock.header();
    EXPECT_EQ(hd.centreX, 360);
    EXPECT_EQ(hd.centreY, 288);
    // The second's hand: 200 long with a 15-pixel tail, 4 thick (soft edges of 2), plus 3.
    const pages::Rect& q = hd.hands[HAND_SECOND];
    EXPECT_EQ(q.left, -15 - 3);
    EXPECT_EQ(q.right, 200 + 1 + 3);
    EXPECT_LE(q.top, -4);
    EXPECT_GE(q.top, -8);
    // The canvas holds the picture with the centre at (384, 384).
    pages::CBitmap32 second;
    ASSERT_EQ(pages::ReadPictureFile(src.paths[SRC_SECOND], false, second), pages::PICTURE_OK);
    for (int dx : {-10, 0, 50, 199})
        EXPECT_EQ(std::memcmp(clock.hand(HAND_SECOND).pixel(384 + dx, 384), second.pixel(360 + dx, 288), 4), 0) << dx;
    EXPECT_EQ(clock.hand(HAND_SECOND).colourAt(384 + 220, 384), 0xFF000000u);  // outside its rectangle

    // The face: filtered and converted with its checksum.
    pages::CBitmap32 face;
    ASSERT_EQ(pages::ReadPictureFile(src.paths[SRC_FACE], false, face), pages::PICTURE_OK);
    face.verticalFilter(0, 0, 0, 0);
    std::vector<uint8_t> want(CLOCK_FACE_BYTES);
    face.toDevice(want.data(), 0, 0, 720, 576, true);
    EXPECT_EQ(clock.face(), want);
    // The thumbnail: the face with the hands blended at 3 o'clock, halved, on black.
    EXPECT_EQ(clock.thumbnail().width(), 360);
    EXPECT_EQ(clock.thumbnail().pixel(180 + 50, 144)[pages::PIX_TRANS], 0);
    EXPECT_GT(clock.thumbnail().pixel(180 + 50, 144)[pages::PIX_BLUE], 100);  // a hand
    EXPECT_EQ(clock.thumbnail().colourAt(180, 20), 0x00000000u);              // black around

    const std::string log = zxtest::ReadText(dir.file("logfile.txt"));
    EXPECT_NE(log.find("MakeClock(): Arrow 0 ("), std::string::npos) << log;
    EXPECT_NE(log.find("MakeClock(): Arrow 2 (" + std::to_string(360 - 15) + ", "), std::string::npos) << log;
}

TEST_F(ClockMaker, CentreRangeAtFifteenAndSixteen) {
    w = 200;
    h = 120;
    writeSources(16, 60, 20);
    CClockImage clock;
    ClockReport report;
    ASSERT_TRUE(BuildClock(src, clock, report)) << report.error.text();
    EXPECT_EQ(clock.header().centreX, 16);
    EXPECT_EQ(HandRadius(16, 60), 1);
    write("ClockC.tga", Marker(w, h, 15, 60));
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, IDS_CLOCK_CENTRE_RANGE);
    EXPECT_EQ(report.error.text(), "Hands center point coordinates are beyound range!");
    write("ClockC.tga", Marker(w, h, 100, 15));
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, IDS_CLOCK_CENTRE_RANGE);
    EXPECT_EQ(clock.header().centreX, 16);  // a build that stops leaves the clock as it was
    pages::CBitmap32 uniform(w, h);
    uniform.fillAll(0x00FFFFFF);
    write("ClockC.tga", uniform);
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, IDS_CLOCK_NO_CENTRE);
    EXPECT_EQ(report.error.text(), "Can't determine hands center point!");
}

TEST_F(ClockMaker, MessagesForPicturesThatDoNotFit) {
    writeSources();
    CClockImage clock;
    ClockReport report;
    // A hand of another size.
    write("ClockM.tga", Picture(700, 576));
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, IDS_CLOCK_SIZES);
    EXPECT_EQ(report.error.text(),
              "Pictures sizes are not the same!\n\n" + src.paths[SRC_FACE] + "\n" + src.paths[SRC_MINUTE]);
    // A missing picture: the picture message with its name.
    src.paths[SRC_MINUTE] = dir.file("none.tga");
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, pages::PICTURE_OPEN_ERROR);
    EXPECT_EQ(report.error.text(), "Error opening picture file:\n\n" + dir.file("none.tga"));

    // A BMP pair of two sizes.
    auto bmp = [&](const std::string& name, int bw, int bh, uint8_t v) {
        ASSERT_TRUE(platform::WriteFileAtomic(dir.file(name), zxtest::MakeBmp(bw, bh, 24, false, [v](int, int) {
                                                  return std::array<uint8_t, 4>{v, v, v, 0};
                                              })));
    };
    bmp("PairS.bmp", 720, 576, 0);
    bmp("PairS_w.bmp", 720, 570, 255);
    src.paths[SRC_MINUTE] = dir.file("ClockM.tga");
    write("ClockM.tga", Picture(720, 576));
    src.paths[SRC_SECOND] = dir.file("PairS_w.bmp");
    EXPECT_FALSE(BuildClock(src, clock, report));
    EXPECT_EQ(report.error.id, IDS_CLOCK_PAIR_SIZES);
    EXPECT_EQ(report.error.text(), "Picture size on black and white background are not the same!\n\n" +
                                       dir.file("PairS.bmp") + "\n" + dir.file("PairS_w.bmp"));
    // Of one size they combine: black on black and white on white is nothing at all.
    bmp("PairS_w.bmp", 720, 576, 255);
    ASSERT_TRUE(BuildClock(src, clock, report)) << report.error.text();
    EXPECT_TRUE(clock.header().hands[HAND_SECOND].empty());
}

TEST_F(ClockMaker, AHandTooLargeIsCutWithAWarning) {
    w = 400;
    h = 300;
    writeSources(120, 150, 330);  // R = 105: the second's hand reaches far beyond it
    CClockImage clock;
    ClockReport report;
    ASSERT_TRUE(BuildClock(src, clock, report)) << report.error.text();
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].id, IDS_CLOCK_HAND_CUT);
    EXPECT_EQ(report.warnings[0].text(),
              "Hand image is too large. It will be cut to fit requirements:\n\n" + src.paths[SRC_SECOND]);
    EXPECT_EQ(clock.header().hands[HAND_SECOND].right, HandRadius(120, 150));
    EXPECT_TRUE(ClockHeaderValid(clock.header()));
    // The hand picture is copied only inside the rectangle.
    EXPECT_EQ(clock.hand(HAND_SECOND).colourAt(384 + 106, 384), 0xFF000000u);
    EXPECT_NE(clock.hand(HAND_SECOND).colourAt(384 + 100, 384), 0xFF000000u);

    // Hands cut by the picture's right edge: their enlarged rectangles reach past it, where
    // there is nothing to copy.
    w = 130;
    writeSources(120, 150, 330);
    ASSERT_TRUE(BuildClock(src, clock, report)) << report.error.text();
    EXPECT_EQ(clock.header().hands[HAND_SECOND].right, 130 + 3 - 120);
    EXPECT_NE(clock.hand(HAND_SECOND).colourAt(384 + 9, 384), 0xFF000000u);
    for (int x = 10; x < 14; ++x) EXPECT_EQ(clock.hand(HAND_SECOND).colourAt(384 + x, 384), 0xFF000000u) << x;
}

TEST(ClockSettingsTest, DefaultsAndShadowOffsets) {
    ClockHeader h;
    ClockSettings s;
    ApplyClockSettings(s, h);
    EXPECT_EQ(h.steps[0], 0);
    EXPECT_EQ(h.steps[1], 2);
    EXPECT_EQ(h.steps[2], 2);
    EXPECT_FALSE(h.shadows);
    EXPECT_EQ(h.shadowX[0], 0);
    s.shadows = true;
    ApplyClockSettings(s, h);  // light from the top left, height 6: shadows 6 right and down... of -1
    EXPECT_EQ(h.shadowX[0], -6);
    EXPECT_EQ(h.shadowY[2], -6);
    s.lightH = 2;
    s.lightV = 1;
    s.handHeight = 3;
    s.differentHeights = true;
    s.belowFace = true;
    s.minuteStep = 6;
    s.hourStep = 0;
    ApplyClockSettings(s, h);
    EXPECT_EQ((std::vector<int>{h.shadowX[0], h.shadowX[1], h.shadowX[2]}), (std::vector<int>{8, 6, 4}));
    EXPECT_EQ((std::vector<int>{h.shadowY[0], h.shadowY[1], h.shadowY[2]}), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(h.belowFace);
    EXPECT_EQ(h.steps[1], 6);
    EXPECT_EQ(h.steps[2], 0);
    s.handHeight = 0;  // 2 with steps of 1
    s.lightV = 2;
    ApplyClockSettings(s, h);
    EXPECT_EQ((std::vector<int>{h.shadowY[0], h.shadowY[1], h.shadowY[2]}), (std::vector<int>{2, 1, 0}));
}

// A clock that moves by a set amount each time it is read.
class SteppingClock final : public platform::Clock {
public:
    explicit SteppingClock(uint32_t step) : step_(step) {}
    uint32_t ticks() const override { return now_ += step_; }
    platform::LocalTime localTime() const override { return {}; }

private:
    uint32_t step_;
    mutable uint32_t now_ = 5000;
};

TEST_F(ClockMaker, TheTimedRenderWarnsFromNineHundredMilliseconds) {
    writeSources();
    CClockImage clock;
    ClockReport report;
    ClockSettings settings;
    ASSERT_TRUE(MakeClock(src, settings, clock, SteppingClock(899), report));
    EXPECT_EQ(report.renderMs, 899u);
    EXPECT_TRUE(report.warnings.empty());
    // The render it timed was a real one at 3:00:37.
    const clockref::Result ref = clockref::Render(clock, {}, 0, 3, 0, 37, true);
    ASSERT_EQ(clock.blockSize(0), ref.block.size());
    EXPECT_EQ(std::memcmp(clock.block(0), ref.block.data(), ref.block.size()), 0);
    ASSERT_TRUE(MakeClock(src, settings, clock, SteppingClock(900), report));
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].id, IDS_CLOCK_SLOW);
    EXPECT_NE(zxtest::ReadText(dir.file("logfile.txt")).find("MakeClock(): 900 ms"), std::string::npos);
    // What was made saves and loads.
    ASSERT_EQ(clock.Save(dir.file("made.zck")), pages::FILE_OK);
    CClockImage back;
    EXPECT_EQ(back.Load(dir.file("made.zck")), pages::FILE_OK);
}

}  // namespace

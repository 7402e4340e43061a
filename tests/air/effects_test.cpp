#include <gtest/gtest.h>

#include <vector>

#include "air/effects.h"
#include "air/show_params.h"
#include "app/profile.h"
#include "platform/bytes.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

uint32_t bits(uint32_t v, int from, int to) { return (v >> from) & ((1u << (to - from + 1)) - 1); }

PageMotion scroller(int strip, int width, int height = 50) {
    PageMotion m;
    m.movingType = 1;
    m.flags = PageMotion::FLAG_MOVING;
    m.stripLength = strip;
    m.left = 10;
    m.right = 10 + width;
    m.top = 400;
    m.bottom = 400 + height;
    return m;
}

TEST(EffectDuration, WorkedValues) {
    // Type 1 at speed 9 moves 10 pixels per field: 720 × 20 / 10.
    EXPECT_EQ(EffectDuration(1, 9, false), 1440);
    EXPECT_EQ(EffectDuration(1, 9, true), 1440);
    // A fade lasts at least a second; a plain switch takes no time.
    EXPECT_EQ(EffectDuration(0, 0, true), 1000);
    EXPECT_EQ(EffectDuration(0, 5, false), 0);
    EXPECT_EQ(EffectDuration(9, 19, true), 1000);  // 360 × 20 / 20 = 360, raised by the fade
    EXPECT_EQ(EffectDuration(3, 0, false), 576 * 20);
    EXPECT_EQ(EffectDuration(12, 3, false), 720 * 20 / 4);  // the longer axis counts
    EXPECT_EQ(EffectDuration(19, 0, false), 0);
    // Damaged records: no division by zero, no row outside the catalogue.
    EXPECT_EQ(EffectDuration(1, -1, false), EffectDuration(1, 0, false));
    EXPECT_EQ(EffectDuration(77, 4, true), 1000);
}

TEST(EffectParam, StepBitsAndBorder) {
    // Type 9 at speed 3: k = 4, c = 90, q = 64 → 3 twentieths.
    uint32_t p = EffectParam(9, 3, 0);
    EXPECT_EQ(bits(p, 0, 15), 0x0A55u);
    EXPECT_EQ(bits(p, 16, 20), 4u);
    EXPECT_EQ(bits(p, 22, 26), 3u);
    EXPECT_EQ(p, 0x00C40A55u);
    // The border goes to bits 28-31.
    EXPECT_EQ(EffectParam(9, 3, 14) >> 28, 14u);
    // Type 11 at speed 1: k = 2, c = 360, q = 32 → remainder 12 rounds up to 2.
    EXPECT_EQ(EffectParam(11, 1, 0), 0x0A00u | (2u << 16) | (2u << 22));
    // A pure horizontal move still gets the minor step of at least 1.
    EXPECT_EQ(EffectParam(1, 9, 0), 0x0A08u | (10u << 16) | (1u << 22));
    // Vertical types put k into bits 22-26 and the minor step into 16-20.
    uint32_t v = EffectParam(3, 4, 2);
    EXPECT_EQ(bits(v, 22, 26), 5u);
    EXPECT_EQ(bits(v, 16, 20), 1u);
    EXPECT_EQ(v >> 28, 2u);
    // No motion, no step bits.
    EXPECT_EQ(EffectParam(0, 7, 1), 0x10000A0Au);
    EXPECT_EQ(EffectParam(19, 7, 0), 0u);
}

TEST(EffectParam, FromShowParamsInAndOut) {
    ShowParams p;
    p.inType = 9;
    p.inSpeed = 3;
    p.inBorder = 5;
    p.outType = 3;
    p.outSpeed = 4;
    p.outBorder = 2;
    EXPECT_EQ(EffectParam(p, true), EffectParam(9, 3, 5));
    EXPECT_EQ(EffectParam(p, false), EffectParam(3, 4, 2));
    // Out-of-range fields are taken to the ends of their ranges.
    p.inSpeed = 500;
    p.inBorder = -7;
    EXPECT_EQ(EffectParam(p, true), EffectParam(9, 19, 0));
}

TEST(EffectWord, InAndOutBits) {
    ShowParams p;
    p.inType = 1;
    EXPECT_EQ(EffectWord(p, true), 0x0000);
    p.inNewMoves = 1;
    EXPECT_EQ(EffectWord(p, true), 0x0020);
    p.inOldMoves = 1;
    p.inFade = 1;
    EXPECT_EQ(EffectWord(p, true), 0x04A0);
    // Moving bits only where the catalogue has them.
    p.inType = 15;
    EXPECT_EQ(EffectWord(p, true), 0x0100 | 0xC0 | 0x0400);
    p.inType = 0;
    p.inNewMoves = p.inOldMoves = 0;
    EXPECT_EQ(EffectWord(p, true), 0x0600);

    // The out word takes the out fields only: the old-moves bits, never the new-moves bits.
    ShowParams q;
    q.inFade = 1;
    q.inNewMoves = 1;
    q.outType = 2;
    EXPECT_EQ(EffectWord(q, false), 0x0000);
    q.outMoves = 1;
    EXPECT_EQ(EffectWord(q, false), 0x0080);
    q.outFade = 1;
    EXPECT_EQ(EffectWord(q, false), 0x0480);
    q.outType = 11;  // new-moves only: the page-is-moving box adds nothing
    EXPECT_EQ(EffectWord(q, false), 0x0400);
    q.outType = 6;
    q.outFade = 0;
    EXPECT_EQ(EffectWord(q, false), 0x0100);
}

TEST(ShowTime, FloorAndFixedTime) {
    ShowParams p;
    p.showTime = 1;
    EXPECT_EQ(ShowTimeOf(p), 2);  // never below 2 seconds
    p.showTime = 10;
    EXPECT_EQ(ShowTimeOf(p), 10);
    // The in-effect counts: type 1 at speed 0 takes 14.4 s.
    p.inType = 1;
    EXPECT_EQ(ShowTimeOf(p), 15);
    p.showTime = 20;
    EXPECT_EQ(ShowTimeOf(p), 20);
}

TEST(ShowTime, RoundingOfComputedTime) {
    ShowParams p;
    p.scrollSpeed = 1;  // step 2: e × 10 ms
    // 219 + 100 = 319 pixels → 3190 ms → 3 s; 320 → 3200 ms → 4 s.
    EXPECT_EQ(ShowTimeOf(p, scroller(219, 100)), 3);
    EXPECT_EQ(ShowTimeOf(p, scroller(220, 100)), 4);
    EXPECT_EQ(ComputedShowTime(p, scroller(220, 100)), 4);
    // Exactly whole seconds stay.
    EXPECT_EQ(ShowTimeOf(p, scroller(300, 100)), 4);
    EXPECT_EQ(RoundedSeconds(1440), 2);
    EXPECT_EQ(RoundedSeconds(1199), 1);
}

TEST(ShowTime, FromACompiledPageSummary) {
    // A Roll 300 high whose text is 500 long, as the page summary gives it: 800 rows at step 1.
    pages::PageSummary s;
    s.movingType = 2;
    s.flags = pages::SUMMARY_MOVING | pages::SUMMARY_NOT_SCROLLER;
    s.textLength = 500;
    s.moving = {100, 100, 400, 400};
    ShowParams p;
    EXPECT_EQ(ShowTimeOf(p, s), 16);
    p.stopScrolling = 1;  // the text only: 10 s
    EXPECT_EQ(ShowTimeOf(p, s), 10);
}

TEST(ShowTime, ScrollingPages) {
    ShowParams p;
    p.showTime = 100;
    PageMotion m = scroller(500, 700);  // 1200 px at step 1 → 24 s
    EXPECT_EQ(ShowTimeOf(p, m), 24);    // variable time ignores showTime
    p.plusTime = 3;
    EXPECT_EQ(ShowTimeOf(p, m), 27);
    p.stopScrolling = 1;  // no run-out: only the strip
    EXPECT_EQ(ShowTimeOf(p, m), 13);
    p.stopScrolling = 0;
    p.plusTime = 0;
    p.timeMode = 1;  // fixed: at least showTime
    EXPECT_EQ(ShowTimeOf(p, m), 100);
    p.showTime = 5;
    EXPECT_EQ(ShowTimeOf(p, m), 24);
    // A Roll runs out over the rectangle's height.
    PageMotion roll = scroller(500, 700, 200);
    roll.movingType = 2;
    roll.flags |= PageMotion::FLAG_ROLL;
    p.timeMode = 0;
    EXPECT_EQ(ShowTimeOf(p, roll), 14);
    // The in-effect adds to the scroll.
    p.inType = 1;
    p.inSpeed = 9;
    EXPECT_EQ(ShowTimeOf(p, roll), 16);  // 14000 + 1440 ms, 440 ms over rounds up
    // Faster scrolls take less time.
    p.inType = 0;
    p.scrollSpeed = 6;
    EXPECT_EQ(ShowTimeOf(p, roll), 2);  // 700 × 20 / 7 = 2000
}

TEST(ShowParams, StoredFieldByField) {
    ShowParams p;
    for (int i = 0; i < kShowParamsFields; ++i) Field(p, i) = 0x01020300 + i;
    p.outFade = -1;
    std::vector<uint8_t> raw;
    platform::ByteWriter w(raw);
    WriteShowParams(w, p);
    ASSERT_EQ(raw.size(), 64u);
    EXPECT_EQ(raw[0], 0x00);  // timeMode, little-endian
    EXPECT_EQ(raw[3], 0x01);
    EXPECT_EQ(raw[20], 0x05);  // inType is field 5
    EXPECT_EQ(raw[60], 0xFF);

    ShowParams back;
    platform::ByteReader r(raw.data(), raw.size());
    ASSERT_TRUE(ReadShowParams(r, back));
    EXPECT_EQ(back, p);

    // A short record fails and leaves the target alone.
    ShowParams untouched;
    platform::ByteReader shortReader(raw.data(), 63);
    EXPECT_FALSE(ReadShowParams(shortReader, untouched));
    EXPECT_FALSE(shortReader.ok());
    EXPECT_EQ(untouched, DefaultShowParams());
}

TEST(ShowParams, DefEffectInTheSettingsFile) {
    zxtest::TempDir dir;
    app::Profile ini(dir.file("ZENTRIX.INI"));
    ShowParams d = LoadShowParams(ini, "Air", "DefEffect");
    EXPECT_EQ(d.showTime, 10);
    EXPECT_EQ(d.inType, 0);

    ShowParams p;
    p.inType = 12;
    p.inSpeed = 7;
    p.showTime = 33;
    ASSERT_TRUE(SaveShowParams(ini, "Air", "DefEffect", p));
    app::Profile again(dir.file("ZENTRIX.INI"));
    EXPECT_EQ(LoadShowParams(again, "Air", "DefEffect"), p);

    // A damaged entry counts as missing.
    again.putString("SequenceEditor", "DefEffect", "0102");
    EXPECT_EQ(LoadShowParams(again, "SequenceEditor", "DefEffect"), DefaultShowParams());
}

}  // namespace

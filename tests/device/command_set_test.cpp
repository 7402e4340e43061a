// The command programs as the Device receives them, for chosen inputs, against hand-worked
// register sequences: (register, value, batch flag, wait) and data lengths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/command_set.h"

using namespace device;

namespace {

// Expected steps, written the way the programs are documented.
Step B(int reg, int value) {  // "+ reg = value"
    Step s;
    s.reg = uint8_t(reg);
    s.value = uint16_t(value);
    s.batch = true;
    return s;
}
Step W(int reg, int value) {
    Step s = B(reg, value);
    s.batch = false;
    return s;
}
Step Prep() {
    Step s = W(0x80, 0);
    s.waitS0 = 1;
    return s;
}
Step Fill() {
    Step s = W(0x80, 0x8000);
    s.waitS0 = 2;
    return s;
}
Step Go(int mask, uint32_t minMs = 0) {
    Step s = W(0x80, mask);
    s.waitFinish = true;
    s.minMs = minMs;
    return s;
}
Step D(size_t length) {
    Step s;
    s.kind = Step::DATA;
    s.length = length;
    return s;
}

std::vector<std::string> Text(const std::vector<Step>& steps) {
    std::vector<std::string> t;
    for (const Step& s : steps) t.push_back(DescribeStep(s));
    return t;
}

CmdRecord Cmd(uint16_t code, Rect r = {}, uint16_t p1 = 0, uint32_t p2 = 0, DataRef p3 = {}) {
    CmdRecord c;
    c.code = code;
    c.setRect(r);
    c.param1 = p1;
    c.param2 = p2;
    c.param3 = std::move(p3);
    return c;
}

std::vector<Step> Program(CommandSet& set, const CmdRecord& c) { return ProgramSteps(set, c); }

// A top-to-bottom wipe over the full picture: border 1, vertical step 4, the bottom edge
// travelling from line 0 to 575.
constexpr uint32_t kWipeDown = 0x01000A02;

}  // namespace

TEST(InEffect, WipeOnBankZeroThenTheSameOnBankOne) {
    CommandSet set;
    set.resetSession();
    // Bit 14 clear: the rectangle is ignored, the full picture is used.
    std::vector<Step> first = Program(set, Cmd(CMD_IN_EFFECT, {100, 100, 200, 200}, 0x0001, kWipeDown));
    // Hand-worked: w = 1, Gv = 0x0404, Gh = 0; start window 0,0,0,719; end 0,0,575,719; only the
    // bottom edge moves (Mb = 0x0404); the top and left stay, so Dv = 0x8484 and Dh = 0x8080.
    std::vector<Step> want0 = {
        B(0, 0),         B(1, 0),         B(2, 0),       B(3, 0),       B(4, 0),       B(5, 0),  B(6, 0),
        B(7, 0),         B(24, 0x8484),   B(25, 0x8080), B(26, 0x8484), B(27, 0x8080), B(8, 0),  B(9, 0),
        B(10, 0),        B(11, 719),      B(16, 0),      B(17, 0),      B(18, 575),    B(19, 0), B(28, 0),
        B(29, 0),        B(30, 0x0404),   B(31, 0),      Prep(),        B(12, 0),      B(13, 0), B(14, 0),
        B(15, 719),      B(0x40, 0x1401),  // E = w | 0x1000 | 0x400
        B(20, 0),        B(21, 0),        B(22, 575),    B(23, 0),      B(32, 0),      B(33, 0), B(34, 0x0404),
        B(35, 0),
        Go(0x0100),       // bank 0 bottom edge
        W(0x40, 0x1401),  // C = 0x400 | w | 0x1000
    };
    EXPECT_EQ(Text(first), Text(want0));
    EXPECT_EQ(set.bank(), 1);
    EXPECT_EQ(set.controlWord(), 0x1401);

    std::vector<Step> second = Program(set, Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown));
    std::vector<Step> want1 = {
        B(2, 0),         B(3, 0),         B(0, 0),       B(1, 0),       B(6, 0),       B(7, 0),  B(4, 0),
        B(5, 0),         B(26, 0x8484),   B(27, 0x8080), B(24, 0x8484), B(25, 0x8080), B(12, 0), B(13, 0),
        B(14, 0),        B(15, 719),      B(20, 0),      B(21, 0),      B(22, 575),    B(23, 0), B(32, 0),
        B(33, 0),        B(34, 0x0404),   B(35, 0),      Prep(),        B(8, 0),       B(9, 0),  B(10, 0),
        B(11, 719),      B(0x40, 0x0B10),  // (w << 4) | 0x100 | 0x800 | 0x200
        B(16, 0),        B(17, 0),        B(18, 575),    B(19, 0),      B(28, 0),      B(29, 0), B(30, 0x0404),
        B(31, 0),
        Go(0x0010),       // bank 1 bottom edge
        W(0x40, 0x0A10),  // 0x200 | (w << 4) | 0x800
    };
    EXPECT_EQ(Text(second), Text(want1));
    EXPECT_EQ(set.bank(), 0);
}

TEST(InEffect, RectangleOverlayFromTheMiddleKeepsTheBank) {
    // Bits 0, 4 (new page moves vertically), 8 (adjusted start), 11 (overlay), 13 (no bank
    // toggle), 14 (the rectangle): x 100-300, y 50-150. Border 4, Gv = 0x0202, Gh = 0x0505;
    // every start edge in the middle, the end window the whole rectangle.
    const uint16_t F = 0x6911;
    const uint32_t P = 0x30850A55;
    CommandSet set;
    set.resetSession();
    std::vector<Step> got = Program(set, Cmd(CMD_IN_EFFECT, {100, 50, 300, 150}, F, P));
    // Start T0 = 50+50+4 = 104, L0 = 100+100+4 = 204, B0 = 96, R0 = 196; end 50, 100, 150, 300.
    // Moves: Mt = 0x8282, Ml = 0x8585 (shrinking toward the edge), Mb = 0x0202, Mr = 0x0505.
    // Adjusted start 108, 208, 92, 192. Ov2 = 100 - 4 = 96, Ov1 = 1280 - 96 = 1184.
    std::vector<Step> want = {
        B(0, 1184),      B(1, 0),         B(2, 0),       B(3, 0),       B(4, 96),      B(5, 0),       B(6, 0),
        B(7, 0),         B(24, 0x0202),   B(25, 0x0505), B(26, 0x0202), B(27, 0x0505), B(8, 108),     B(9, 208),
        B(10, 92),       B(11, 192),      B(16, 58),     B(17, 108),    B(18, 58),     B(19, 108),    B(28, 0x8282),
        B(29, 0x8585),   B(30, 0x0202),   B(31, 0x0505), Prep(),        B(12, 104),    B(13, 204),    B(14, 96),
        B(15, 196),      B(0x40, 0x1F44),  // w | w << 4 | 0x1E00 | 0x100
        B(20, 54),       B(21, 104),      B(22, 54),     B(23, 104),    B(32, 0x8282), B(33, 0x8585), B(34, 0x0202),
        B(35, 0x0505),
        Go(0x4780),  // bank 0 vertical offset and all four edges
        W(0x40, 0x1F44),
    };
    EXPECT_EQ(Text(got), Text(want));
    EXPECT_EQ(set.bank(), 0);  // bit 13
    EXPECT_EQ(set.controlWord(), 0x1F44);

    // On bank 1 the same effect starts other units and keys the other way round.
    CommandSet one;
    one.resetSession();
    Program(one, Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown));
    ASSERT_EQ(one.bank(), 1);
    got = Program(one, Cmd(CMD_IN_EFFECT, {100, 50, 300, 150}, F, P));
    ASSERT_EQ(got.size(), 40u);
    EXPECT_EQ(DescribeStep(got[0]), DescribeStep(B(2, 1184)));
    EXPECT_EQ(DescribeStep(got[4]), DescribeStep(B(6, 96)));
    EXPECT_EQ(DescribeStep(got[12]), DescribeStep(B(12, 108)));
    EXPECT_EQ(DescribeStep(got[25]), DescribeStep(B(8, 104)));
    EXPECT_EQ(DescribeStep(got[29]), DescribeStep(B(0x40, 0x1E44)));  // no 0x100: bank 1, bit 12 clear
    EXPECT_EQ(DescribeStep(got[38]), DescribeStep(Go(0x1078)));
    EXPECT_EQ(DescribeStep(got[39]), DescribeStep(W(0x40, 0x1E44)));
    EXPECT_EQ(one.bank(), 1);
}

TEST(InEffect, OldPageMovesOutWithFadesAndAOneSecondMinimum) {
    // Bits 0, 1 (old page), 4, 6 (both pages move vertically), 10 (fade, not before 1 s).
    CommandSet set;
    set.resetSession();
    std::vector<Step> got = Program(set, Cmd(CMD_IN_EFFECT, {}, 0x0453, kWipeDown));
    ASSERT_EQ(got.size(), 40u);
    // Ov2 = 575 - 0 - 1 = 574; Dv has the 0x8080 bits (the top stays) so Ov1 = Ov2.
    EXPECT_EQ(DescribeStep(got[0]), DescribeStep(B(0, 574)));
    EXPECT_EQ(DescribeStep(got[4]), DescribeStep(B(4, 574)));
    EXPECT_EQ(DescribeStep(got[2]), DescribeStep(B(2, 0)));
    EXPECT_EQ(DescribeStep(got[6]), DescribeStep(B(6, 576)));  // Nv = 575 - 0 + 1
    // E = w | 0x1000 | 0x400 | (0x200 removed) | 0x4000 | 0x2000.
    EXPECT_EQ(DescribeStep(got[29]), DescribeStep(B(0x40, 0x7401)));
    // S = 0x4000 | 0x1000 | bottom edge of both banks 0x100 | 0x10.
    EXPECT_EQ(DescribeStep(got[38]), DescribeStep(Go(0x5110, 1000)));
    EXPECT_EQ(DescribeStep(got[39]), DescribeStep(W(0x40, 0x1401)));

    CommandSet hundred;
    hundred.resetSession();
    got = Program(hundred, Cmd(CMD_IN_EFFECT, {}, 0x0201, kWipeDown));
    EXPECT_EQ(got[38].minMs, 100u);
    EXPECT_EQ(got[29].value, 0x1401 | 0x1800);
}

TEST(Load, LoadRectOfOneHundredByFiftySendsTenThousandAndTwoBytes) {
    std::vector<uint8_t> pixels(10002);
    CommandSet set;
    set.resetSession();
    std::vector<Step> got =
        Program(set, Cmd(CMD_LOAD_RECT, {10, 20, 110, 70}, 0, 0, DataRef::Borrow(pixels.data(), pixels.size())));
    EXPECT_EQ(Text(got), Text({B(0x60, 20), B(0x61, 10), B(0x62, 69), B(0x63, 109), Prep(), D(10002)}));
    EXPECT_EQ(got[5].data, pixels.data());

    // Flag bit 0 on bank 0 writes the other bank.
    got = Program(set, Cmd(CMD_LOAD_RECT, {10, 20, 110, 70}, 1, 0, DataRef::Borrow(pixels.data(), pixels.size())));
    EXPECT_EQ(got[0].value, 0x814);

    size_t need = 0;
    CmdRecord small = Cmd(CMD_LOAD_RECT, {10, 20, 110, 70}, 0, 0, DataRef::Borrow(pixels.data(), 10001));
    EXPECT_FALSE(DataFits(small, need));
    EXPECT_EQ(need, 10002u);
    EXPECT_FALSE(
        DataFits(Cmd(CMD_LOAD_RECT, {110, 20, 10, 70}, 0, 0, DataRef::Borrow(pixels.data(), pixels.size())), need));
}

TEST(Load, FillRectAndLoadRectData) {
    CommandSet set;
    set.resetSession();
    DataRef fill = DataRef::Borrow(kFillBlock.data(), kFillBlock.size());
    std::vector<Step> got = Program(set, Cmd(CMD_FILL_RECT, {0, 0, 720, 576}, 0, 0, fill));
    EXPECT_EQ(Text(got), Text({B(0x60, 0), B(0x61, 0), B(0x62, 575), B(0x63, 719), Prep(), D(6), Fill()}));
    EXPECT_EQ(got[5].data, kFillBlock.data());

    std::vector<uint8_t> pixels(RectBlockSize(720, 576));
    EXPECT_EQ(pixels.size(), 829442u);
    got = Program(set, Cmd(CMD_LOAD_RECT_DATA, {0, 0, 720, 576}, 0, 0, DataRef::Borrow(pixels.data(), pixels.size())));
    EXPECT_EQ(Text(got), Text({B(0x60, 0), B(0x61, 0), B(0x62, 575), B(0x63, 719), Prep(), D(829442), B(0x60, 0x800),
                               B(0x61, 0), B(0x62, 575), B(0x63, 1535), Prep(), D(6), Fill()}));
    EXPECT_EQ(got[11].data, kFillBlock.data());
}

TEST(Scroll, RollOfSixHundredLinesLoads256And256And88) {
    // Roll (bit 15), speed 2 (bits 4-7 = 1), step 3: G = 0x0303. Frame x 100-620, y 400-500:
    // across W = 520, along H = 100.
    const uint16_t F = 0x8013;
    const size_t chunk = 512 * 520 + 2;  // 266,242: a full chunk with its checksum
    std::vector<uint8_t> strip(2 * chunk + 2 * 520 * 88 + 2);
    CommandSet set;
    set.resetSession();
    std::vector<Step> got =
        Program(set, Cmd(CMD_SCROLL, {100, 400, 620, 500}, F, 600, DataRef::Borrow(strip.data(), strip.size())));
    std::vector<Step> want = {
        B(0x60, 0),
        B(0x61, 0),
        B(0x62, 99),
        B(0x63, 519),
        Prep(),
        D(6),
        Fill(),
        B(8, 402),
        B(9, 102),
        B(10, 497),
        B(11, 617),
        B(0, 880),
        B(1, 1436),
        B(24, 0x0303),
        W(0x40, 0x1402),  // C (0) | 0x1400 | w
        // chunk 0: lines 100-355 of the store, not yet granted
        B(0x60, 100),
        B(0x61, 0),
        B(0x63, 519),
        B(0x62, 355),
        Prep(),
        D(266242),
        W(4, 0),
        // chunk 1: granted 256 on top, the roll starts
        B(0x60, 356),
        B(0x61, 0),
        B(0x63, 519),
        B(0x62, 611),
        Prep(),
        D(266242),
        W(4, 0x8100),
        Go(0x4000),
        // chunk 2: 88 lines, the rest granted (600 - 256)
        B(0x60, 612),
        B(0x61, 0),
        B(0x63, 519),
        B(0x62, 699),
        Prep(),
        D(91522),
        W(4, 344),
        Go(0x4000),
    };
    EXPECT_EQ(Text(got), Text(want));
    EXPECT_EQ(got[20].data, strip.data());
    EXPECT_EQ(got[27].data, strip.data() + chunk);
    EXPECT_EQ(got[35].data, strip.data() + 2 * chunk);

    size_t need = 0;
    EXPECT_TRUE(
        DataFits(Cmd(CMD_SCROLL, {100, 400, 620, 500}, F, 600, DataRef::Borrow(strip.data(), strip.size())), need));
    EXPECT_FALSE(
        DataFits(Cmd(CMD_SCROLL, {100, 400, 620, 500}, F, 600, DataRef::Borrow(strip.data(), strip.size() - 1)), need));
    EXPECT_EQ(need, strip.size());
}

TEST(Scroll, CrawlOnBankOneWithTheEffectsControlWord) {
    CommandSet set;
    set.resetSession();
    Program(set, Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown));  // bank 1 now, C = 0x1401
    // Crawl, bit 14 set, speed 3, step 2; frame y 500-540 over the full width: W = 40, H = 720.
    std::vector<uint8_t> strip(512 * 40 + 2 + 2 * 40 * 44 + 2);
    std::vector<Step> got =
        Program(set, Cmd(CMD_SCROLL, {0, 500, 720, 540}, 0x4022, 300, DataRef::Borrow(strip.data(), strip.size())));
    std::vector<Step> want = {
        B(0x60, 0x800), B(0x61, 0),     B(0x62, 39),     B(0x63, 719), Prep(),        D(6),
        Fill(),         B(12, 503),     B(13, 3),        B(14, 536),   B(15, 716),    B(2, 780),
        B(3, 1536),     B(27, 0x0202),  W(0x40, 0x1E31),  // 0x1401 | 0x0A00 | w << 4; bit 14 set, so no 0x100 on bank 1
        B(0x60, 0x800), B(0x61, 720),   B(0x62, 39),     B(0x63, 975), Prep(),        D(20482),
        W(7, 0),        B(0x60, 0x800), B(0x61, 976),    B(0x62, 39),  B(0x63, 1019), Prep(),
        D(3522),        W(7, 300),      Go(0x0800),
    };
    EXPECT_EQ(Text(got), Text(want));
}

TEST(Scroll, ZeroLengthEndsAfterTheControlWord) {
    CommandSet set;
    set.resetSession();
    std::vector<Step> got = Program(set, Cmd(CMD_SCROLL, {0, 0, 720, 100}, 0x0000, 0));
    ASSERT_EQ(got.size(), 15u);
    EXPECT_EQ(DescribeStep(got.back()), DescribeStep(W(0x40, 0x1401)));  // w = 1, bank 0, bit 14 clear
    size_t need = 1;
    EXPECT_TRUE(DataFits(Cmd(CMD_SCROLL, {0, 0, 720, 100}, 0, 0), need));
}

TEST(Scroll, StopAtTheEndShorterThanTheFrameGrantsNothing) {
    // Bit 13 with a strip shorter than the frame: no distance is left to travel. A negative one
    // would go out as 0xFF9C, which the Device reads as "add 32,668".
    std::vector<uint8_t> strip(2 * 40 * 100 + 2);
    CommandSet set;
    set.resetSession();
    std::vector<Step> got =
        Program(set, Cmd(CMD_SCROLL, {0, 0, 200, 40}, 0x2000, 100, DataRef::Borrow(strip.data(), strip.size())));
    ASSERT_EQ(got.size(), 23u);
    EXPECT_EQ(DescribeStep(got[21]), DescribeStep(W(5, 0)));
    EXPECT_EQ(DescribeStep(got[22]), DescribeStep(Go(0x2000)));
}

TEST(Commands, BankAndControlWordAcrossCommands) {
    CommandSet set;
    set.resetSession();
    EXPECT_EQ(Text(Program(set, Cmd(CMD_END_SCROLL))), Text({W(0x40, 0)}));  // before any effect
    Program(set, Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown));
    EXPECT_EQ(Text(Program(set, Cmd(CMD_SET_MODE, {}, 0x300))), Text({W(3, 0x300)}));  // bank 1
    EXPECT_EQ(Text(Program(set, Cmd(CMD_END_SCROLL))), Text({W(0x40, 0x1401)}));

    std::vector<Step> cut = Program(set, Cmd(CMD_CUT));
    EXPECT_EQ(Text(cut), Text({W(0x40, 0), W(0x80, 4)}));
    EXPECT_TRUE(cut[0].forgetState);
    EXPECT_EQ(set.bank(), 0);
    EXPECT_EQ(Text(Program(set, Cmd(CMD_SET_MODE, {}, 0x300))), Text({W(1, 0x300)}));

    Program(set, Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown));
    std::vector<Step> reset = Program(set, Cmd(CMD_RESET_DEVICE));
    EXPECT_EQ(Text(reset), Text({W(0x80, 4)}));
    EXPECT_TRUE(reset[0].forgetState);
    EXPECT_EQ(set.bank(), 0);

    EXPECT_FALSE(set.begin(Cmd(0x55)));
    EXPECT_EQ(StepCount(CMD_PAUSE), 0);
}

TEST(Pause, FreezesAndRestoresTheEffectsMotion) {
    CommandSet set;
    set.resetSession();
    CmdRecord fx = Cmd(CMD_IN_EFFECT, {}, 0x0001, kWipeDown);
    ASSERT_TRUE(set.begin(fx));
    std::vector<Step> frozen, resumed;
    for (int i = 0; i < CommandSet::kPauseSteps - 1; ++i) {
        frozen.push_back(set.pauseStep(i, true));
        resumed.push_back(set.pauseStep(i, false));
    }
    EXPECT_EQ(Text(frozen), Text({Prep(), W(32, 0), W(33, 0), W(34, 0), W(35, 0), W(28, 0), W(29, 0), W(30, 0),
                                  W(31, 0), W(26, 0), W(27, 0), W(24, 0), W(25, 0)}));
    EXPECT_EQ(Text(resumed),
              Text({Prep(), W(32, 0), W(33, 0), W(34, 0x0404), W(35, 0), W(28, 0), W(29, 0), W(30, 0x0404), W(31, 0),
                    W(26, 0x8484), W(27, 0x8080), W(24, 0x8484), W(25, 0x8080)}));
}

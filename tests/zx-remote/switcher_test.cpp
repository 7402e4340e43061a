#include "zx-remote/switcher.h"

#include <gtest/gtest.h>

#include "video/remote_buttons.h"

using namespace zxremote;
using namespace video;

namespace {

constexpr int kIn1 = 2, kIn2 = 3, kIn5 = 6;

class SwitcherTest : public ::testing::Test {
protected:
    platform::ManualClock clock;
    SwitcherSetup setup;
    std::unique_ptr<Switcher> sw;
    void make() { sw = std::make_unique<Switcher>(clock, setup); }
    void SetUp() override { make(); }
    bool lit(const std::string& name) { return sw->Apply(REMOTE_QUERY, name) == 2; }
};

}  // namespace

TEST_F(SwitcherTest, RepliesAsTheProgramExpects) {
    EXPECT_EQ(sw->Apply(REMOTE_QUERY, "AIR_IN1"), 2);
    EXPECT_EQ(sw->Apply(REMOTE_QUERY, "AIR_IN2"), 1);
    EXPECT_EQ(sw->Apply(REMOTE_QUERY, "IN2"), 2);  // the preview lamp
    EXPECT_EQ(sw->Apply(REMOTE_PUSH, "NOSUCH"), 0);
    EXPECT_EQ(sw->Apply(REMOTE_QUERY, "AIR_NOSUCH"), 0);
    EXPECT_EQ(sw->Apply(4, "IN1"), 0);
    EXPECT_EQ(sw->Apply(-1, "IN1"), 0);
    // Every name the program's tables hold is a button.
    for (int i = 0; i < kRemoteInputCount; ++i) {
        EXPECT_TRUE(Switcher::Known(kRemoteInputs[i]));
        EXPECT_TRUE(Switcher::Known(AirButton(kRemoteInputs[i])));
    }
    for (const char* e : kRemoteEffects) EXPECT_TRUE(Switcher::Known(e));
    for (const char* b : kRemotePlaylistButtons) EXPECT_NE(sw->Apply(REMOTE_OFF, b), 0) << b;
    for (const char* b :
         {kButtonFast, kButtonCut, kButtonAuto, kButtonBreak, kButtonTransp, kButtonLogo1, kButtonFreeze, "THERMO"})
        EXPECT_TRUE(Switcher::Known(b)) << b;
    EXPECT_TRUE(Switcher::Known("logo1"));
}

TEST_F(SwitcherTest, InputsGoToAirByCutOrThroughTheEffect) {
    EXPECT_EQ(sw->Apply(REMOTE_PUSH, "IN5"), 1);
    EXPECT_TRUE(lit("AIR_IN5"));
    EXPECT_FALSE(lit("AIR_IN1"));
    EXPECT_TRUE(lit("IN2"));  // the preview stays
    // AUTO: a take of the preview through the effect; both are on air meanwhile.
    sw->Press("EFFECT3");
    sw->Press("AUTO");
    EXPECT_TRUE(lit("AUTO"));
    EXPECT_FALSE(lit("CUT"));
    EXPECT_TRUE(lit("AIR_IN5"));
    EXPECT_TRUE(lit("AIR_IN2"));
    clock.advance(999);
    EXPECT_TRUE(lit("AIR_IN5"));
    clock.advance(1);
    EXPECT_FALSE(lit("AIR_IN5"));
    EXPECT_EQ(sw->State().program, kIn2);
    EXPECT_EQ(sw->State().preview, kIn5);  // a take swaps the buses
    // BREAK ends a running transition at once.
    sw->Press("IN1");
    EXPECT_TRUE(lit("AIR"));
    sw->Press("BREAK");
    EXPECT_FALSE(lit("AIR"));
    EXPECT_EQ(sw->State().program, kIn1);
    // PREVIEW, then an input: the input goes to the preview bus.
    sw->Press("PREVIEW");
    EXPECT_TRUE(lit("PREVIEW"));
    sw->Press("BARS");
    EXPECT_TRUE(lit("BARS"));
    EXPECT_FALSE(lit("PREVIEW"));
    EXPECT_EQ(sw->State().program, kIn1);
}

TEST_F(SwitcherTest, FastLightsAfterItsDelayAndKeepsTheStyle) {
    sw->Press("FAST");
    EXPECT_FALSE(lit("FAST"));
    EXPECT_TRUE(sw->State().fastPending);
    clock.advance(200);
    EXPECT_TRUE(lit("FAST"));
    // In FAST mode inputs go straight to air whatever the style; CUT and AUTO leave the style.
    sw->Press("AUTO");
    EXPECT_TRUE(lit("CUT"));
    sw->Press("IN5");
    EXPECT_EQ(sw->State().program, kIn5);
    sw->Press("FAST");
    EXPECT_FALSE(lit("FAST"));
    setup.fastDelayMs = -1;
    make();
    sw->Apply(REMOTE_ON, "FAST");
    clock.advance(100000);
    EXPECT_FALSE(lit("FAST"));
    // A new delay applies to a FAST still waiting.
    sw->SetFastDelay(50);
    clock.advance(50);
    EXPECT_TRUE(lit("FAST"));
    sw->Apply(REMOTE_OFF, "FAST");
    EXPECT_FALSE(lit("FAST"));
}

TEST_F(SwitcherTest, TogglesEffectsAndStartingSetup) {
    setup.lamps = {"LOGO1", "clock"};
    setup.effect = 4;
    setup.styleAuto = true;
    setup.fast = true;
    setup.program = 0;
    make();
    EXPECT_TRUE(lit("LOGO1"));
    EXPECT_TRUE(lit("CLOCK"));
    EXPECT_TRUE(lit("EFFECT4"));
    EXPECT_TRUE(lit("AUTO"));
    EXPECT_TRUE(lit("FAST"));
    EXPECT_TRUE(lit("AIR_BLACK"));
    sw->Press("LOGO1");
    EXPECT_FALSE(lit("LOGO1"));
    sw->Apply(REMOTE_ON, "TRANSP");
    sw->Apply(REMOTE_ON, "TRANSP");
    EXPECT_TRUE(lit("TRANSP"));
    sw->Apply(REMOTE_OFF, "TRANSP");
    EXPECT_FALSE(lit("TRANSP"));
    sw->Apply(REMOTE_ON, "MIX");
    EXPECT_TRUE(lit("MIX"));
    EXPECT_FALSE(lit("EFFECT4"));
    const std::string json = sw->StateJson();
    EXPECT_NE(json.find("\"program\":\"BLACK\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"CLOCK\":true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"effect\":\"MIX\""), std::string::npos) << json;
}

TEST_F(SwitcherTest, MacrosRunStepByStepAfterOneAnother) {
    std::vector<MacroStep> a = {{false, REMOTE_PUSH, "IN5", 0}, {true, 0, "", 500}, {false, REMOTE_ON, "LOGO1", 0}};
    std::vector<MacroStep> b = {{false, REMOTE_PUSH, "IN1", 0}};
    sw->Schedule(a);
    sw->Schedule(b);
    // The first step runs at the first look after the reply, the rest at their times.
    EXPECT_EQ(sw->State().program, kIn5);
    EXPECT_EQ(sw->State().macroSteps, 2u);
    clock.advance(499);
    EXPECT_FALSE(lit("LOGO1"));
    clock.advance(1);
    EXPECT_TRUE(lit("LOGO1"));
    EXPECT_EQ(sw->State().program, kIn1);  // the second macro waited for the first
    EXPECT_EQ(sw->State().macroSteps, 0u);
    EXPECT_EQ(sw->State().preview, kIn2);
}

TEST_F(SwitcherTest, SeizeAndRestoreLeaveTheSwitcherAsItWas) {
    // The program's hand-back, step by step as CRemoteCmd sends it, from several starting points.
    struct Start {
        bool fast, styleAuto, logo;
        int effect;
    };
    for (const Start st : {Start{false, false, true, 0}, Start{false, true, false, 3}, Start{true, false, true, 8},
                           Start{true, true, false, 1}}) {
        setup = {};
        setup.fast = st.fast;
        setup.styleAuto = st.styleAuto;
        setup.effect = st.effect;
        if (st.logo) setup.lamps = {"LOGO1"};
        setup.program = kIn1;
        setup.preview = kIn2;
        make();
        const std::string before = sw->StateJson();
        // Seize(logoOff)
        sw->Apply(REMOTE_PUSH, "BREAK");
        sw->Apply(REMOTE_OFF, "TRANSP");
        const bool logo = lit("LOGO1");
        if (logo) sw->Apply(REMOTE_PUSH, "LOGO1");
        const bool fast = lit("FAST"), cut = lit("CUT");
        if (!fast) {
            sw->Apply(REMOTE_PUSH, "FAST");
            clock.advance(200);
            ASSERT_TRUE(lit("FAST"));
        }
        // The playlist's buttons.
        sw->Apply(REMOTE_PUSH, "IN5");
        sw->Apply(REMOTE_PUSH, "EFFECT2");
        sw->Apply(REMOTE_ON, "FREEZE");
        sw->Apply(REMOTE_PUSH, "IN7");
        // Restore(true, -1)
        sw->Apply(REMOTE_OFF, "FREEZE");
        sw->Apply(REMOTE_PUSH, "CUT");
        sw->Apply(REMOTE_PUSH, "IN1");
        sw->Apply(REMOTE_PUSH, kRemoteEffects[st.effect]);
        if (logo) sw->Apply(REMOTE_PUSH, "LOGO1");
        sw->Apply(REMOTE_PUSH, !fast ? "FAST" : cut ? "CUT" : "AUTO");
        sw->Apply(REMOTE_PUSH, "IN1");
        clock.advance(5000);
        EXPECT_EQ(sw->StateJson(), before) << st.fast << st.styleAuto << st.logo << st.effect;
        EXPECT_NE(sw->State().program, kIn5);
    }
}

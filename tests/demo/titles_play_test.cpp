// Live mode's model on the embedded virtual Device in scaled time: a demo title filled with two
// texts goes on air with them in its frames, then a sequence chosen from the tree plays.
#include <gtest/gtest.h>

#include "air/air_session.h"
#include "air/titr_model.h"
#include "demo/demo_titles.h"
#include "playout_fixture.h"

using demotest::DemoPlayout;
using demotest::Grab;

namespace {

struct TitlesPlay : DemoPlayout {
    // Of the pixels the compiled title draws near white inside rect, the share that is near
    // white on the program output.
    static double shown(const pages::CBitmap32& title, const pages::CBitmap32& out, const pages::Rect& r) {
        int drawn = 0, seen = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const uint8_t* t = title.pixel(x, y);
                if (t[pages::PIX_RED] < 220 || t[pages::PIX_GREEN] < 220 || t[pages::PIX_BLUE] < 220) continue;
                ++drawn;
                const uint8_t* o = out.pixel(x, y);
                seen += o[pages::PIX_RED] > 160 && o[pages::PIX_GREEN] > 160 && o[pages::PIX_BLUE] > 160;
            }
        return drawn > 50 ? double(seen) / drawn : 0;
    }
};

}  // namespace

TEST_F(TitlesPlay, DemoTitleWithTwoTextsThenASequenceFromTheTree) {
    air::CAirSession session(app, engine, fonts, loop);
    air::CAirFrame& frame = session.frame();
    air::CTitrModel model(app, fonts, frame, {}, clock);
    session.Open();
    ASSERT_TRUE(session.RunUntil([&] { return frame.CanStart(); }, 20000));

    const std::string title = dir.file(demo::kNameAndRoleTitle);
    const air::TitlesNode* node = air::FindTitlesNode(model.tree(), title);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(model.Select(*node), air::CTitrModel::SELECT_LOADED);
    ASSERT_EQ(model.titleFields().size(), 2u);
    model.setFieldText(0, "WWWWWW WWWW");
    model.setFieldText(1, "MMMM MMMM");
    ASSERT_TRUE(model.Render());
    ASSERT_TRUE(session.RunUntil([&] { return frame.State().state == air::AIR_CUED; }, 20000));
    frame.OnPlay();
    // Past the in-effect, the title is on air.
    ASSERT_TRUE(session.RunUntil([&] { return frame.IsOnAir() && frame.State().state != air::AIR_IN_EFFECT; }, 20000));
    session.RunUntil([] { return false; }, 200);
    pages::CBitmap32 out;
    ASSERT_TRUE(Grab(out));
    const pages::CBitmap32& picture = model.titleImage().picture;
    const pages::CPageFrame* name = model.titlePage().frame(model.titleFields()[0].frame);
    const pages::CPageFrame* role = model.titlePage().frame(model.titleFields()[1].frame);
    EXPECT_EQ(name->PlainText(), "WWWWWW WWWW");
    EXPECT_GT(shown(picture, out, name->rect), 0.8);
    EXPECT_GT(shown(picture, out, role->rect), 0.8);
    const std::string log = zxtest::ReadText(dir.file("airlog.txt"));
    EXPECT_NE(
        log.find(std::string(22, ' ') + "-> Titles/Name and role.zxg -> [Name]:[WWWWWW WWWW],[Role]:[MMMM MMMM]\r\n"),
        std::string::npos)
        << log;

    frame.OnStop();
    ASSERT_TRUE(session.RunUntil([&] { return frame.CanStart() && !frame.IsOnAir(); }, 20000));
    const air::TitlesNode* seq = air::FindTitlesNode(model.tree(), dir.file(demo::kNewsSequence));
    ASSERT_NE(seq, nullptr);
    ASSERT_EQ(model.Select(*seq), air::CTitrModel::SELECT_LOADED);
    ASSERT_FALSE(model.Rows().empty());
    model.SetLoop(false);
    ASSERT_TRUE(model.Render());
    EXPECT_EQ(frame.playedSequence(), &model.sequence());
    EXPECT_TRUE(session.sequence().items.empty());  // the shared sequence stays as it was
    ASSERT_TRUE(session.RunUntil([&] { return frame.State().state == air::AIR_CUED; }, 20000));
    frame.OnPlay();
    EXPECT_TRUE(session.RunUntil([&] { return frame.IsOnAir() && frame.State().state != air::AIR_IN_EFFECT; }, 20000));
    EXPECT_TRUE(frame.State().kind & air::KIND_PAGE);
    EXPECT_FALSE(frame.State().kind & air::KIND_SINGLE);
    frame.OnStop();
    session.RunUntil([&] { return frame.State().state == air::AIR_CUED; }, 20000);
}

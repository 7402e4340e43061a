#include <gtest/gtest.h>

#include <vector>

#include "air/effect_dialog_model.h"

using namespace air;
using Model = CEffectDialogModel;
using Choice = Model::TimeChoice;

namespace {

PageMotion still() { return PageMotion{}; }

PageMotion scrolling(int strip = 500, int width = 700) {
    PageMotion m;
    m.movingType = 1;
    m.flags = PageMotion::FLAG_MOVING;
    m.stripLength = strip;
    m.right = width;
    m.bottom = 40;
    return m;
}

TEST(EffectDialogModel, ControlsOfferedByTheEffectType) {
    ShowParams p;
    PageMotion page = still();
    Model m(p, &page, true, false);
    // Type 0: no speed, no moving boxes.
    EXPECT_FALSE(m.enabled(Model::IN_SPEED));
    EXPECT_FALSE(m.enabled(Model::IN_NEW_MOVES));
    EXPECT_FALSE(m.enabled(Model::IN_OLD_MOVES));
    EXPECT_TRUE(m.enabled(Model::IN_BORDER));
    EXPECT_TRUE(m.enabled(Model::IN_FADE));

    struct Case {
        int type;
        bool newMoves, oldMoves;
    };
    for (Case c : {Case{1, true, true}, Case{4, true, true}, Case{5, false, false}, Case{10, false, false},
                   Case{11, true, false}, Case{14, true, false}, Case{15, false, true}, Case{18, false, true}}) {
        m.setInType(c.type);
        m.setOutType(c.type);
        EXPECT_TRUE(m.enabled(Model::IN_SPEED)) << c.type;
        EXPECT_EQ(m.enabled(Model::IN_NEW_MOVES), c.newMoves) << c.type;
        EXPECT_EQ(m.enabled(Model::IN_OLD_MOVES), c.oldMoves) << c.type;
        EXPECT_TRUE(m.enabled(Model::OUT_SPEED)) << c.type;
        EXPECT_EQ(m.enabled(Model::OUT_MOVES), c.oldMoves) << c.type;  // "Page is moving" = old page
    }
    m.setInType(19);  // not offered by the list
    EXPECT_EQ(m.value(SP_IN_TYPE), 18);
}

TEST(EffectDialogModel, GroupsTheCallerSwitchesOff) {
    ShowParams p;
    p.outType = 1;
    PageMotion page = still();
    Model m(p, &page, false, false);
    for (auto c : {Model::OUT_TYPE, Model::OUT_SPEED, Model::OUT_BORDER, Model::OUT_FADE, Model::OUT_MOVES,
                   Model::SCROLL_SPEED, Model::STOP_SCROLLING, Model::VARIABLE_TIME, Model::PLUS_TIME})
        EXPECT_FALSE(m.enabled(c)) << c;
    EXPECT_TRUE(m.enabled(Model::SHOW_TIME));
    EXPECT_EQ(m.timeChoice(), Choice::Fixed);
    // A disabled group is not written back, whatever the controls hold.
    m.setOutType(5);
    m.setScrollSpeed(4);
    ShowParams r = m.apply(p);
    EXPECT_EQ(r.outType, 1);
    EXPECT_EQ(r.scrollSpeed, 0);
}

TEST(EffectDialogModel, VariableTimeShowsTheComputedTime) {
    ShowParams p;
    p.showTime = 7;
    PageMotion page = scrolling();  // 1200 px at step 1 → 24 s
    Model m(p, &page, true, true);
    EXPECT_EQ(m.timeChoice(), Choice::Variable);
    EXPECT_FALSE(m.enabled(Model::SHOW_TIME));
    EXPECT_TRUE(m.enabled(Model::PLUS_TIME));
    EXPECT_EQ(m.shownShowTime(), 24);
    m.setPlusTime(3);
    EXPECT_EQ(m.shownShowTime(), 27);
    m.setScrollSpeed(1);
    EXPECT_EQ(m.shownShowTime(), 15);
    m.setPlusTime(99);
    EXPECT_EQ(m.value(SP_PLUS_TIME), 60);

    ShowParams r = m.apply(p);
    EXPECT_EQ(r.timeMode, 0);
    EXPECT_EQ(r.plusTime, 60);
    EXPECT_EQ(r.scrollSpeed, 1);

    // Fixed time edits showTime; on OK plus goes and the time is at least what the page needs.
    m.setTimeChoice(Choice::Fixed);
    EXPECT_TRUE(m.enabled(Model::SHOW_TIME));
    EXPECT_FALSE(m.enabled(Model::PLUS_TIME));
    m.setShowTime(5);
    r = m.apply(p);
    EXPECT_EQ(r.timeMode, 1);
    EXPECT_EQ(r.plusTime, 0);
    EXPECT_EQ(r.showTime, 12);  // 1200 px at step 2
    m.setShowTime(40);
    EXPECT_EQ(m.apply(p).showTime, 40);
}

TEST(EffectDialogModel, OpeningRaisesAShortShowTime) {
    ShowParams p;
    p.showTime = 3;
    p.inType = 1;  // 14.4 s at speed 0
    PageMotion page = still();
    Model m(p, &page, false, false);
    EXPECT_EQ(m.timeChoice(), Choice::Fixed);
    EXPECT_EQ(m.shownShowTime(), 15);
    // A fixed time on a scrolling page is raised to what the scroll needs; the box can hold it.
    ShowParams q;
    q.timeMode = 1;
    q.showTime = 10;
    PageMotion longScroll = scrolling(7000, 700);  // 7700 px → 154 s
    Model n(q, &longScroll, true, true);
    EXPECT_EQ(n.timeChoice(), Choice::Fixed);
    EXPECT_EQ(n.shownShowTime(), 154);
    EXPECT_EQ(n.showTimeMaximum(), 154);
    // Without a page nothing is raised; the range is the dialog's.
    Model d(p, nullptr, true, false);
    EXPECT_EQ(d.shownShowTime(), 3);
    d.setShowTime(500);
    EXPECT_EQ(d.value(SP_SHOW_TIME), 120);
    d.setShowTime(0);
    EXPECT_EQ(d.value(SP_SHOW_TIME), 1);
}

TEST(EffectDialogModel, DefaultRecordWithoutAPage) {
    ShowParams p;  // timeMode 0: scrolling pages follow their scroll
    Model m(p, nullptr, true, true);
    EXPECT_EQ(m.timeChoice(), Choice::Variable);
    EXPECT_EQ(m.shownShowTime(), kUndetermined);  // no page to compute
    m.setTimeChoice(Choice::Fixed);
    m.setShowTime(8);
    ShowParams r = m.apply(p);
    EXPECT_EQ(r.timeMode, 1);
    EXPECT_EQ(r.showTime, 8);
}

TEST(EffectDialogModel, DamagedRecordsShowInRange) {
    ShowParams bad;
    bad.inType = 44;
    bad.inSpeed = 300;
    bad.outBorder = -5;
    bad.scrollSpeed = 12;
    bad.inFade = 7;
    Model b(bad, nullptr, true, true);
    EXPECT_EQ(b.value(SP_IN_TYPE), 0);
    EXPECT_EQ(b.value(SP_IN_SPEED), 19);
    EXPECT_EQ(b.value(SP_OUT_BORDER), 0);
    EXPECT_EQ(b.value(SP_SCROLL_SPEED), 6);
    EXPECT_EQ(b.value(SP_IN_FADE), 1);
}

TEST(EffectDialogModel, UndeterminedFieldsAndGroups) {
    ShowParams p;
    p.stopScrolling = kUndetermined;
    p.inSpeed = kUndetermined;  // one field makes the whole in-effect group undetermined
    p.inType = 3;
    p.outType = 2;
    Model m(p, nullptr, true, true);
    EXPECT_EQ(m.value(SP_STOP_SCROLLING), kUndetermined);
    for (int f : {SP_IN_TYPE, SP_IN_SPEED, SP_IN_BORDER, SP_IN_FADE, SP_IN_NEW_MOVES, SP_IN_OLD_MOVES})
        EXPECT_EQ(m.value(f), kUndetermined) << f;
    EXPECT_EQ(m.value(SP_OUT_TYPE), 2);
    EXPECT_EQ(m.inDurationText(), "");
    EXPECT_EQ(m.outDurationText(), "14.4");

    ShowParams r = m.result();
    EXPECT_EQ(r.stopScrolling, kUndetermined);
    EXPECT_EQ(r.inType, kUndetermined);
    EXPECT_EQ(r.outType, 2);

    // Touching one control settles the whole group with what the controls show.
    m.setInFade(true);
    EXPECT_EQ(m.value(SP_IN_TYPE), 3);
    EXPECT_EQ(m.value(SP_IN_SPEED), 0);
    EXPECT_EQ(m.value(SP_IN_FADE), 1);
    m.setStopScrolling(true);
    EXPECT_EQ(m.result().stopScrolling, 1);
}

TEST(EffectDialogModel, SeveralPagesStartUndeterminedWhereTheyDiffer) {
    ShowParams a, b, c;
    a.inType = 1;
    b.inType = 2;
    c.inType = 1;
    a.inSpeed = b.inSpeed = c.inSpeed = 19;  // 0.72 s
    for (ShowParams* p : {&a, &b, &c}) {
        p->outType = 4;
        p->outFade = 1;
    }
    a.scrollSpeed = 2;  // a and c scroll; b's scroll speed does not count
    b.scrollSpeed = 5;
    c.scrollSpeed = 2;
    a.timeMode = c.timeMode = 0;  // both variable
    a.plusTime = 4;
    c.plusTime = 6;
    b.showTime = 9;
    std::vector<ShowParams> items{a, b, c};
    std::vector<PageMotion> pages{scrolling(), still(), scrolling(100, 100)};
    Model m = Model::ForPages(items, pages, true);

    EXPECT_TRUE(m.severalPages());
    EXPECT_TRUE(m.scrollApplies());
    EXPECT_EQ(m.value(SP_IN_TYPE), kUndetermined);
    EXPECT_EQ(m.value(SP_OUT_TYPE), 4);
    EXPECT_EQ(m.value(SP_SCROLL_SPEED), 2);
    EXPECT_EQ(m.timeChoice(), Choice::Undetermined);  // b is fixed, a and c variable
    EXPECT_EQ(m.value(SP_SHOW_TIME), 9);              // compared among fixed pages only
    EXPECT_EQ(m.value(SP_PLUS_TIME), kUndetermined);  // 4 against 6
    EXPECT_FALSE(m.enabled(Model::SHOW_TIME));
    EXPECT_FALSE(m.enabled(Model::PLUS_TIME));

    // OK without touching anything changes nothing.
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(m.apply(items[i], &pages[i]), items[i]) << i;

    // A determined out group and a fixed time reach every page; each page gets its own time.
    m.setOutSpeed(3);
    m.setTimeChoice(Choice::Fixed);
    m.setShowTime(5);
    ShowParams ra = m.apply(a, &pages[0]);
    ShowParams rb = m.apply(b, &pages[1]);
    ShowParams rc = m.apply(c, &pages[2]);
    EXPECT_EQ(ra.inType, 1);  // undetermined in-group: each keeps its own
    EXPECT_EQ(rb.inType, 2);
    EXPECT_EQ(ra.outSpeed, 3);
    EXPECT_EQ(rb.outSpeed, 3);
    EXPECT_EQ(ra.timeMode, 1);
    EXPECT_EQ(rb.timeMode, 0);
    EXPECT_EQ(ra.plusTime, 0);
    EXPECT_EQ(ra.showTime, 9);  // in-effect and scroll need 8.72 s
    EXPECT_EQ(ra.scrollSpeed, 2);
    EXPECT_EQ(rb.scrollSpeed, 5);  // scroll settings reach only scrolling pages
    EXPECT_EQ(rb.showTime, 5);
    EXPECT_EQ(rc.showTime, 5);  // 200 px → 4 s, so 5 s holds

    // A variable time touches only the scrolling pages.
    m.setTimeChoice(Choice::Variable);
    m.setPlusTime(2);
    EXPECT_EQ(m.apply(b, &pages[1]).showTime, 9);
    EXPECT_EQ(m.apply(b, &pages[1]).timeMode, b.timeMode);
    EXPECT_EQ(m.apply(c, &pages[2]).plusTime, 2);
    EXPECT_EQ(m.apply(c, &pages[2]).timeMode, 0);
}

TEST(EffectDialogModel, OnePageOfASelectionIsOrdinary) {
    ShowParams a;
    a.showTime = 3;
    a.inType = 1;
    std::vector<ShowParams> items{a};
    std::vector<PageMotion> pages{still()};
    Model m = Model::ForPages(items, pages, false);
    EXPECT_FALSE(m.severalPages());
    EXPECT_EQ(m.shownShowTime(), 15);
    EXPECT_FALSE(m.scrollApplies());
    Model none = Model::ForPages({}, {}, false);
    EXPECT_EQ(none.value(SP_SHOW_TIME), 10);
}

}  // namespace

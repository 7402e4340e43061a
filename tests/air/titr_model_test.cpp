// Live mode's model: selecting, filling in and playing titles, sequences, clocks, banners and
// video playlists on the air frame in simulated time, the sequence list, and the settings.
#include <gtest/gtest.h>

#include <cstdio>

#include "titr_test_util.h"

using namespace air;
using namespace airtest;

namespace {

struct TitrModelTest : TitrFixture {};

struct TitrMpeg : TitrFixture {
    std::string extraSettings() const override { return "[Hardware]\nMPEG=2\n"; }
};

const std::vector<TitleFrame> kNameAndRole = {{"bar", "", true}, {"Name", "JOHN SMITH"}, {"Role", "REPORTER"}};

}  // namespace

TEST_F(TitrModelTest, TitleFieldsFromTheUnlockedFramesAndRenderPlaysTheFilledTitle) {
    const std::string title = makeTitle("Name and role", kNameAndRole, 9);
    openModel();
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(model->selectedKind(), TITR_TITLE);
    EXPECT_EQ(model->selectedName(), "Name and role");
    ASSERT_EQ(model->titleFields().size(), 2u);
    EXPECT_EQ(model->titleFields()[0].label, "Name");
    EXPECT_EQ(model->titleFields()[0].frame, 1);
    EXPECT_EQ(model->titleFields()[0].text, "JOHN SMITH");
    EXPECT_EQ(model->titleFields()[1].label, "Role");
    EXPECT_EQ(model->titleParams().showTime, 9);
    EXPECT_FALSE(model->preview().empty());
    EXPECT_TRUE(model->CanRender());

    model->setFieldText(0, "  ANNA BELL \t");
    model->setFieldText(1, "EDITOR");
    const size_t before = engine.cmds.size();
    ASSERT_TRUE(model->Render());
    // The texts went into their frames, trimmed, and the compiled page was handed over.
    EXPECT_EQ(model->titlePage().frame(1)->PlainText(), "ANNA BELL");
    EXPECT_EQ(model->titlePage().frame(2)->PlainText(), "EDITOR");
    ASSERT_GT(engine.cmds.size(), before);
    EXPECT_EQ(engine.last().code, device::CMD_LOAD_RECT);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->showParams().showTime, 9);
    EXPECT_EQ(frame->State().pageName, dir.file("Pages/Name and role.zxg"));
    // The air-log line, byte for byte.
    EXPECT_EQ(airLog(), std::string(22, ' ') + "-> Name and role.zxg -> [Name]:[ANNA BELL],[Role]:[EDITOR]\r\n");
    // The editor's sequence was not touched.
    EXPECT_TRUE(seq->items.empty());
}

TEST_F(TitrModelTest, SixUnlockedFramesGiveFourFieldsAndTheCacheKeepsTheTexts) {
    const std::string title =
        makeTitle("Score", {{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}, {"F", "6"}});
    const std::string other = makeTitle("Other", kNameAndRole);
    openModel();
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    ASSERT_EQ(model->titleFields().size(), 4u);
    EXPECT_EQ(model->titleFields()[3].label, "D");
    model->setFieldText(0, "HOME");
    model->setFieldText(2, "AWAY");
    ASSERT_TRUE(model->Render());
    finish();
    // Another title, then the first again: its fields show what was played.
    ASSERT_EQ(select(other), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(model->titleFields()[0].text, "JOHN SMITH");
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(model->titleFields()[0].text, "HOME");
    EXPECT_EQ(model->titleFields()[1].text, "2");
    EXPECT_EQ(model->titleFields()[2].text, "AWAY");
    EXPECT_EQ(model->cache().size(), 1u);
    // Typed but not played: not cached.
    model->setFieldText(0, "DRAFT");
    ASSERT_EQ(select(other), CTitrModel::SELECT_LOADED);
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(model->titleFields()[0].text, "HOME");
}

TEST_F(TitrModelTest, SummaryLinesJoinCrLfAndATitleWithoutFieldsWritesNoLine) {
    const std::string title = makeTitle("Two lines", {{"Text", "X"}});
    const std::string locked = makeTitle("Locked", {{"bar", "LOGO", true}});
    openModel();
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    model->setFieldText(0, "FIRST\r\nSECOND");
    ASSERT_TRUE(model->Render());
    EXPECT_EQ(model->titlePage().frame(0)->paragraphs.size(), 2u);
    EXPECT_EQ(airLog(), std::string(22, ' ') + "-> Two lines.zxg -> [Text]:[FIRST SECOND]\r\n");
    finish();
    ASSERT_EQ(select(locked), CTitrModel::SELECT_LOADED);
    EXPECT_TRUE(model->titleFields().empty());
    ASSERT_TRUE(model->Render());
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(airLog(), std::string(22, ' ') + "-> Two lines.zxg -> [Text]:[FIRST SECOND]\r\n");
}

TEST_F(TitrModelTest, FilteredTemplateCompilesWithTheFilterAndChecksumsCanBeLeftOut) {
    makeTemplate("f.zxg", {{"T", "A"}}, true);
    CSeqDoc s(app.folders(), clock);
    s.AppendPage(dir.file("Pages/f.zxg"), ShowParams{});
    ASSERT_EQ(s.SaveSequence(dir.file("Titr/f.zxs")), 0);
    openModel();
    ASSERT_EQ(select(dir.file("Titr/f.zxs")), CTitrModel::SELECT_LOADED);
    EXPECT_TRUE(model->titleFiltered());
    model->settings().noChecksums = true;
    ASSERT_TRUE(model->Render());
    EXPECT_TRUE(model->titleImage().summary.flags & pages::SUMMARY_FILTERED);
    const uint8_t* still = model->titleImage().still();
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(still[0] | still[1], 0);
}

TEST_F(TitrModelTest, EachLoadFailureShowsItsMessageAndLeavesNothingSelectedOrOnAir) {
    const std::string good = makeSequence("good", 2);
    // A file that is not a sequence.
    zxtest::WriteText(dir.file("Titr/broken.zxs"), "not a sequence at all, just text");
    // An empty title.
    CSeqDoc empty(app.folders(), clock);
    ASSERT_EQ(empty.SaveSequence(dir.file("Titr/empty.zxs")), 0);
    // A title whose template page is gone.
    const std::string gone = makeTitle("gone", kNameAndRole);
    std::remove(dir.file("Pages/gone.zxg").c_str());
    clockObject.loadResult = 0x103;
    zxtest::WriteText(dir.file("Clock/bad.zck"), "x");
    banner.openOk = false;
    zxtest::WriteText(dir.file("Banners/bad.zxa"), "x");
    openModel();

    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir.file("Titr/broken.zxs"), "Read error - invalid file format:"},
        {dir.file("Titr/empty.zxs"), "Sequence is empty!"},
        {gone, "Error opening file:"},
        {dir.file("Clock/bad.zck"), "Read error - invalid file format:"},
        {dir.file("Banners/bad.zxa"), "Read error - invalid file format:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(select(good), CTitrModel::SELECT_LOADED);
        ASSERT_FALSE(model->preview().empty());
        const int boxes0 = boxes.count();
        EXPECT_EQ(select(c.path), CTitrModel::SELECT_FAILED);
        EXPECT_EQ(boxes.count(), boxes0 + 1);
        EXPECT_NE(boxes.lastText().find(c.message), std::string::npos) << boxes.lastText();
        EXPECT_EQ(model->selectedKind(), TITR_NONE);
        EXPECT_TRUE(model->preview().empty());
        EXPECT_TRUE(model->titleFields().empty());
        EXPECT_FALSE(model->CanRender());
        EXPECT_FALSE(model->Render());
        EXPECT_EQ(state(), AIR_IDLE);
    }
}

TEST_F(TitrModelTest, WithoutFontsATitleCannotBeLoaded) {
    const std::string title = makeTitle("t", kNameAndRole);
    std::remove(dir.file("Fonts/Grid.bmf").c_str());
    fonts.Enumerate();
    openModel();
    EXPECT_EQ(select(title), CTitrModel::SELECT_FAILED);
    EXPECT_NE(boxes.lastText().find("There are no fonts in the fonts directory:\n\n" + dir.file("Fonts/")),
              std::string::npos)
        << boxes.lastText();
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONERROR);
}

TEST_F(TitrModelTest, AClockWhileASequenceIsOnAirIsRefusedAnotherTitleIsNot) {
    const std::string sequence = makeSequence("news", 2);
    const std::string title = makeTitle("t1", kNameAndRole);
    const std::string title2 = makeTitle("t2", kNameAndRole);
    zxtest::WriteText(dir.file("Clock/big.zck"), "x");
    openModel();
    ASSERT_EQ(select(sequence), CTitrModel::SELECT_LOADED);
    ASSERT_TRUE(model->Render());
    finish();
    frame->OnPlay();
    finish();
    ASSERT_TRUE(frame->IsOnAir());
    EXPECT_EQ(select(dir.file("Clock/big.zck")), CTitrModel::SELECT_REFUSED);
    EXPECT_EQ(model->selectedKind(), TITR_SEQUENCE);
    EXPECT_TRUE(frame->IsOnAir());
    frame->OnStop();
    while (state() != AIR_CUED && state() != AIR_IDLE) finish();

    // A title on air: another title may be selected, and rendered once the frame can start.
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    ASSERT_TRUE(model->Render());
    finish();
    frame->OnPlay();
    ASSERT_FALSE(frame->CanStart());  // the in-effect runs
    EXPECT_EQ(select(title2), CTitrModel::SELECT_LOADED);
    EXPECT_FALSE(model->CanRender());
    finish();
    ASSERT_TRUE(frame->IsOnAir());
    EXPECT_FALSE(model->CanRender());
    frame->OnStop();
    while (state() != AIR_CUED && state() != AIR_IDLE) finish();
    EXPECT_TRUE(model->CanRender());
}

TEST_F(TitrModelTest, FastModePlaysABannerAtOnceButNeverATitle) {
    const std::string title = makeTitle("t", kNameAndRole);
    zxtest::WriteText(dir.file("Banners/live.zxa"), "x");
    zxtest::WriteText(dir.file("Clock/c.zck"), "x");
    openModel();
    model->setFastLoad(true);
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(state(), AIR_IDLE);
    ASSERT_EQ(select(dir.file("Banners/live.zxa")), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(banner.opened, dir.file("Banners/live.zxa"));
    EXPECT_EQ(frame->State().kind, KIND_BANNER);
    EXPECT_NE(state(), AIR_IDLE);
    // A clock after a banner: the frame is cleared first, then the clock is loaded for air.
    finish();
    ASSERT_EQ(select(dir.file("Clock/c.zck")), CTitrModel::SELECT_LOADED);
    ASSERT_EQ(clockObject.loads.size(), 1u);
    EXPECT_EQ(frame->State().kind, KIND_CLOCK);
}

TEST_F(TitrModelTest, BannerLoopFromTheFileAndTheBox) {
    zxtest::WriteText(dir.file("Banners/b.zxa"), "x");
    openModel();
    ASSERT_EQ(select(dir.file("Banners/b.zxa")), CTitrModel::SELECT_LOADED);
    EXPECT_FALSE(model->loop());
    model->SetLoop(true);
    ASSERT_TRUE(model->Render());
    EXPECT_TRUE(banner.loop);
}

TEST_F(TitrModelTest, SequenceListChecksNumbersMovesAndPlaysARowAlone) {
    const std::string path = makeSequence("list", 4, true);
    openModel();
    ASSERT_EQ(select(path), CTitrModel::SELECT_LOADED);
    EXPECT_TRUE(model->loop());
    std::vector<TitrRow> rows = model->Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].check, "1");
    EXPECT_EQ(rows[3].check, "4");
    EXPECT_EQ(rows[1].time, "0:06");
    EXPECT_EQ(rows[1].page, "list1.zxg");
    EXPECT_EQ(rows[1].abstract, "page 1");
    // Unchecking the second renumbers the rest and clears what was cued.
    ASSERT_TRUE(model->Render());
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    model->ToggleCheck(1);
    EXPECT_EQ(state(), AIR_IDLE);
    rows = model->Rows();
    EXPECT_EQ(rows[1].check, "");
    EXPECT_EQ(rows[2].check, "2");
    EXPECT_EQ(model->sequence().checkedCount, 3);
    // Up and Down swap neighbours; at the ends nothing moves.
    EXPECT_EQ(model->MoveRow(0, -1), 0);
    EXPECT_EQ(model->MoveRow(3, 1), 3);
    EXPECT_EQ(model->MoveRow(2, -1), 1);
    EXPECT_EQ(model->Rows()[1].page, "list2.zxg");
    EXPECT_EQ(model->Rows()[2].page, "list1.zxg");
    // The list plays the model's sequence, not the editor's.
    ASSERT_TRUE(model->Render());
    EXPECT_EQ(frame->playedSequence(), &model->sequence());
    finish();
    EXPECT_EQ(model->OnAirNote(AIRNOTE_PREVIEW, intptr_t(&model->preview())), 0);
    // A double-click plays that row alone with its own show time.
    model->ToggleCheck(0);
    ASSERT_TRUE(model->PlayRow(3));
    finish();
    EXPECT_EQ(model->playedRow(), 3);
    EXPECT_EQ(frame->State().kind, KIND_PAGE | KIND_SINGLE);
    EXPECT_EQ(frame->showParams().showTime, 8);
    EXPECT_EQ(model->OnAirNote(AIRNOTE_PREVIEW, 0), 3);
    EXPECT_TRUE(model->onAirPreview().empty());
    EXPECT_TRUE(seq->items.empty());
}

TEST_F(TitrModelTest, SaveAsWritesTheListAndRebuildsTheTree) {
    const std::string path = makeSequence("orig", 3);
    openModel();
    ASSERT_EQ(select(path), CTitrModel::SELECT_LOADED);
    model->ToggleCheck(0);
    model->MoveRow(2, -1);
    const std::string saved = dir.file("Sequences/Sub/Copy.zxs");
    platform::MakeDirectories(dir.file("Sequences/Sub"));
    ASSERT_EQ(model->SaveSequenceAs(saved), 0);
    EXPECT_EQ(model->selectedName(), "Copy");
    EXPECT_EQ(model->selectedPath(), saved);
    ASSERT_NE(FindTitlesNode(model->tree(), saved), nullptr);
    CSeqDoc back(app.folders(), clock);
    ASSERT_EQ(back.LoadSequence(saved), 0);
    ASSERT_EQ(back.count(), 3);
    EXPECT_EQ(back.items[1].pageName, "orig2.zxg");
    // A folder that cannot be written: the message, and the tree stays.
    EXPECT_EQ(model->SaveSequenceAs(dir.file("Nowhere/x.zxs")), SEQ_SAVE_ERROR);
    EXPECT_NE(boxes.lastText().find("Error saving file:"), std::string::npos);
    EXPECT_EQ(model->selectedPath(), saved);
}

TEST_F(TitrModelTest, ASequenceWithoutCheckedItemsDoesNotStart) {
    const std::string path = makeSequence("one", 1);
    openModel();
    ASSERT_EQ(select(path), CTitrModel::SELECT_LOADED);
    model->ToggleCheck(0);
    EXPECT_FALSE(model->Render());
    EXPECT_EQ(state(), AIR_IDLE);
}

TEST_F(TitrMpeg, VideoPlaylistWarningsGoOnErrorsStopAndRenderHandsItToTheFrame) {
    zxtest::WriteText(dir.file("Video/show.vid"), "x");
    zxtest::WriteText(dir.file("Video/clip.mpg"), "x");
    openModel();
    std::vector<std::string> choices = model->RestoreChoices();
    ASSERT_EQ(choices.size(), 2u);  // the fake switcher names no sources
    EXPECT_EQ(choices[0], "On preview");
    EXPECT_EQ(choices[1], "Previous");

    videoPlaylist.loadResult = 0x103;
    EXPECT_EQ(select(dir.file("Video/show.vid")), CTitrModel::SELECT_FAILED);
    videoPlaylist.loadResult = 6;  // missing clips: a warning
    EXPECT_EQ(select(dir.file("Video/show.vid")), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONWARNING);
    model->setRestoreIndex(4);
    EXPECT_EQ(videoPlaylist.restore, 2);
    ASSERT_TRUE(model->Render());
    EXPECT_EQ(videoPlaylist.converts, 1);
    EXPECT_TRUE(frame->State().kind & KIND_VIDEO_PLAYLIST);
    // Edit: a change rebuilds and, in fast mode, plays again.
    videoPlaylist.editChanges = true;
    model->setFastLoad(true);
    frame->ClearAir();
    EXPECT_TRUE(model->EditPlaylist());
    EXPECT_EQ(videoPlaylist.converts, 2);

    frame->ClearAir();
    ASSERT_EQ(select(dir.file("Video/clip.mpg")), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(frame->State().kind, KIND_VIDEO);
}

TEST_F(TitrModelTest, ADroppedSequenceIsSelectedAndCuedAPageIsCuedAlone) {
    const std::string path = makeSequence("dropped", 2);
    TestPage tp;
    ASSERT_TRUE(WritePage(fonts, dir.file("Pages/alone.zxg"), tp));
    zxtest::WriteText(dir.file("Pages/bad.zxg"), "not a page");
    openModel();
    ASSERT_TRUE(model->CueFile(path));
    EXPECT_EQ(model->selectedKind(), TITR_SEQUENCE);
    EXPECT_EQ(model->selectedName(), "dropped");
    EXPECT_EQ(model->Rows().size(), 2u);
    EXPECT_EQ(frame->playedSequence(), &model->sequence());
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    ASSERT_TRUE(model->CueFile(dir.file("Pages/alone.zxg")));
    EXPECT_EQ(model->selectedKind(), TITR_NONE);
    EXPECT_EQ(frame->State().kind, KIND_PAGE | KIND_SINGLE);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_FALSE(model->CueFile(dir.file("Pages/bad.zxg")));
    EXPECT_NE(boxes.lastText().find("invalid file format"), std::string::npos);
    EXPECT_FALSE(model->CueFile(dir.file("Pages/notes.txt")));
    EXPECT_TRUE(seq->items.empty());
}

TEST_F(TitrModelTest, AClockShowsItsPreviewAndGoesOnAirLoadedForAir) {
    zxtest::WriteText(dir.file("Clock/studio.zck"), "x");
    openModel();
    ASSERT_EQ(select(dir.file("Clock/studio.zck")), CTitrModel::SELECT_LOADED);
    EXPECT_FALSE(model->preview().empty());
    EXPECT_TRUE(clockObject.loads.empty());  // a preview only: the clock on air is not touched
    ASSERT_TRUE(model->Render());
    ASSERT_EQ(clockObject.loads.size(), 1u);
    EXPECT_EQ(frame->State().kind, KIND_CLOCK);
    // Loading for air fails: the message, and nothing is started.
    frame->ClearAir();
    clockObject.loadResult = 0x101;
    const int boxes0 = boxes.count();
    EXPECT_FALSE(model->Render());
    EXPECT_EQ(boxes.count(), boxes0 + 1);
    EXPECT_EQ(frame->State().kind, 0);
}

TEST_F(TitrModelTest, MissingPagesWarnTheSequenceStillLoadsAndLoopFollowsTheBox) {
    const std::string path = makeSequence("holes", 3);
    std::remove(dir.file("Pages/holes1.zxg").c_str());
    openModel();
    ASSERT_EQ(select(path), CTitrModel::SELECT_LOADED);
    EXPECT_NE(boxes.lastText().find("Missing pages"), std::string::npos) << boxes.lastText();
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONWARNING);
    const std::vector<TitrRow> rows = model->Rows();
    EXPECT_EQ(rows[1].check, "");
    EXPECT_EQ(rows[2].check, "2");
    EXPECT_FALSE(model->loop());
    model->SetLoop(true);
    ASSERT_TRUE(model->Render());
    EXPECT_EQ(model->sequence().loop, 1);
    finish();
    // On air, the list row follows the frame's current item.
    frame->OnPlay();
    finish();
    EXPECT_EQ(model->OnAirNote(AIRNOTE_PREVIEW, 0), frame->State().current);
    EXPECT_EQ(model->OnAirNote(AIRNOTE_STATE, 0), -1);
    model->SetLoop(false);
    EXPECT_EQ(model->sequence().loop, 0);
}

TEST_F(TitrModelTest, GroupsAndFoldersSelectNothingAndLeaveTheSelection) {
    const std::string title = makeTitle("t", kNameAndRole);
    openModel();
    ASSERT_EQ(select(title), CTitrModel::SELECT_LOADED);
    EXPECT_EQ(model->Select(model->tree()[1]), CTitrModel::SELECT_NOTHING);
    EXPECT_EQ(model->selectedKind(), TITR_TITLE);
    EXPECT_EQ(model->titleFields().size(), 2u);
}

TEST_F(TitrModelTest, BeforeTheLinkIsUpNothingCanBeSelected) {
    const std::string title = makeTitle("t", kNameAndRole);
    frame = std::make_unique<air::CAirFrame>(app, engine, loop, clock, titrObjects());
    frame->OpenAir(false);
    model = std::make_unique<CTitrModel>(app, fonts, *frame, titrObjects(), clock);
    EXPECT_EQ(select(title), CTitrModel::SELECT_REFUSED);
    EXPECT_FALSE(model->CanRender());
    EXPECT_FALSE(model->Render());
}

TEST_F(TitrModelTest, AModelGoingAwayTakesItsCuedListWithIt) {
    const std::string path = makeSequence("gone", 2);
    openModel();
    ASSERT_EQ(select(path), CTitrModel::SELECT_LOADED);
    ASSERT_TRUE(model->Render());
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    model.reset();
    // The frame reads the shared sequence again, and nothing of the freed one is cued.
    EXPECT_EQ(frame->playedSequence(), seq.get());
    EXPECT_EQ(frame->State().kind, 0);
    EXPECT_EQ(state(), AIR_IDLE);
    frame->UpdateListButtons();
}

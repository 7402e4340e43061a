#include <gtest/gtest.h>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/mode_manager.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "support/temp_dir.h"

using namespace app;

namespace {

using Log = std::vector<std::string>;

struct FakeEditor : EditorFrame {
    FakeEditor(int m, Log& l, bool& prepareOk, bool& closeOk)
        : mode(m), log(l), prepareOk(prepareOk), closeOk(closeOk) {}
    ~FakeEditor() override { log.push_back("editor" + std::to_string(mode) + " destroy"); }
    bool Prepare(const std::string& path) override {
        log.push_back("editor" + std::to_string(mode) + " prepare " + path);
        return prepareOk;
    }
    void Activate() override { log.push_back("editor" + std::to_string(mode) + " activate"); }
    bool CanClose() override { return closeOk; }
    int mode;
    Log& log;
    bool& prepareOk;
    bool& closeOk;
};

struct FakeAir : AirFrame {
    FakeAir(Log& l, bool& leaveOk, bool& viewOk) : log(l), leaveOk(leaveOk), viewOk(viewOk) {}
    ~FakeAir() override { log.push_back("air destroy"); }
    void SetTitle(const std::string& t) override { title = t; }
    void CreateView(int slot) override { log.push_back("create view " + std::to_string(slot)); }
    void DestroyView(int slot) override { log.push_back("destroy view " + std::to_string(slot)); }
    void ShowView(int slot) override { shown = slot; }
    bool ViewCanClose(int slot) override { return slot != VIEW_INTERACTIVE || viewOk; }
    void OpenAir(bool automation) override { log.push_back(automation ? "open air automation" : "open air"); }
    bool CanLeave() override { return leaveOk; }
    bool PlayPreview(bool sequence) override {
        log.push_back(sequence ? "play sequence" : "play page");
        return leaveOk;
    }
    Log& log;
    bool& leaveOk;
    bool& viewOk;
    std::string title;
    int shown = VIEW_NONE;
};

struct FakeHost : ModeHost {
    std::unique_ptr<EditorFrame> CreateEditorFrame(int mode) override {
        ++editorsMade;
        return std::make_unique<FakeEditor>(mode, log, prepareOk, closeOk);
    }
    std::unique_ptr<AirFrame> CreateAirFrame() override {
        ++airFramesMade;
        return std::make_unique<FakeAir>(log, leaveOk, viewOk);
    }
    void ShowToolbar(bool show) override { toolbar = show; }
    bool LaunchRemote(const std::string& folder) override {
        log.push_back("remote " + folder);
        return remoteOk;
    }
    void ShowRefusal(const std::string& text) override { refusals.push_back(text); }
    Log log;
    Log refusals;
    bool toolbar = true, prepareOk = true, closeOk = true, leaveOk = true, viewOk = true, remoteOk = true;
    int editorsMade = 0, airFramesMade = 0;
};

struct UpLink : DeviceLink {
    int open(LinkKind, int, int) override { return 0; }
    void close() override {}
};

constexpr int kLive = ID_MODE_FIRST + MODE_LIVE;
constexpr int kInteractive = ID_MODE_FIRST + MODE_INTERACTIVE;
constexpr int kAutomation = ID_MODE_FIRST + MODE_AUTOMATION;
constexpr int kPageEditor = ID_MODE_FIRST + MODE_PAGE_EDITOR;
constexpr int kSeqEditor = ID_MODE_FIRST + MODE_SEQUENCE_EDITOR;

class Modes : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEventLog();
        SetMessageBoxes(&boxes);
        zxtest::WriteText(home.file("Fonts/Arial 24.BMF"), "x");
    }
    void TearDown() override {
        modes.reset();
        SetMessageBoxes(nullptr);
    }
    // Starts the application on the folder, with or without a Device link.
    void start(bool link) {
        zxtest::WriteText(home.file("ZENTRIX.INI"), ini);
        a.InitSettingsOnly(CommandLine::Parse({"--home", home.path()}));
        if (link) a.setDeviceLink(&up);
        a.StartHardware();
        modes = std::make_unique<CModeManager>(host, a);
    }
    FakeAir* air() { return static_cast<FakeAir*>(modes->airFrame()); }
    bool has(const std::string& entry) { return std::find(host.log.begin(), host.log.end(), entry) != host.log.end(); }

    std::string ini = "[Start]\nRemote=0\n";
    zxtest::TempDir home;
    HeadlessMessageBoxes boxes;
    UpLink up;
    CZentrixApp a;
    FakeHost host;
    std::unique_ptr<CModeManager> modes;
};

TEST_F(Modes, WithoutDeviceLinkOnlyTheEditorsOpen) {
    start(false);
    EXPECT_EQ(a.modeMask(), MASK_EDITORS);
    for (int c = ID_MODE_FIRST; c <= ID_MODE_LAST; ++c) {
        EXPECT_EQ(modes->IsModeAllowed(c), c == kPageEditor || c == kSeqEditor) << c;
        if (c > kSeqEditor) {
            EXPECT_FALSE(modes->OpenMode(c)) << c;
        }
    }
    EXPECT_FALSE(modes->IsModeAllowed(ID_MODE_FIRST - 1));
    EXPECT_FALSE(modes->OpenMode(ID_MODE_LAST + 1));
    EXPECT_FALSE(modes->OpenPreviewPage());
    EXPECT_EQ(host.airFramesMade, 0);
    EXPECT_TRUE(host.toolbar);

    EXPECT_TRUE(modes->OpenMode(kPageEditor));
    EXPECT_TRUE(modes->OpenMode(kSeqEditor));
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR | OPEN_SEQUENCE_EDITOR);
    EXPECT_FALSE(host.toolbar);
    // Choosing an open editor again only activates it.
    host.log.clear();
    EXPECT_TRUE(modes->OpenMode(kPageEditor));
    EXPECT_EQ(host.log, Log{"editor0 activate"});
    EXPECT_EQ(host.editorsMade, 2);
    // A file for an open editor is loaded into it.
    EXPECT_TRUE(modes->OpenEditor(MODE_SEQUENCE_EDITOR, "/d/a.zxs"));
    EXPECT_TRUE(has("editor1 prepare /d/a.zxs"));
    EXPECT_TRUE(modes->CloseEditor(MODE_PAGE_EDITOR));
    EXPECT_FALSE(host.toolbar);  // the sequence editor is still open
    EXPECT_TRUE(modes->CloseEditor(MODE_SEQUENCE_EDITOR));
    EXPECT_TRUE(host.toolbar);
    EXPECT_EQ(modes->openFlags(), 0);
}

TEST_F(Modes, FontsAreCheckedBeforeTheModesThatNeedThem) {
    std::remove(home.file("Fonts/Arial 24.BMF").c_str());
    zxtest::WriteText(home.file("Fonts/readme.txt"), "not a font");
    start(true);
    EXPECT_FALSE(modes->OpenMode(kPageEditor));
    EXPECT_EQ(boxes.lastText(), FormatText(LoadString(14020), {home.path() + "Fonts/"}));
    EXPECT_EQ(boxes.lastStyle() & MB_ICONMASK, unsigned(MB_ICONERROR));
    EXPECT_FALSE(modes->OpenMode(kInteractive));
    EXPECT_FALSE(modes->OpenMode(ID_MODE_FIRST + MODE_CAPTIONS));
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(host.editorsMade + host.airFramesMade, 0);
    // The sequence editor and Live mode need no fonts.
    EXPECT_TRUE(modes->OpenMode(kSeqEditor));
    EXPECT_TRUE(modes->OpenMode(kLive));
    EXPECT_EQ(boxes.count(), 3);
    zxtest::WriteText(home.file("Fonts/News.bmf"), "x");
    EXPECT_TRUE(modes->OpenMode(kPageEditor));
}

TEST_F(Modes, LiveOverInteractiveReturnsToTheInteractiveView) {
    start(true);
    EXPECT_EQ(a.modeMask(), MASK_ONAIR);
    EXPECT_FALSE(modes->IsModeAllowed(ID_MODE_FIRST + MODE_SMS_CHAT));
    ASSERT_TRUE(modes->OpenMode(kInteractive));
    AirFrame* frame = modes->airFrame();
    EXPECT_EQ(air()->title, LoadString(16003));
    EXPECT_EQ(air()->shown, VIEW_INTERACTIVE);
    EXPECT_FALSE(host.toolbar);

    ASSERT_TRUE(modes->SwitchToLive());
    EXPECT_EQ(modes->airFrame(), frame);  // the same frame
    EXPECT_EQ(host.airFramesMade, 1);
    EXPECT_EQ(air()->title, LoadString(16002));
    EXPECT_EQ(air()->shown, VIEW_LIVE);
    EXPECT_EQ(modes->openFlags(), OPEN_INTERACTIVE | OPEN_LIVE);
    // The Interactive system from the menu shows its view again; Live from the menu goes back.
    EXPECT_TRUE(modes->OpenMode(kInteractive));
    EXPECT_EQ(air()->shown, VIEW_INTERACTIVE);
    EXPECT_TRUE(modes->OpenMode(kLive));
    EXPECT_EQ(air()->shown, VIEW_LIVE);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "create view 1"), 1);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "open air"), 1);  // the air controller stays connected

    ASSERT_TRUE(modes->CloseOnAirMode());
    EXPECT_EQ(modes->airFrame(), frame);
    EXPECT_TRUE(has("destroy view 1"));
    EXPECT_EQ(air()->title, LoadString(16003));
    EXPECT_EQ(air()->shown, VIEW_INTERACTIVE);
    EXPECT_EQ(modes->openFlags(), OPEN_INTERACTIVE);
    EXPECT_FALSE(modes->hasView(VIEW_LIVE));
    EXPECT_FALSE(host.toolbar);

    ASSERT_TRUE(modes->CloseOnAirMode());
    EXPECT_EQ(modes->airFrame(), nullptr);
    EXPECT_EQ(modes->openFlags(), 0);
    EXPECT_TRUE(host.toolbar);
    // Without the on-air frame, switching to Live opens Live mode normally.
    EXPECT_TRUE(modes->SwitchToLive());
    EXPECT_EQ(modes->openFlags(), OPEN_LIVE);
    EXPECT_EQ(host.airFramesMade, 2);
}

TEST_F(Modes, RefusedClosesLeaveEverythingAsItWas) {
    start(true);
    modes->OpenMode(kPageEditor);
    modes->OpenMode(kInteractive);
    modes->SwitchToLive();
    host.leaveOk = false;  // material on air
    host.log.clear();
    EXPECT_FALSE(modes->CloseOnAirMode());
    EXPECT_EQ(host.refusals, (Log{"Something is on air: stop it before closing the on-air window."}));
    EXPECT_FALSE(modes->CanCloseAll());
    // Closing the program is refused with a message box as well.
    EXPECT_EQ(host.refusals.back(), "Something is on air: stop it before closing Zentrix.");
    EXPECT_EQ(boxes.lastText(), "Something is on air: stop it before closing Zentrix.");
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR | OPEN_INTERACTIVE | OPEN_LIVE);
    EXPECT_EQ(air()->shown, VIEW_LIVE);
    EXPECT_EQ(air()->title, LoadString(16002));
    EXPECT_TRUE(host.log.empty());  // nothing destroyed, the editor not even asked
    // Another on-air mode cannot push a busy one aside.
    EXPECT_FALSE(modes->OpenMode(kAutomation));
    EXPECT_EQ(host.refusals.back(), "Something is on air: stop it before opening Automation mode.");
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR | OPEN_INTERACTIVE | OPEN_LIVE);

    // Live may go; the Interactive view then refuses.
    host.leaveOk = true;
    host.viewOk = false;
    const int boxesBefore = boxes.count();
    EXPECT_FALSE(modes->CanCloseAll());
    EXPECT_EQ(boxes.count(), boxesBefore);  // the view asked the operator itself
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR | OPEN_INTERACTIVE);
    EXPECT_EQ(air()->shown, VIEW_INTERACTIVE);
    EXPECT_FALSE(has("editor0 destroy"));

    // The editor refuses (its save question was cancelled).
    host.viewOk = true;
    host.closeOk = false;
    EXPECT_FALSE(modes->CanCloseAll());
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR);
    EXPECT_NE(modes->editorFrame(MODE_PAGE_EDITOR), nullptr);
    host.closeOk = true;
    EXPECT_TRUE(modes->CanCloseAll());
    EXPECT_EQ(modes->openFlags(), 0);
    EXPECT_FALSE(modes->anyFrame());
    EXPECT_TRUE(host.toolbar);
    EXPECT_TRUE(modes->CanCloseAll());  // nothing open: may end at once
}

TEST_F(Modes, CanCloseAllClosesLiveThenInteractiveThenEditors) {
    start(true);
    modes->OpenMode(kSeqEditor);
    modes->OpenMode(kInteractive);
    modes->SwitchToLive();
    host.log.clear();
    EXPECT_TRUE(modes->CanCloseAll());
    EXPECT_EQ(host.log, (Log{"destroy view 1", "air destroy", "editor1 destroy"}));
}

TEST_F(Modes, OneOnAirModeAtATime) {
    ini = "[Start]\nRemote=1\n";
    start(true);
    ASSERT_TRUE(modes->OpenMode(kLive));
    EXPECT_TRUE(has("open air"));
    EXPECT_TRUE(has("remote " + home.path()));  // no RemotePath: the data root
    host.log.clear();
    ASSERT_TRUE(modes->OpenMode(kAutomation));
    EXPECT_EQ(host.log, (Log{"air destroy", "create view 2", "open air automation", "remote " + home.path()}));
    EXPECT_EQ(modes->openFlags(), OPEN_AUTOMATION);
    EXPECT_EQ(air()->title, LoadString(16001));
    // Captions launch no remote control; a failed launch is reported.
    host.log.clear();
    modes->OpenMode(ID_MODE_FIRST + MODE_CAPTIONS);
    EXPECT_EQ(air()->title, LoadString(16004));
    EXPECT_FALSE(has("remote " + home.path()));
    host.remoteOk = false;
    modes->OpenMode(kLive);
    EXPECT_EQ(boxes.lastText(), LoadString(18002));
    EXPECT_EQ(modes->openFlags(), OPEN_LIVE);  // Live stays open all the same
}

TEST_F(Modes, PreviewFromTheEditors) {
    start(true);
    modes->OpenMode(kPageEditor);
    modes->OpenMode(kSeqEditor);
    host.log.clear();
    ASSERT_TRUE(modes->OpenPreviewSequence());
    EXPECT_EQ(host.log, (Log{"create view 0", "open air", "play sequence"}));
    EXPECT_EQ(air()->title, LoadString(11023));
    EXPECT_EQ(modes->openFlags() & OPEN_ONAIR, OPEN_PREVIEW);
    // A second preview plays in the same frame.
    EXPECT_TRUE(modes->OpenPreviewPage());
    EXPECT_EQ(host.airFramesMade, 1);
    EXPECT_TRUE(modes->OpenPreviewSequence());
    host.log.clear();
    // Closing returns to the editor the preview came from.
    ASSERT_TRUE(modes->CloseOnAirMode());
    EXPECT_EQ(host.log, (Log{"air destroy", "editor1 activate"}));
    // An idle on-air mode gives way to the preview, which plays at once.
    modes->OpenMode(kLive);
    host.log.clear();
    EXPECT_TRUE(modes->OpenPreviewPage());
    EXPECT_EQ(host.log, (Log{"air destroy", "create view 0", "open air", "play page"}));
    EXPECT_EQ(modes->openFlags() & OPEN_ONAIR, OPEN_PREVIEW);
    EXPECT_EQ(air()->shown, VIEW_PREVIEW);
    // A busy one does not, and the operator is told why.
    modes->CloseOnAirMode();
    modes->OpenMode(kLive);
    host.leaveOk = false;
    host.log.clear();
    EXPECT_FALSE(modes->OpenPreviewSequence());
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(modes->openFlags() & OPEN_ONAIR, OPEN_LIVE);
    EXPECT_EQ(air()->shown, VIEW_LIVE);
    EXPECT_EQ(host.refusals, (Log{"Something is on air: stop it before playing the sequence."}));
    host.leaveOk = true;
    // So does a preview whose frame is busy.
    modes->CloseOnAirMode();
    ASSERT_TRUE(modes->OpenPreviewPage());
    host.leaveOk = false;
    EXPECT_FALSE(modes->OpenPreviewPage());
    EXPECT_EQ(host.refusals.back(), "Something is on air: stop it before playing the page.");
    host.leaveOk = true;
    // Opening a mode leaves the preview.
    modes->CloseOnAirMode();
    modes->OpenPreviewPage();
    EXPECT_TRUE(modes->OpenMode(kAutomation));
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR | OPEN_SEQUENCE_EDITOR | OPEN_AUTOMATION);
}

TEST_F(Modes, RefusedPrepareOpensNothing) {
    start(false);
    host.prepareOk = false;
    EXPECT_FALSE(modes->OpenEditor(MODE_PAGE_EDITOR, "/d/bad.zxg"));
    EXPECT_EQ(host.log, (Log{"editor0 prepare /d/bad.zxg", "editor0 destroy"}));
    EXPECT_EQ(modes->openFlags(), 0);
    EXPECT_TRUE(host.toolbar);
    // A refused file for an open editor leaves it open with what it had.
    host.prepareOk = true;
    modes->OpenMode(kPageEditor);
    host.prepareOk = false;
    EXPECT_FALSE(modes->OpenEditor(MODE_PAGE_EDITOR, "/d/bad.zxg"));
    EXPECT_EQ(modes->openFlags(), OPEN_PAGE_EDITOR);
    EXPECT_NE(modes->editorFrame(MODE_PAGE_EDITOR), nullptr);
    EXPECT_FALSE(modes->OpenEditor(MODE_LIVE, "/d/x.zxs"));
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace app;

namespace {

Settings load(const std::string& ini, bool is400M = false) {
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("z.ini"), ini);
    Profile p(dir.file("z.ini"));
    return LoadSettings(p, is400M);
}

TEST(Settings, DefaultsAndClamps) {
    Settings d = load("");
    EXPECT_EQ(d.enable, 1);
    EXPECT_EQ(d.model, 1);
    EXPECT_EQ(d.mpegInput1, 7);
    EXPECT_EQ(d.baudRate, 6);
    EXPECT_EQ(d.remote, 1);
    EXPECT_EQ(d.codePage, 1251);
    // A model of 6 or more behaves as 0 (KTG210); an MPEG of 5 behaves as 2.
    Settings s = load("[Hardware]\nModel=6\nMPEG=5\n");
    EXPECT_EQ(s.model, 0);
    EXPECT_STREQ(s.deviceModel().name, "KTG210");
    EXPECT_EQ(s.mpeg, 2);
    EXPECT_EQ(load("[Hardware]\nMPEG=1\n").mpeg, 1);
    // Indexes into other lists never leave their lists.
    Settings bad = load("[Hardware]\nModel=-1\nBaudRate=12\nCIDLength=-4\nPortNo=7\n[Start]\nProgram=9\n");
    EXPECT_EQ(bad.model, 0);
    EXPECT_EQ(bad.baudRate, 6);
    EXPECT_EQ(bad.cidLength, 1);
    EXPECT_EQ(bad.portNo, 0);
    EXPECT_EQ(bad.program, 0);
}

TEST(Settings, SecondEditionOverrides) {
    Settings s = load("[Hardware]\nEnable=0\nModel=2\n", true);
    EXPECT_EQ(s.enable, 1);
    EXPECT_EQ(s.model, MODEL_KTG400M);
    EXPECT_EQ(s.remote, 0);  // default differs, but a stored value still counts
    EXPECT_EQ(load("[Start]\nRemote=1\n", true).remote, 1);
    EXPECT_TRUE(s.isStatusClass2());
    EXPECT_FALSE(s.usesLpt());
    EXPECT_EQ(CZentrixApp::IniFileName("/opt/zx", true), "/opt/zx/ZENTRIX_400M.INI");
    EXPECT_EQ(CZentrixApp::IniFileName("/opt/zx/", false), "/opt/zx/ZENTRIX.INI");
    EXPECT_STREQ(CZentrixApp::MutexName(true), "Zentrix15_400M");
}

TEST(DeviceModels, TableAndQueries) {
    const char* names[] = {"KTG210", "KTG210E", "KTG320", "KTG320E", "KTG330E", "KTG400M"};
    const int classes[] = {1, 1, 0, 0, 1, 2};
    const int bindings[] = {8, 8, 0, 0, 10, 0};
    for (int i = 0; i < kModelCount; ++i) {
        EXPECT_STREQ(kDeviceModels[i].name, names[i]);
        EXPECT_EQ(kDeviceModels[i].statusClass, classes[i]);
        EXPECT_EQ(kDeviceModels[i].bindings, bindings[i]);
        Settings s;
        s.model = i;
        EXPECT_EQ(s.usesLpt(), i == 0 || i == 2);
        EXPECT_EQ(s.isStatusClass2(), i == 5);
    }
}

TEST(Folders, LoadFromDataRootNetworkAndVideoPath) {
    Profile none;
    FolderTable t;
    t.setProgramFolder("/opt/zentrix");
    Settings s;
    t.load(none, s);
    EXPECT_EQ(t.entry(0), "/opt/zentrix/");
    EXPECT_EQ(t.entry(1), "/opt/zentrix/");
    EXPECT_EQ(t.entry(2), "/opt/zentrix/Fonts/");
    EXPECT_EQ(t.entry(4), "/opt/zentrix/Titr/");
    EXPECT_EQ(t.entry(13), "/opt/zentrix/Pictures/");
    s.useNetwork = 1;
    s.networkPath = "\\\\server\\share\\zentrix\\";  // as stored on Windows
    s.useNetVideo = 1;
    s.videoPath = "/mnt/video";
    t.load(none, s);
    EXPECT_EQ(t.entry(1), "//server/share/zentrix/");
    EXPECT_EQ(t.entry(5), "//server/share/zentrix/Pages/");
    EXPECT_EQ(t.entry(7), "/mnt/video/");
    EXPECT_EQ(t.entry(15), "//server/share/zentrix/Video/");  // last-used video folder stays under root
}

TEST(Folders, LastUsedFoldersSaveEmptyWhenDefaultAndRestore) {
    zxtest::TempDir dir;
    Profile ini(dir.file("z.ini"));
    FolderTable t;
    t.setProgramFolder(dir.path());
    Settings s;
    t.load(ini, s);
    t.SetLastPath(13, "/home/op/pics/logo.tga");
    t.SetLastPath(11, dir.path() + "PAGES/x.zxg");  // the default, spelled differently
    t.SetLastPath(10, "/elsewhere/b.zxa");          // index 10 and below: ignored
    EXPECT_EQ(t.entry(10), dir.path() + "Banners/");
    t.save(ini);
    EXPECT_EQ(ini.getString("Paths", "Path0", "?"), "");
    EXPECT_EQ(ini.getString("Paths", "Path2", "?"), "/home/op/pics/");
    EXPECT_EQ(ini.getString("Paths", "Path4", "?"), "");
    FolderTable u;
    u.setProgramFolder(dir.path());
    u.load(ini, s);
    EXPECT_EQ(u.entry(13), "/home/op/pics/");
    EXPECT_EQ(u.entry(12), dir.path() + "Sequences/");  // empty key: the default
}

TEST(Folders, PathHelpers) {
    FolderTable t;
    t.setProgramFolder("/data");
    Profile none;
    t.load(none, Settings{});
    EXPECT_EQ(t.GetPath(5, "news/", "a.zxg"), "/data/Pages/news/a.zxg");
    std::string out;
    EXPECT_EQ(t.MakeRelative(5, "/DATA/pages/news/a.zxg", out), 0);
    EXPECT_EQ(out, "news/a.zxg");
    EXPECT_EQ(t.MakeRelative(5, "/other/a.zxg", out), 1);
    EXPECT_EQ(out, "/other/a.zxg");
    EXPECT_EQ(t.MakeAbsolute(10, "sport\\goal.zxa", false), "/data/Banners/sport/goal.zxa");
    EXPECT_EQ(t.MakeAbsolute(10, "/x/goal.zxa", true), "/x/goal.zxa");
    EXPECT_EQ(t.MakeAbsolute(10, "", false), "");
}

// Where the settings go without --home: beside a program that runs from a folder of its own, in
// the user's data folder for an installed one (even when that one could write its bin folder, as
// root could), never below a relative XDG_DATA_HOME.
TEST(Folders, ProgramFolderOfABuildAndOfAnInstall) {
    zxtest::TempDir dir;
    const std::string build = dir.file("build/");
    const std::string bin = dir.file("usr/bin/");
    ASSERT_TRUE(platform::MakeDirectories(build));
    ASSERT_TRUE(platform::MakeDirectories(bin));
    ASSERT_TRUE(platform::MakeDirectories(dir.file("usr/share/zentrix")));
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";

    setenv("XDG_DATA_HOME", dir.file("xdg").c_str(), 1);
    EXPECT_EQ(app::ProgramFolderFor(build), build);
    EXPECT_EQ(app::InstalledDataFolderFor(build), "");
    EXPECT_EQ(app::ProgramFolderFor(bin), dir.file("xdg/zentrix/"));
    EXPECT_TRUE(platform::IsDirectory(dir.file("xdg/zentrix")));  // made at the first start
    EXPECT_EQ(app::InstalledDataFolderFor(bin), bin + "../share/zentrix/");

    setenv("XDG_DATA_HOME", "relative/xdg", 1);
    setenv("HOME", dir.file("home").c_str(), 1);
    EXPECT_EQ(app::ProgramFolderFor(bin), dir.file("home/.local/share/zentrix/"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(app::ProgramFolderFor(bin), dir.file("home/.local/share/zentrix/"));

    if (oldXdg) setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
}

TEST(FileTypes, LookupNamesAndFilters) {
    EXPECT_EQ(FileTypeOf("notes.TXT"), 3);  // the first match, never 16
    EXPECT_EQ(FileTypeOf("/a/b.zxg"), 5);
    EXPECT_EQ(FileTypeOf("C:\\Pages\\b.ZXS"), 6);
    EXPECT_EQ(FileTypeOf("readme"), -1);
    EXPECT_EQ(FileTypeOf("x.doc"), -1);
    EXPECT_STREQ(ExtensionOf(10), ".zxa");
    EXPECT_EQ(FileTypeName(5), "Page files");
    EXPECT_EQ(FileTypeName(16), "Remote control macros");
    EXPECT_EQ(FileTypeName(17), "");
    const int pics[4] = {1, 2, 0, -1};
    EXPECT_EQ(BuildFilter(pics, true),
              "All supported types |*.bmp;*.tga|BMP picture files (*.bmp)|*.bmp|TGA picture files (*.tga)|*.tga|"
              "All files (*.*)|*.*|");
    const int pages[4] = {5, -1, -1, -1};
    EXPECT_EQ(BuildFilter(pages, false), "Page files (*.zxg)|*.zxg|");
}

TEST(Strings, TableTextsAndFileResults) {
    EXPECT_EQ(LoadString(1001), "Zentrix requires at least Pentium processor to run!");
    EXPECT_EQ(LoadString(999999), "");
    EXPECT_EQ(FirstLine(LoadString(32976)), "Live mode");
    EXPECT_EQ(FormatText("a %1 b %2 %3", {"x", "y"}), "a x b y %3");
    // Result 0x103: "invalid format", error icon; 0x004 would be a warning.
    EXPECT_EQ(FileResultText(0x103, "/p/a.zxg"), "Read error - invalid file format:\n\n/p/a.zxg");
    EXPECT_EQ(FileResultStyle(0x103), unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(FileResultStyle(0x005), unsigned(MB_OK | MB_ICONWARNING));
    HeadlessMessageBoxes boxes;
    SetMessageBoxes(&boxes);
    EXPECT_EQ(ShowFileResult(0, "x"), IDOK);
    EXPECT_EQ(boxes.count(), 0);
    ShowFileResult(0x101, "/p/b.zxg");
    EXPECT_EQ(boxes.lastText(), "Error opening file:\n\n/p/b.zxg");
    EXPECT_EQ(MessageBoxId(15021, MB_YESNO | MB_ICONQUESTION), IDYES);
    boxes.setQuestionAnswer(IDNO);
    EXPECT_EQ(MessageBoxId(15021, MB_YESNO | MB_ICONQUESTION), IDNO);
    SetMessageBoxes(nullptr);
    // A translation overrides single texts and falls back for the rest.
    SetTranslator([](int id) -> const char* { return id == 16002 ? "Prямой эфир" : nullptr; });
    EXPECT_EQ(LoadString(16002), "Prямой эфир");
    EXPECT_EQ(LoadString(16001), "Automation mode");
    SetTranslator(nullptr);
}

// --- the application object --------------------------------------------------------------

class FakeLink : public DeviceLink {
public:
    int open(LinkKind link, int port, int cls) override {
        ++opens;
        lastLink = link, lastPort = port, lastClass = cls;
        return result;
    }
    void close() override { ++closes; }
    int result = 0, opens = 0, closes = 0;
    LinkKind lastLink = LINK_LPT;
    int lastPort = -1, lastClass = -1;
};

class RecordingShell : public AppShell {
public:
    void showSplash() override { steps.push_back("splash"); }
    void closeSplash() override { steps.push_back("closeSplash"); }
    bool createMainFrame() override {
        steps.push_back("mainFrame");
        return frameOk;
    }
    void openDocument(int type, const std::string& path) override {
        steps.push_back("open " + std::to_string(type) + " " + path);
    }
    void openHardwareDialog() override { steps.push_back("hardwareDialog"); }
    void openMode(int command) override { steps.push_back("mode " + std::to_string(command)); }
    void activateMainFrame() override { steps.push_back("activate"); }
    std::vector<std::string> steps;
    bool frameOk = true;
};

class AppStart : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEventLog();
        SetMessageBoxes(&boxes);
    }
    void TearDown() override {
        SetMessageBoxes(nullptr);
        ResetEventLog();
    }
    StartResult start(CZentrixApp& a, std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        a.setShell(&shell);
        a.setDeviceLink(&link);
        a.setLockFolder(locks.path());
        return a.InitInstance(CommandLine::Parse(args));
    }
    zxtest::TempDir home, locks;
    RecordingShell shell;
    FakeLink link;
    HeadlessMessageBoxes boxes;
};

TEST_F(AppStart, OrderLogAndFirstStart) {
    zxtest::WriteText(home.file("ZENTRIX.INI"), "[Debug]\nLog=1\nTimestamp=0\n[Start]\nFirst=1\n");
    CZentrixApp a;
    std::vector<std::string> calls;
    a.setHooks({[&] { calls.push_back("translation"); }, [&] { calls.push_back("fonts"); },
                [&] { calls.push_back("shared"); }, [&] { calls.push_back("destroy"); }});
    ASSERT_EQ(start(a, {}), StartResult::Started);
    // Log on: the splash closes at once; First read as 1 opens the hardware dialog once.
    EXPECT_EQ(shell.steps, (std::vector<std::string>{"splash", "closeSplash", "mainFrame", "hardwareDialog"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"translation", "fonts", "shared"}));
    EXPECT_EQ(a.profile().getInt("Start", "First", 9), 0);
    EXPECT_EQ(a.hardwareState(), HW_DEVICE);
    EXPECT_EQ(a.modeMask(), MASK_ONAIR);
    EXPECT_EQ(link.lastLink, LINK_ETHERNET);  // default model KTG210E
    EXPECT_EQ(link.lastClass, 1);
    a.ExitInstance();
    EXPECT_EQ(link.closes, 1);
    std::string log = zxtest::ReadText(home.file("logfile.txt"));
    EXPECT_EQ(log.rfind("SESSION START\r\nMemory size: ", 0), 0u) << log;
    EXPECT_NE(log.find("SESSION END\r\n"), std::string::npos);
    EXPECT_EQ(calls.back(), "destroy");
}

// A second start while the program runs (a double click on a file in a file manager) gives its
// file to the running program, which opens a page or a sequence in its editor and comes to the
// front; the second start itself still ends silently, having opened nothing.
TEST_F(AppStart, ASecondStartHandsItsFileToTheFirst) {
    platform::EventLoop loop;
    CZentrixApp a;
    platform::LoopTarget target(loop, [&a](uint32_t m, uintptr_t w, intptr_t l) { return a.OnHandOver(m, w, l); });
    a.setHandOverTarget(&target);
    ASSERT_EQ(start(a, {}), StartResult::Started);
    zxtest::WriteText(home.file("news.zxg"), "PAGE");
    zxtest::WriteText(home.file("clock.zck"), "ZCLK");
    shell.steps.clear();
    auto secondStart = [&](const std::string& file) {
        std::atomic<bool> done{false};
        RecordingShell otherShell;
        std::thread second([&] {
            CZentrixApp b;
            b.setShell(&otherShell);
            b.setLockFolder(locks.path());
            EXPECT_EQ(b.InitInstance(CommandLine::Parse({"--home", home.path(), file})), StartResult::SecondInstance);
            done = true;
        });
        EXPECT_TRUE(loop.runUntil([&] { return done.load(); }, 10000));
        second.join();
        EXPECT_TRUE(otherShell.steps.empty());
    };
    secondStart(home.file("news.zxg"));
    EXPECT_EQ(shell.steps, (std::vector<std::string>{"activate", "open 5 " + home.file("news.zxg")}));
    shell.steps.clear();
    secondStart(home.file("clock.zck"));  // not a file of an editor: only to the front
    secondStart(home.file("missing.zxs"));
    EXPECT_EQ(shell.steps, (std::vector<std::string>{"activate", "activate"}));
    a.ExitInstance();
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(AppStart, SecondInstanceEndsSilently) {
    CZentrixApp a;
    ASSERT_EQ(start(a, {}), StartResult::Started);
    RecordingShell otherShell;
    {
        CZentrixApp b;
        b.setShell(&otherShell);
        b.setLockFolder(locks.path());
        EXPECT_EQ(b.InitInstance(CommandLine::Parse({"--home", home.path()})), StartResult::SecondInstance);
        EXPECT_TRUE(otherShell.steps.empty());
        EXPECT_EQ(boxes.count(), 0);
        // The second edition may run beside the first.
        CZentrixApp c;
        c.setShell(&otherShell);
        c.setLockFolder(locks.path());
        EXPECT_EQ(c.InitInstance(CommandLine::Parse({"--home", home.path(), "/400M"})), StartResult::Started);
        EXPECT_EQ(c.settings().model, MODEL_KTG400M);
        EXPECT_TRUE(platform::FileExists(home.file("ZENTRIX_400M.INI")));
        c.ExitInstance();
    }
    a.ExitInstance();
}

TEST_F(AppStart, LinkFailureLeavesOnlyTheEditors) {
    zxtest::WriteText(home.file("ZENTRIX.INI"), "[Hardware]\nModel=0\nPortNo=2\nITV=1\nITVModel=2\nMPEG=1\n");
    link.result = 2;
    CZentrixApp a;
    ASSERT_EQ(start(a, {}), StartResult::Started);
    EXPECT_EQ(link.lastLink, LINK_LPT);
    EXPECT_EQ(link.lastPort, 2);
    EXPECT_EQ(boxes.lastText(), LoadString(4092));
    EXPECT_EQ(boxes.lastStyle() & MB_ICONMASK, unsigned(MB_ICONERROR));
    EXPECT_EQ(a.modeMask(), MASK_EDITORS);
    EXPECT_EQ(a.hardwareState(), HW_MPEG | HW_ITV);
    // With the link up and a GSM modem as interactive hardware, SMS Chat opens too.
    link.result = 0;
    a.StopHardware();
    a.StartHardware();
    EXPECT_EQ(a.modeMask(), MASK_ONAIR_SMS);
    a.ExitInstance();
}

TEST_F(AppStart, CommandLineFileDecidesTheFirstWindow) {
    zxtest::WriteText(home.file("ZENTRIX.INI"), "[Start]\nFirst=1\nNoAsk=1\nProgram=2\n");
    {
        CZentrixApp a;
        start(a, {home.file("Pages/news.ZXG")});
        EXPECT_EQ(shell.steps.back(), "open 5 " + home.file("Pages/news.ZXG"));
        a.ExitInstance();
    }
    shell.steps.clear();
    {
        // Any other type opens nothing and skips the first-run dialog and the start mode.
        CZentrixApp a;
        start(a, {home.file("logo.bmp")});
        EXPECT_EQ(shell.steps.back(), "mainFrame");
        a.ExitInstance();
    }
    shell.steps.clear();
    {
        CZentrixApp a;
        start(a, {});  // First was written back 0 by the first start: NoAsk opens Live mode
        EXPECT_EQ(shell.steps.back(), "mode 32976");
        a.ExitInstance();
    }
}

TEST_F(AppStart, MainFrameFailureEndsStartUp) {
    shell.frameOk = false;
    CZentrixApp a;
    EXPECT_EQ(start(a, {}), StartResult::MainFrameFailed);
    EXPECT_EQ(link.closes, 1);
}

TEST_F(AppStart, HardwareDialogWritesBackAndCyclesTheLink) {
    CZentrixApp a;
    start(a, {});
    Settings s = a.settings();
    s.model = 3;
    s.mpeg = 1;
    a.ApplyHardwareSettings(s);
    EXPECT_EQ(link.opens, 2);
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(a.profile().getInt("Hardware", "Model", -1), 3);
    EXPECT_EQ(link.lastClass, 0);
    EXPECT_EQ(a.hardwareState(), HW_DEVICE | HW_MPEG);
    a.ExitInstance();
}

}  // namespace

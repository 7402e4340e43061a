#include "zx-remote/remote_program.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "video/remote_buttons.h"
#include "zx-remote/control.h"

using namespace zxremote;
using namespace video;

namespace {

std::vector<uint8_t> Block(int first, const std::string& text) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(EncodeRemotePayload(first, text, b));
    return b;
}

class Program : public ::testing::Test {
protected:
    zxtest::TempDir home;
    platform::ManualClock clock;
    RemoteProgram program{clock, SwitcherSetup{}, home.path()};
};

}  // namespace

TEST_F(Program, CommandsAndTheirLog) {
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_COMMAND, Block(REMOTE_QUERY, "AIR_IN1")), 2);
    clock.advance(40);
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_COMMAND, Block(REMOTE_PUSH, "LOGO1")), 1);
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_COMMAND, Block(REMOTE_PUSH, "LOGO9")), 0);
    EXPECT_EQ(program.OnCopyData(7, Block(REMOTE_PUSH, "LOGO1")), 0);
    // A block of the wrong size or without its NUL is not read.
    std::vector<uint8_t> bad = Block(REMOTE_PUSH, "LOGO1");
    bad.push_back(0);
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_COMMAND, bad), 0);
    std::vector<LogEntry> log = program.Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1].timeMs, 40u);
    EXPECT_EQ(log[1].name, "LOGO1");
    EXPECT_EQ(log[1].reply, 1);
    EXPECT_EQ(log[4].note, "damaged block");
    EXPECT_NE(program.LogJson().find("{\"time_ms\":0,\"dwData\":1,\"action\":3,\"name\":\"AIR_IN1\",\"reply\":2}"),
              std::string::npos);
    // <Remote> off refuses everything, queries too.
    program.switcher().SetRemote(false);
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_COMMAND, Block(REMOTE_QUERY, "AIR_IN1")), 0);
    EXPECT_NE(program.StateJson().find("\"commands\":6,"), std::string::npos) << program.StateJson();
}

TEST_F(Program, MacroFilesRunAfterTheReply) {
    ASSERT_TRUE(zxtest::WriteText(home.file("Sequences/Bars on preview.txt"), "PUSH PREVIEW\nPUSH BARS\n"));
    // A path from a Windows machine, relative to the data root, in another letter case.
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_SCRIPT, Block(0, "sequences\\bars ON preview.txt")), 2);
    EXPECT_EQ(program.switcher().State().preview, 1);  // BARS
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_SCRIPT, Block(0, home.file("missing.txt"))), 0);
    ASSERT_TRUE(zxtest::WriteText(home.file("bad.txt"), "PUSH BARS\nJUMP\n"));
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_SCRIPT, Block(0, home.file("bad.txt"))), 0);
    EXPECT_EQ(program.Log().back().name, home.file("bad.txt"));
    EXPECT_EQ(program.Log().back().note, "line 2: \"JUMP\" takes one argument");
    ASSERT_TRUE(zxtest::WriteText(home.file("empty.txt"), "# nothing\n"));
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_SCRIPT, Block(0, home.file("empty.txt"))), 0);
    ASSERT_TRUE(zxtest::WriteText(home.file("huge.txt"), std::string(70000, '#')));
    EXPECT_EQ(program.OnCopyData(REMOTE_MSG_SCRIPT, Block(0, home.file("huge.txt"))), 0);
}

TEST_F(Program, TheControlInterface) {
    EXPECT_EQ(HandleControl(program, "press LOGO1").reply, "OK");
    EXPECT_EQ(program.switcher().Apply(REMOTE_QUERY, "LOGO1"), 2);
    EXPECT_EQ(HandleControl(program, "press NOSUCH").reply, "ERR no button \"NOSUCH\"");
    EXPECT_EQ(HandleControl(program, "remote off").reply, "OK");
    EXPECT_FALSE(program.switcher().RemoteOn());
    EXPECT_EQ(HandleControl(program, "remote maybe").reply, "ERR remote takes on or off");
    EXPECT_EQ(HandleControl(program, "  hang   on ").reply, "OK");
    EXPECT_TRUE(program.Hung());
    EXPECT_EQ(HandleControl(program, "hang off").reply, "OK");
    EXPECT_EQ(HandleControl(program, "fast-delay never").reply, "OK");
    EXPECT_EQ(program.switcher().State().fastDelayMs, -1);
    EXPECT_EQ(HandleControl(program, "fast-delay 20").reply, "OK");
    EXPECT_EQ(HandleControl(program, "fast-delay soon").reply.rfind("ERR", 0), 0u);
    EXPECT_EQ(HandleControl(program, "state").reply.rfind("OK {\"remote\":false,", 0), 0u);
    EXPECT_EQ(HandleControl(program, "log").reply, "OK []");
    EXPECT_TRUE(HandleControl(program, "quit").quit);
    EXPECT_TRUE(HandleControl(program, "vanish").vanish);
    EXPECT_EQ(HandleControl(program, "dance").reply.rfind("ERR unknown command", 0), 0u);

    // Over its socket, one line after the other on one connection or many.
    ControlServer server;
    std::string error, reply;
    bool quit = false;
    ASSERT_TRUE(server.Start(
        home.file("ctl.sock"), program, [&] { quit = true; }, {}, error))
        << error;
    ASSERT_TRUE(ControlRequest(home.file("ctl.sock"), "press LOGO2", reply, error)) << error;
    EXPECT_EQ(reply, "OK");
    ASSERT_TRUE(ControlRequest(home.file("ctl.sock"), "quit", reply, error)) << error;
    server.Stop();
    EXPECT_TRUE(quit);
    EXPECT_FALSE(ControlRequest(home.file("ctl.sock"), "state", reply, error));
}

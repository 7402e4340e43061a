#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/bytes.h"
#include "platform/code_page.h"
#include "platform/event.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "support/temp_dir.h"

using namespace platform;

TEST(ByteReader, ReadsLittleEndianAndStopsAtTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0x05};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u32(), 0x04030201u);
    EXPECT_EQ(r.i16(), -1);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u16(), 0);  // only one byte left
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u8(), 0);  // a failed reader stays failed
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, DamagedStringLengthFailsInsteadOfAllocating) {
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    w.u32(0xFFFFFFF0u);
    w.bytes("abc", 3);
    ByteReader r(buf.data(), buf.size());
    EXPECT_EQ(r.str32(), "");
    EXPECT_FALSE(r.ok());

    buf.clear();
    w.str32("hello");
    ByteReader r2(buf.data(), buf.size());
    EXPECT_EQ(r2.str32(), "hello");
    EXPECT_TRUE(r2.ok());
}

TEST(Files, CaseInsensitiveLookupOfNamesFromWindowsData) {
    zxtest::TempDir dir;
    ASSERT_TRUE(zxtest::WriteText(dir.file("Pages/News/Title One.ZXG"), "x"));
    EXPECT_EQ(ResolvePath(dir.path() + "pages\\news\\title one.zxg"), dir.file("Pages/News/Title One.ZXG"));
    EXPECT_EQ(ResolvePath(dir.path() + "PAGES/NEWS/TITLE ONE.zxg"), dir.file("Pages/News/Title One.ZXG"));
    // Nothing matches: the normalised name comes back and opening it fails as usual.
    EXPECT_EQ(ResolvePath(dir.path() + "Pages\\missing.zxg"), dir.path() + "Pages/missing.zxg");
}

TEST(Files, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
    zxtest::TempDir dir;
    std::string f = dir.file("a.dat");
    ASSERT_TRUE(WriteFileAtomic(f, std::string("first version, long")));
    ASSERT_TRUE(WriteFileAtomic(f, std::string("second")));
    std::string back;
    ASSERT_TRUE(ReadFile(f, back));
    EXPECT_EQ(back, "second");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1);
    // A folder that does not exist: failure reported, nothing created.
    EXPECT_FALSE(WriteFileAtomic(dir.file("no/such/folder/x"), std::string("x")));
}

TEST(Files, PathPieces) {
    EXPECT_EQ(ExtensionOfPath("/data/Pages.old/title"), "");
    EXPECT_EQ(ExtensionOfPath("/data/Pages/title.ZXG"), ".ZXG");
    EXPECT_EQ(DirectoryOf("/data/Pages/title.zxg"), "/data/Pages/");
    EXPECT_EQ(FileNameOf("/data/Pages/title.zxg"), "title.zxg");
    EXPECT_TRUE(StartsWithNoCase("/Data/PAGES/x", "/data/pages/"));
}

TEST(CodePage, Cyrillic1251RoundTrip) {
    CodePage cp(1251);
    ASSERT_TRUE(cp.valid());
    std::string eightBit = "\xcf\xf0\xe8\xe2\xe5\xf2, world";  // "Привет, world"
    std::string utf8 = cp.toUtf8(eightBit);
    EXPECT_EQ(utf8, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, world");
    EXPECT_EQ(cp.fromUtf8(utf8), eightBit);
    // A character outside the code page becomes '?'.
    EXPECT_EQ(cp.fromUtf8("\xe4\xb8\xad"), "?");
    // Every assigned code survives the trip.
    for (int c = 1; c < 256; ++c) {
        std::string one(1, char(c));
        if (cp.toUnicode(uint8_t(c)) == 0) continue;
        EXPECT_EQ(cp.fromUtf8(cp.toUtf8(one)), one) << c;
    }
}

TEST(EventLoop, TimersFireInSimulatedTimeInOrder) {
    ManualClock clock;
    EventLoop loop(clock);
    std::vector<std::string> fired;
    int a = loop.setTimer(100, [&] { fired.push_back("a" + std::to_string(clock.ticks() - 1000)); });
    loop.setTimer(250, [&] { fired.push_back("b" + std::to_string(clock.ticks() - 1000)); });
    loop.advance(300);
    EXPECT_EQ(fired, (std::vector<std::string>{"a100", "a200", "b250", "a300"}));
    loop.killTimer(a);
    fired.clear();
    loop.advance(250);
    EXPECT_EQ(fired, (std::vector<std::string>{"b500"}));
}

TEST(EventLoop, TimerKilledInsideItsOwnCallbackAndTasksFromOtherThreads) {
    ManualClock clock;
    EventLoop loop(clock);
    int count = 0;
    int id = 0;
    id = loop.setTimer(10, [&] {
        ++count;
        loop.killTimer(id);
    });
    loop.advance(100);
    EXPECT_EQ(count, 1);

    std::atomic<int> handled{0};
    LoopTarget target(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        handled += int(msg + w + uintptr_t(l));
        return 42;
    });
    std::thread worker([&] {
        target.post(1, 2, 3);
        EXPECT_EQ(target.send(10, 0, 0), 42);  // waits for the loop's thread to answer
    });
    EXPECT_TRUE(loop.runUntil([&] { return handled == 16; }, 5000));
    worker.join();
}

TEST(Event, ManualResetStaysSetAutoResetIsTakenOnce) {
    Event manual(true);
    manual.set();
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(manual.wait(0));
    Event autoReset(false);
    autoReset.set();
    EXPECT_TRUE(autoReset.wait(0));
    EXPECT_FALSE(autoReset.wait(10));
}

TEST(InstanceLock, SecondHolderIsRefusedUntilReleased) {
    zxtest::TempDir dir;
    InstanceLock a, b, other;
    EXPECT_TRUE(a.acquire("Zentrix15", dir.path()));
    EXPECT_FALSE(b.acquire("Zentrix15", dir.path()));
    EXPECT_TRUE(other.acquire("Zentrix15_400M", dir.path()));  // the second edition runs beside
    a.release();
    EXPECT_TRUE(b.acquire("Zentrix15", dir.path()));
}

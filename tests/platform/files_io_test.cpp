// Writing to descriptors and files, and the paths made from a folder and a name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/instance_lock.h"
#include "support/temp_dir.h"

using namespace platform;

TEST(WriteAll, GoesOnAfterShortWrites) {
    // A pipe takes 64 KiB at a time: a 1 MiB write comes back short many times.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::vector<uint8_t> data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 253);
    std::vector<uint8_t> got;
    std::thread reader([&] {
        uint8_t buf[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) got.insert(got.end(), buf, buf + n);
    });
    EXPECT_TRUE(WriteAll(fds[1], data.data(), data.size()));
    ::close(fds[1]);
    reader.join();
    ::close(fds[0]);
    EXPECT_EQ(got, data);

    EXPECT_FALSE(WriteAll(-1, "x", 1));
}

TEST(AppendToFile, LinesFromManyThreadsStayWhole) {
    zxtest::TempDir dir;
    const std::string path = dir.file("log.txt");
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&, t] {
            // Long lines, so that a line written in pieces would show.
            const std::string line = std::string(3000, char('a' + t)) + "\r\n";
            for (int i = 0; i < kLines; ++i) ASSERT_TRUE(AppendToFile(path, line));
        });
    for (auto& w : writers) w.join();
    std::string text;
    ASSERT_TRUE(ReadFile(path, text));
    ASSERT_EQ(text.size(), size_t(kThreads) * kLines * 3002);
    for (size_t at = 0; at < text.size(); at += 3002) {
        ASSERT_EQ(text.find_first_not_of(text[at], at), at + 3000) << at;
        ASSERT_EQ(text.compare(at + 3000, 2, "\r\n"), 0) << at;
    }
    EXPECT_FALSE(AppendToFile(dir.file("no/such/folder/log.txt"), "x"));
}

TEST(JoinPath, OneSlashBetweenFolderAndName) {
    EXPECT_EQ(JoinPath("/run/user/1000", "Zentrix15.lock"), "/run/user/1000/Zentrix15.lock");
    EXPECT_EQ(JoinPath("/run/user/1000/", "Zentrix15.lock"), "/run/user/1000/Zentrix15.lock");
    EXPECT_EQ(JoinPath("", "Zentrix15.lock"), "Zentrix15.lock");
    EXPECT_EQ(JoinPath("locks", "a"), "locks/a");
}

TEST(InstanceLock, AFolderWithoutItsSlashHoldsTheLockInside) {
    zxtest::TempDir dir;
    std::string folder = dir.path();
    folder.pop_back();  // "…/tmp.XXXX" as a user writes it in the settings
    InstanceLock a, b;
    ASSERT_TRUE(a.acquire("Zentrix15", folder));
    EXPECT_TRUE(FileExists(dir.file("Zentrix15.lock")));
    EXPECT_FALSE(FileExists(folder + "Zentrix15.lock"));
    // The same lock, however the folder is written.
    EXPECT_FALSE(b.acquire("Zentrix15", dir.path()));
}

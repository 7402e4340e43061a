// Names given to the control interface reach files below the data root only; the listen address,
// the token rules and the [Control] settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/control_settings.h"
#include "app/profile.h"
#include "control/data_paths.h"
#include "control/listen_address.h"
#include "support/temp_dir.h"

namespace {

using control::PATH_BAD;
using control::PATH_MISSING;
using control::PATH_OK;

struct DataPaths : ::testing::Test {
    zxtest::TempDir dir;
    zxtest::TempDir outside;
    std::string root;
    void SetUp() override {
        root = dir.file("Data");
        ASSERT_TRUE(zxtest::WriteText(root + "/Sequences/News/Evening.zxs", "x"));
        ASSERT_TRUE(zxtest::WriteText(outside.file("secret.zxs"), "x"));
        std::filesystem::create_directory_symlink(outside.path(), root + "/Sequences/Out");
        std::filesystem::create_symlink(outside.file("secret.zxs"), root + "/Sequences/secret.zxs");
        std::filesystem::create_directory_symlink(root + "/Sequences/News", root + "/Sequences/Alias");
    }
    control::PathResult resolve(const std::string& name, std::string* out = nullptr) {
        std::string path, why;
        const control::PathResult r = control::ResolveDataPath(root, name, path, why);
        if (r != PATH_OK) {
            EXPECT_FALSE(why.empty()) << name;
        }
        if (out) *out = path;
        return r;
    }
};

TEST_F(DataPaths, NamesBelowTheRootResolveWithWindowsSeparatorsAndAnyCase) {
    std::string path;
    ASSERT_EQ(resolve("Sequences/News/Evening.zxs", &path), PATH_OK);
    EXPECT_EQ(path, root + "/Sequences/News/Evening.zxs");
    ASSERT_EQ(resolve("sequences\\news\\EVENING.zxs", &path), PATH_OK);
    EXPECT_EQ(path, root + "/Sequences/News/Evening.zxs");
    EXPECT_EQ(resolve("./Sequences//News/./Evening.zxs"), PATH_OK);
    // A link that stays inside the root is followed.
    EXPECT_EQ(resolve("Sequences/Alias/Evening.zxs"), PATH_OK);
    EXPECT_EQ(control::NameBelowRoot(root, path), "Sequences/News/Evening.zxs");
    EXPECT_EQ(control::NameBelowRoot(root + "/", "/elsewhere/x.zxs"), "/elsewhere/x.zxs");
}

TEST_F(DataPaths, NothingOutsideTheRootIsReachedNorToldApart) {
    for (const char* bad :
         {"../x.zxs", "Sequences/../../x.zxs", "..", "/etc/passwd", "\\etc\\passwd", "C:\\a.zxs", "c:a.zxs",
          "//server/share/a.zxs", "Sequences/Out/secret.zxs", "Sequences/secret.zxs",
          // Whether a file exists behind a link out must not show either.
          "Sequences/Out/nothing.zxs", "Sequences/Out/deeper/nothing.zxs", "", "./.", "a\nb.zxs", "a\x7f.zxs"})
        EXPECT_EQ(resolve(bad), PATH_BAD) << bad;
    EXPECT_EQ(resolve(std::string(control::kMaxDataName + 1, 'a')), PATH_BAD);
    EXPECT_EQ(resolve("Sequences/News/Morning.zxs"), PATH_MISSING);
    EXPECT_EQ(resolve("Sequences/News"), PATH_MISSING);  // a folder is not a file to play
    EXPECT_EQ(resolve("Nowhere/at/all.zxs"), PATH_MISSING);
    // A root that is itself reached through a link still holds its own files.
    std::filesystem::create_directory_symlink(root, dir.file("Linked"));
    std::string path, why;
    EXPECT_EQ(control::ResolveDataPath(dir.file("Linked"), "Sequences/News/Evening.zxs", path, why), PATH_OK);
    EXPECT_TRUE(control::IsInside(dir.file("Linked/Sequences"), path));
    EXPECT_FALSE(control::IsInside(root + "/Sequences/News", root + "/Sequences/Out/secret.zxs"));
}

TEST(ListenAddress, AddressesPortsAndLoopback) {
    control::ListenAddress a;
    std::string why;
    ASSERT_TRUE(control::ParseListen("127.0.0.1:8139", a, why));
    EXPECT_EQ(a.host, "127.0.0.1");
    EXPECT_EQ(a.port, 8139);
    ASSERT_TRUE(control::ParseListen("[::1]:0", a, why));
    EXPECT_EQ(a.host, "::1");
    EXPECT_EQ(a.port, 0);
    ASSERT_TRUE(control::ParseListen(":9000", a, why));
    EXPECT_EQ(a.host, "127.0.0.1");
    ASSERT_TRUE(control::ParseListen("studio-pc:80", a, why));
    for (const char* bad : {"", "8139", "127.0.0.1", "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:-1", "::1:80",
                            "[::1]80", "[nonsense]:80", "host name:80", "127.0.0.1:80x", "[::1]:123456"})
        EXPECT_FALSE(control::ParseListen(bad, a, why)) << bad;

    EXPECT_TRUE(control::IsLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(control::IsLoopbackHost("127.8.9.1"));
    EXPECT_TRUE(control::IsLoopbackHost("::1"));
    EXPECT_TRUE(control::IsLoopbackHost("LocalHost"));
    EXPECT_FALSE(control::IsLoopbackHost("0.0.0.0"));
    EXPECT_FALSE(control::IsLoopbackHost("128.0.0.1"));
    EXPECT_FALSE(control::IsLoopbackHost("localhost.evil.example"));
}

TEST(ListenAddress, ATokenIsNeededBeyondLoopbackAndComparedWhole) {
    std::string why;
    EXPECT_TRUE(control::CheckAccess({"127.0.0.1", 8139}, "", why));
    EXPECT_FALSE(control::CheckAccess({"0.0.0.0", 8139}, "", why));
    EXPECT_NE(why.find("token"), std::string::npos);
    EXPECT_FALSE(control::CheckAccess({"192.0.2.10", 8139}, "", why));
    EXPECT_TRUE(control::CheckAccess({"0.0.0.0", 8139}, "a-long-secret", why));
    EXPECT_FALSE(control::CheckAccess({"0.0.0.0", 8139}, "two words", why));

    EXPECT_EQ(control::BearerToken("Bearer abc"), "abc");
    EXPECT_EQ(control::BearerToken("bearer   abc  "), "abc");
    EXPECT_EQ(control::BearerToken("Basic abc"), "");
    EXPECT_EQ(control::BearerToken("Bearer"), "");
    EXPECT_TRUE(control::SameSecret("abc", "abc"));
    EXPECT_FALSE(control::SameSecret("abc", "abd"));
    EXPECT_FALSE(control::SameSecret("abc", "abcd"));
    EXPECT_FALSE(control::SameSecret("", "a"));
}

TEST(ControlSettings, DefaultsAndRoundTrip) {
    zxtest::TempDir dir;
    app::Profile ini(dir.file("ZENTRIX.INI"));
    app::ControlSettings s = app::LoadControlSettings(ini);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.listen, "127.0.0.1:8139");
    EXPECT_EQ(s.token, "");
    s.enabled = true;
    s.listen = "0.0.0.0:9000";
    s.token = "t0ken";
    ASSERT_TRUE(app::SaveControlSettings(ini, s));
    app::Profile again(dir.file("ZENTRIX.INI"));
    const app::ControlSettings r = app::LoadControlSettings(again);
    EXPECT_TRUE(r.enabled);
    EXPECT_EQ(r.listen, "0.0.0.0:9000");
    EXPECT_EQ(r.token, "t0ken");
    // An empty Listen is the default address.
    again.putString("Control", "Listen", "");
    EXPECT_EQ(app::LoadControlSettings(again).listen, "127.0.0.1:8139");
}

}  // namespace

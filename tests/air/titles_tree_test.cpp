// The titles tree: groups in order, folders as nodes, empty folders dropped, names sorted, the
// MPEG groups only with boards, the expanded states, and folders that would trap the scan.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "air/titles_tree.h"
#include "app/profile.h"
#include "titr_test_util.h"

using namespace air;
using namespace airtest;

namespace {

struct TitlesTreeTest : TitrFixture {
    void touch(const std::string& rel) { ASSERT_TRUE(zxtest::WriteText(dir.file(rel), "x")); }
    TitlesTreeOptions options(bool mpeg = false) {
        TitlesTreeOptions o;
        o.mpegBoards = mpeg;
        return o;
    }
    static std::vector<std::string> texts(const TitlesNode& n) {
        std::vector<std::string> t;
        for (const TitlesNode& c : n.children) t.push_back(c.text);
        return t;
    }
};

}  // namespace

TEST_F(TitlesTreeTest, GroupsFoldersAndFilesInOrder) {
    touch("Titr/b title.zxs");
    touch("Titr/A title.zxs");
    touch("Titr/Studio/Location.zxs");
    touch("Titr/Studio/notes.txt");
    touch("Titr/Empty/readme.txt");
    platform::MakeDirectories(dir.file("Titr/Empty/Deeper"));
    touch("Sequences/News.ZXS");  // the extension in any case
    touch("Clock/Big.zck");
    touch("Banners/Live.zxa");
    touch("Video/clip.mpg");
    touch("Video/show.vid");

    std::vector<TitlesNode> tree = BuildTitlesTree(app.folders(), options());
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[0].text, "Titles");
    EXPECT_EQ(tree[1].text, "Sequences");
    EXPECT_EQ(tree[2].text, "Clock");
    EXPECT_EQ(tree[3].text, "TV Banners");
    EXPECT_EQ(texts(tree[0]), (std::vector<std::string>{"A title", "Studio", "b title"}));
    const TitlesNode& studio = tree[0].children[1];
    EXPECT_EQ(studio.kind, TITR_FOLDER);
    ASSERT_EQ(studio.children.size(), 1u);
    EXPECT_EQ(studio.children[0].kind, TITR_TITLE);
    EXPECT_EQ(studio.children[0].path, dir.file("Titr/Studio/Location.zxs"));
    // The upper-case file keeps the name it was found by (a rebuilt ".zxs" would not open).
    ASSERT_EQ(tree[1].children.size(), 1u);
    EXPECT_EQ(tree[1].children[0].text, "News");
    EXPECT_EQ(tree[1].children[0].path, dir.file("Sequences/News.ZXS"));
    EXPECT_EQ(tree[1].children[0].kind, TITR_SEQUENCE);
    EXPECT_EQ(tree[2].children[0].kind, TITR_CLOCK);
    EXPECT_EQ(tree[3].children[0].kind, TITR_BANNER);

    tree = BuildTitlesTree(app.folders(), options(true));
    ASSERT_EQ(tree.size(), 6u);
    EXPECT_EQ(tree[4].text, "Video");
    EXPECT_EQ(tree[5].text, "Playlists");
    EXPECT_EQ(texts(tree[4]), std::vector<std::string>{"clip"});
    EXPECT_EQ(tree[4].children[0].kind, TITR_MPEG);
    EXPECT_EQ(tree[5].children[0].kind, TITR_VIDEO_PLAYLIST);
}

TEST_F(TitlesTreeTest, KindsWithoutTheirObjectAreListedGreyed) {
    touch("Video/clip.mpg");
    touch("Titr/t.zxs");
    TitlesTreeOptions o = options(true);
    o.playableKinds = TITR_TITLE | TITR_SEQUENCE;
    const std::vector<TitlesNode> tree = BuildTitlesTree(app.folders(), o);
    EXPECT_TRUE(tree[0].children[0].enabled);
    EXPECT_FALSE(tree[4].enabled);
    EXPECT_FALSE(tree[4].children[0].enabled);
}

TEST_F(TitlesTreeTest, ALinkLoopAndOddNamesDoNotTrapTheScan) {
    touch("Titr/Loop/inner.zxs");
    ASSERT_EQ(::symlink(dir.file("Titr").c_str(), dir.file("Titr/Loop/back").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("Titr/dangling.zxs").c_str()), 0);
    touch("Titr/\xC8\xEC\xFF title.zxs");  // an 8-bit name of the code page
    touch("Titr/.zxs");                    // no name before the extension: not a title
    touch("Titr/with.dots.zxs");
    const std::vector<TitlesNode> tree = BuildTitlesTree(app.folders(), options());
    EXPECT_EQ(texts(tree[0]), (std::vector<std::string>{"Loop", "with.dots", "\xC8\xEC\xFF title"}));
    EXPECT_EQ(texts(tree[0].children[0]), std::vector<std::string>{"inner"});

    // A chain of folders deeper than the limit ends at the limit.
    std::string deep = "Sequences";
    for (int i = 0; i < 40; ++i) deep += "/d";
    touch(deep + "/deep.zxs");
    touch("Sequences/d/top.zxs");
    const std::vector<TitlesNode> t2 = BuildTitlesTree(app.folders(), options());
    int depth = 0;
    const TitlesNode* n = &t2[1];
    while (!n->children.empty() && n->children[0].kind == TITR_FOLDER) n = &n->children[0], ++depth;
    EXPECT_EQ(depth, 1);  // the deep file is past the limit, so the chain below d is dropped
}

TEST_F(TitlesTreeTest, AnUnreadableFolderIsSkipped) {
    touch("Titr/Closed/hidden.zxs");
    touch("Titr/open.zxs");
    // A link that points at itself cannot be opened, not even by root; a folder without
    // permissions only by root.
    ASSERT_EQ(::symlink("Loop", dir.file("Titr/Loop").c_str()), 0);
    const bool closed = ::geteuid() != 0;
    if (closed) {
        ASSERT_EQ(::chmod(dir.file("Titr/Closed").c_str(), 0), 0);
    }
    const std::vector<TitlesNode> tree = BuildTitlesTree(app.folders(), options());
    ::chmod(dir.file("Titr/Closed").c_str(), 0755);
    std::vector<std::string> expected{"open"};
    if (!closed) expected.insert(expected.begin(), "Closed");
    EXPECT_EQ(texts(tree[0]), expected);
}

TEST_F(TitlesTreeTest, ExpandedStatesAreRestoredAndKeptAcrossARebuild) {
    touch("Titr/t.zxs");
    app.profile().putInt("Titr", "Node1", 0);
    app.profile().putInt("Titr", "Node3", 0);
    openModel();
    ASSERT_EQ(model->tree().size(), 4u);
    EXPECT_TRUE(model->tree()[0].expanded);
    EXPECT_FALSE(model->tree()[1].expanded);
    EXPECT_TRUE(model->tree()[2].expanded);
    EXPECT_FALSE(model->tree()[3].expanded);
    model->setExpanded(0, false);
    touch("Titr/new.zxs");
    model->BuildTree();
    EXPECT_FALSE(model->tree()[0].expanded);
    EXPECT_EQ(model->tree()[0].children.size(), 2u);
    model->settings().leftWidth = 420;
    model->settings().columns[2] = 200;
    model->setFastLoad(true);
    model->SaveSettings();
    EXPECT_EQ(app.profile().getInt("Titr", "Node0", 1), 0);
    EXPECT_EQ(app.profile().getInt("Titr", "LeftWidth", 0), 420);
    EXPECT_EQ(app.profile().getInt("Titr", "Column2", 0), 200);
    EXPECT_EQ(app.profile().getInt("Titr", "FastLoad", 0), 1);
    const TitrSettings back = TitrSettings::Load(app.profile(), 4);
    EXPECT_EQ(back.leftWidth, 420);
    EXPECT_EQ(back.nodes, (std::vector<bool>{false, false, true, false}));
    // Defaults of a fresh section.
    app::Profile empty;
    const TitrSettings d = TitrSettings::Load(empty, 2);
    EXPECT_EQ(d.columns, (std::array<int, 4>{48, 48, 160, 160}));
    EXPECT_EQ(d.leftWidth, 300);
    EXPECT_EQ(d.fastLoad, 0);
    EXPECT_FALSE(d.noChecksums);
}

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/strings.h"
#include "i18n/resources.h"
#include "i18n/text_key.h"

using namespace i18n;

namespace {

MenuEntry Popup(std::string text, std::vector<MenuEntry> items) {
    MenuEntry e;
    e.isPopup = true;
    e.text = std::move(text);
    e.items = std::move(items);
    return e;
}
MenuEntry Item(int id, std::string text) {
    MenuEntry e;
    e.commandId = id;
    e.text = std::move(text);
    return e;
}

const std::string* TextOf(const std::vector<KeyedText>& texts, uint32_t key) {
    for (const KeyedText& t : texts)
        if (t.first == key) return &t.second;
    return nullptr;
}

}  // namespace

TEST(Resources, TheProgramsTextsHaveOneKeyEach) {
    const std::vector<KeyedText> texts = BaseTexts();
    const std::vector<std::string> clashes = KeyCollisions(texts);
    EXPECT_TRUE(clashes.empty()) << clashes.front();
    // Menus first, then dialogs, then strings by id: the base file's order.
    int lastKind = 1;
    uint32_t lastString = 0;
    for (const KeyedText& t : texts) {
        const int kind = int(KindOf(t.first));
        ASSERT_GE(kind, lastKind) << std::hex << t.first;
        lastKind = kind;
        if (kind == 3) {
            EXPECT_GT(t.first, lastString);
            lastString = t.first;
        }
        EXPECT_FALSE(t.second.empty());
        EXPECT_EQ(t.second.find('\t'), std::string::npos) << "a TAB is stored as \\t";
    }
    // The main menu's Hardware item is in its second pop-up.
    ASSERT_TRUE(TextOf(texts, 0x48028003u));
    EXPECT_EQ(*TextOf(texts, 0x48028003u), "&Hardware...");
    EXPECT_EQ(*TextOf(texts, StringKey(16024)), "Sequence is empty!");
    EXPECT_EQ(*TextOf(texts, DialogKey(304, 0)), "Hardware");
}

TEST(Resources, TheTablesAnswerByIdAndKeepTheirOrder) {
    EXPECT_STREQ(BuiltinDialogText(304, 1100), "Connection to KTG");
    EXPECT_EQ(BuiltinDialogText(304, 9999), nullptr);
    EXPECT_EQ(BuiltinDialogText(99999, 0), nullptr);
    std::vector<DialogText> hw = BuiltinDialog(304);
    ASSERT_FALSE(hw.empty());
    EXPECT_EQ(hw[0].controlId, 0);
    EXPECT_EQ(hw[0].text, "Hardware");
    // Each dialog and each menu is in the tables once.
    std::vector<int> dialogs = BuiltinDialogIds();
    EXPECT_EQ(std::set<int>(dialogs.begin(), dialogs.end()).size(), dialogs.size());
    std::vector<int> menus = BuiltinMenuIds();
    EXPECT_EQ(std::set<int>(menus.begin(), menus.end()).size(), menus.size());
    for (int m : menus) {
        // The translation keys hold the pop-up count in four bits.
        int popups = 0;
        for (const KeyedText& t : MenuTexts(m, BuiltinMenu(m)))
            if ((t.first & 0xFFFF) == 0) ++popups;
        EXPECT_LE(popups, 15) << "menu " << m;
        // Menu ids above 1023 would reach into the neighbouring menus' keys.
        EXPECT_LT(m, 1024);
    }
    std::vector<MenuEntry> main = BuiltinMenu(128);
    ASSERT_GE(main.size(), 2u);
    EXPECT_TRUE(main[1].isPopup);
    EXPECT_EQ(main[1].items[0].commandId, 32771);
    EXPECT_TRUE(BuiltinMenu(4321).empty());
}

TEST(Resources, KeyCollisionsAreFound) {
    // Seventeen pop-ups: the seventeenth's title lands on the first's key.
    std::vector<MenuEntry> menu;
    for (int i = 1; i <= 17; ++i) menu.push_back(Popup("Pop-up " + std::to_string(i), {Item(100 + i, "Item")}));
    const std::vector<KeyedText> texts = MenuTexts(200, menu);
    const std::vector<std::string> clashes = KeyCollisions(texts);
    ASSERT_EQ(clashes.size(), 1u);
    EXPECT_NE(clashes[0].find("Pop-up 1\""), std::string::npos);
    EXPECT_NE(clashes[0].find("Pop-up 17"), std::string::npos);
    // Two controls of a dialog under one id; the same text twice is no clash.
    EXPECT_EQ(KeyCollisions({{DialogKey(300, 5), "A"}, {DialogKey(300, 5), "B"}}).size(), 1u);
    EXPECT_TRUE(KeyCollisions({{DialogKey(300, 5), "A"}, {DialogKey(300, 5), "A"}}).empty());
    // The same id as menu item, dialog control and string: three keys.
    EXPECT_TRUE(KeyCollisions({{MenuKey(300, 0, 5), "A"}, {DialogKey(300, 5), "B"}, {StringKey(5), "C"}}).empty());
}

TEST(Resources, StoredTextsWriteTabsAsBackslashT) {
    EXPECT_EQ(StoredText("&Open...\tCtrl+O"), "&Open...\\tCtrl+O");
    const std::vector<KeyedText> texts = MenuTexts(130, {Popup("&File", {Item(7, "&Save\tCtrl+S")})});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].second, "&Save\\tCtrl+S");
}

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/profile.h"
#include "app/strings.h"
#include "i18n/text_key.h"
#include "i18n/translation.h"
#include "platform/files.h"

using namespace i18n;

namespace {

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = platform::RuntimeDir() + "zx_i18n_tr_" + std::to_string(::getpid()) + "/";
        std::filesystem::remove_all(dir_);
        platform::MakeDirectories(dir_);
        ini_.open(dir_ + "zentrix.ini");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void writeBase() {
        LangTable::Build({{StringKey(3001), "Error saving file:\n\n%1"},
                          {StringKey(16024), "Sequence is empty!"},
                          {StringKey(40001), "Open\nOpen a file"},
                          {MenuKey(128, 1, 0), "&File"},
                          {MenuKey(128, 1, 57601), "&Open...\\tCtrl+O"},
                          {MenuKey(128, 2, 0), "&Settings"},
                          {MenuKey(128, 3, 0), "&Language"},
                          {MenuKey(128, 3, 33500), "English"},
                          {MenuKey(128, 3, 32771), "&Hardware..."},
                          {DialogKey(309, 0), "Options"},
                          {DialogKey(309, 1261), "Name:"},
                          {DialogKey(309, 1262), "Only in base"}})
            .save(dir_ + "zentrix.lna");
    }
    void writeRussian() {
        LangTable::Build({{StringKey(3001), "Ошибка записи:\n\n%1"},
                          {StringKey(16024), "Пусто %s"},  // markers differ: not used
                          {StringKey(40001), "Открыть\nОткрыть файл"},
                          {MenuKey(128, 1, 0), "&Файл"},
                          {MenuKey(128, 1, 57601), "&Открыть...\\tCtrl+O"},
                          {MenuKey(128, 3, 0), "&Язык"},
                          {MenuKey(128, 3, 32771), "&Оборудование..."},
                          {DialogKey(309, 0), "Параметры"},
                          {DialogKey(309, 1261), "Имя:"}})
            .save(dir_ + "Russian.zxl");
    }

    std::string dir_;
    app::Profile ini_;
};

MenuEntry Item(std::string text, int id, bool ownerDrawn = false) {
    MenuEntry e;
    e.text = std::move(text);
    e.commandId = id;
    e.ownerDrawn = ownerDrawn;
    return e;
}
MenuEntry Separator() {
    MenuEntry e;
    e.separator = true;
    return e;
}
MenuEntry Popup(std::vector<MenuEntry> items) {
    MenuEntry e;
    e.isPopup = true;
    e.items = std::move(items);
    return e;
}

}  // namespace

TEST_F(TranslationTest, NoBaseFileTranslatesNothingAndIgnoresLanguageCommands) {
    writeRussian();
    ini_.putString("Language", "Name", "Russian.zxl");
    Translation tr;
    tr.start(dir_, "zentrix", &ini_);
    EXPECT_FALSE(tr.active());
    EXPECT_EQ(tr.languages().size(), 1u);
    EXPECT_EQ(tr.selectLanguage(1), kLangOk);
    EXPECT_EQ(tr.selected(), 0);
    EXPECT_FALSE(tr.lookUp(StringKey(3001)));
    EXPECT_EQ(tr.loadString(3001), app::BuiltinString(3001));
    std::vector<DialogText> dlg{{0, "Options"}, {1261, "Name:"}};
    tr.translateDialog(309, dlg);
    EXPECT_EQ(dlg[1].text, "Name:");
}

TEST_F(TranslationTest, LanguageChosenAtStartAndLookupsFallBack) {
    writeBase();
    writeRussian();
    std::filesystem::create_directory(dir_ + "folder.zxl");  // not a file
    LangTable().save(dir_ + "Empty.zxl");
    ini_.putString("Language", "Name", "Russian.zxl");
    Translation tr;
    tr.start(dir_, "zentrix", &ini_);
    ASSERT_TRUE(tr.active());
    ASSERT_EQ(tr.languages(), (std::vector<std::string>{"Empty.zxl", "Russian.zxl"}));
    EXPECT_EQ(tr.selected(), 2);

    EXPECT_EQ(*tr.lookUp(StringKey(3001)), "Ошибка записи:\n\n%1");
    EXPECT_EQ(*tr.lookUp(StringKey(16024)), "Sequence is empty!");  // marker mismatch: the base text
    EXPECT_EQ(tr.loadString(16024), "Sequence is empty!");
    EXPECT_EQ(tr.tooltip(40001), "Открыть файл");
    EXPECT_EQ(*tr.pageCaption(309), "Параметры");

    std::vector<DialogText> dlg{{0, "x"}, {1261, "x"}, {1262, "x"}, {1263, "unknown stays"}};
    tr.translateDialog(309, dlg);
    EXPECT_EQ(dlg[0].text, "Параметры");
    EXPECT_EQ(dlg[1].text, "Имя:");
    EXPECT_EQ(dlg[2].text, "Only in base");  // base-only key: the base text
    EXPECT_EQ(dlg[3].text, "unknown stays");

    std::vector<MenuEntry> menu{Popup({Item("Open", 57601), Separator()}),
                                // Settings > Language is the third pop-up met; the item after
                                // it takes count 3.
                                Popup({Popup({Item("English", 33500)}), Item("Hardware", 32771)}),
                                Item("Owner", 32771, true)};
    tr.translateMenu(128, menu);
    EXPECT_EQ(menu[0].text, "&Файл");
    EXPECT_EQ(menu[0].items[0].text, "&Открыть...\tCtrl+O");  // shortcut in the accelerator column
    EXPECT_EQ(menu[0].items[1].text, "");
    EXPECT_EQ(menu[1].text, "&Settings");
    EXPECT_EQ(menu[1].items[0].text, "&Язык");
    EXPECT_EQ(menu[1].items[0].items[0].text, "English");
    EXPECT_EQ(menu[1].items[1].text, "&Оборудование...");
    EXPECT_EQ(menu[2].text, "Owner");  // owner-drawn items keep their text

    // The choice is written back; 0 selects none.
    EXPECT_EQ(tr.selectLanguage(0), kLangOk);
    EXPECT_EQ(ini_.getString("Language", "Name"), "");
    EXPECT_EQ(*tr.lookUp(StringKey(3001)), "Error saving file:\n\n%1");
    EXPECT_EQ(tr.selectLanguage(2), kLangOk);
    EXPECT_EQ(ini_.getString("Language", "Name"), "Russian.zxl");
}

TEST_F(TranslationTest, UnreadableLanguageSelectsNoneAndClearsName) {
    writeBase();
    platform::WriteFileAtomic(dir_ + "Broken.zxl", std::string("LANG\xff\xff\xff\xff", 8) + std::string(200, '\0'));
    ini_.putString("Language", "Name", "Broken.zxl");
    Translation tr;
    tr.start(dir_, "zentrix", &ini_);
    EXPECT_TRUE(tr.active());
    EXPECT_EQ(tr.selected(), 0);
    EXPECT_EQ(ini_.getString("Language", "Name"), "");

    writeRussian();
    tr.listLanguages();
    ASSERT_EQ(tr.selectLanguage(2), kLangOk);  // Russian
    ASSERT_EQ(tr.selectLanguage(1), kLangFormatError);
    EXPECT_EQ(tr.selected(), 0);
    EXPECT_EQ(ini_.getString("Language", "Name"), "");
    EXPECT_EQ(*tr.lookUp(MenuKey(128, 1, 0)), "&File");
}

TEST_F(TranslationTest, InstalledTranslationServesLoadString) {
    writeBase();
    writeRussian();
    ini_.putString("Language", "Name", "Russian.zxl");
    {
        Translation tr;
        tr.start(dir_, "zentrix", &ini_);
        tr.install();
        EXPECT_EQ(app::LoadString(3001), "Ошибка записи:\n\n%1");
        EXPECT_EQ(app::LoadString(16024), "Sequence is empty!");
        tr.selectLanguage(0);
        EXPECT_EQ(app::LoadString(3001), "Error saving file:\n\n%1");
    }
    // Gone with the translation.
    EXPECT_EQ(app::LoadString(3001), app::BuiltinString(3001));
}

TEST_F(TranslationTest, AnInstallsSharedFolderBringsTheBaseAndLanguages) {
    // The install's read-only folder holds the base file and Russian; the program folder (the
    // user's) holds a language of its own and, later, its own copy of Russian.
    writeBase();
    writeRussian();
    const std::string shared = dir_ + "share/";
    platform::MakeDirectories(shared);
    std::filesystem::rename(dir_ + "zentrix.lna", shared + "zentrix.lna");
    std::filesystem::rename(dir_ + "Russian.zxl", shared + "Russian.zxl");
    LangTable::Build({{MenuKey(128, 1, 0), "&Plik"}}).save(dir_ + "Polish.zxl");
    ini_.putString("Language", "Name", "Russian.zxl");
    Translation tr;
    tr.start(dir_, "zentrix", &ini_, shared);
    ASSERT_TRUE(tr.active());
    EXPECT_EQ(tr.languages(), (std::vector<std::string>{"Polish.zxl", "Russian.zxl"}));
    EXPECT_EQ(tr.selected(), 2);
    EXPECT_EQ(tr.selectedPath(), shared + "Russian.zxl");
    // An edit is saved in the program folder, whose copy then hides the shared one.
    EXPECT_EQ(tr.writablePath(), dir_ + "Russian.zxl");
    LangTable::Build({{MenuKey(128, 1, 0), "&Файлы"}}).save(tr.writablePath());
    ASSERT_EQ(tr.selectLanguageFile("Russian.zxl"), kLangOk);
    EXPECT_EQ(tr.selectedPath(), dir_ + "Russian.zxl");
    EXPECT_EQ(*tr.lookUp(MenuKey(128, 1, 0)), "&Файлы");
    // A base file of the program folder comes first.
    LangTable::Build({{MenuKey(128, 1, 0), "&Own"}}).save(dir_ + "zentrix.lna");
    Translation own;
    own.start(dir_, "zentrix", nullptr, shared);
    EXPECT_EQ(*own.lookUp(MenuKey(128, 1, 0)), "&Own");
}

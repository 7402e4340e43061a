#include <gtest/gtest.h>

#include <string>

#include "i18n/editor_model.h"
#include "i18n/text_key.h"

using namespace i18n;

namespace {

LangTable Base() {
    return LangTable::Build({{MenuKey(128, 1, 0), "&File"},
                             {DialogKey(309, 1261), "A label that is rather long indeed"},
                             {StringKey(3001), "Error saving file:\n\n%1"},
                             {StringKey(3002), "Exactly twenty-five chars"}});
}

}  // namespace

TEST(EditorModel, RowsInBaseOrderWithTextsAndIcons) {
    LangTable lang = LangTable::Build({{StringKey(3001), "Ошибка:\n\n%1"}, {DialogKey(309, 1261), "Bad %d"}});
    TranslationEditorModel m(Base(), lang);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m.row(0).key, MenuKey(128, 1, 0));
    EXPECT_EQ(m.rowText(0), "&File");
    EXPECT_EQ(m.rowText(1), "A label that is rather ...");
    EXPECT_EQ(m.rowText(2), "Error saving file:");
    EXPECT_EQ(m.rowText(3), "Exactly twenty-five chars");  // 25: not cut
    EXPECT_EQ(m.icon(0), 1);                               // menu, no translation
    EXPECT_EQ(m.icon(1), 2);                               // dialog, translated
    EXPECT_EQ(m.icon(2), 4);                               // string, translated
    EXPECT_EQ(m.icon(3), 5);
    EXPECT_TRUE(m.markersDiffer(1));
    EXPECT_FALSE(m.markersDiffer(2));
    EXPECT_EQ(m.originalField(2), "Error saving file:\r\n\r\n%1");
    EXPECT_EQ(m.translationField(0), "&File");  // the base text when untranslated
}

TEST(EditorModel, StoreResetAndRebuild) {
    // A key the base no longer lists stays in the language, after the others.
    LangTable lang = LangTable::Build({{StringKey(9999), "old key"}, {StringKey(3001), "x %1"}});
    TranslationEditorModel m(Base(), lang);
    m.store(0, "&Файл");
    m.store(1, "  \r\n\t ");  // blank: none
    EXPECT_FALSE(m.row(1).translation);
    m.store(2, "Ошибка записи:\r\n\r\n%1");
    EXPECT_EQ(*m.row(2).translation, "Ошибка записи:\n\n%1");
    m.store(3, "Exactly twenty-five chars");  // back to the base text: no entry
    EXPECT_FALSE(m.row(3).translation);

    LangTable t = m.build();
    ASSERT_EQ(t.count(), 3u);
    EXPECT_EQ(t.entries()[0].key, MenuKey(128, 1, 0));
    EXPECT_EQ(t.entries()[1].key, StringKey(3001));
    EXPECT_EQ(t.entries()[2].key, StringKey(9999));
    EXPECT_EQ(t.entries()[1].offset, std::string("&Файл").size() + 1);  // after the text and its zero
    EXPECT_STREQ(t.Lookup(StringKey(3001)), "Ошибка записи:\n\n%1");

    m.reset(0);
    m.reset(2);
    EXPECT_FALSE(m.anyTranslated());
    EXPECT_EQ(m.build().count(), 1u);  // only the kept old key
    TranslationEditorModel fresh(Base(), LangTable());
    EXPECT_FALSE(fresh.anyTranslated());
    EXPECT_TRUE(fresh.build().empty());
}

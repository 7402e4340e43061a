#include <gtest/gtest.h>

#include <string>

#include "i18n/format.h"

using i18n::Format;

TEST(Format, PositionalAndPrintfMarkers) {
    EXPECT_EQ(Format("Error saving file:\n\n%1", {"a.zxl"}), "Error saving file:\n\na.zxl");
    EXPECT_EQ(Format("%2 before %1", {"one", "two"}), "two before one");
    EXPECT_EQ(Format("Frame %d", {7}), "Frame 7");
    EXPECT_EQ(Format("%d x %d", {720, 576}), "720 x 576");
    EXPECT_EQ(Format("%02d:%02d", {5, 7}), "05:07");
    EXPECT_EQ(Format("%-6s|%4d|%5.1f", {"ab", 42, 3.14159}), "ab    |  42|  3.1");
    EXPECT_EQ(Format("%x %X %o %u", {255, 255, 8, 3}), "ff FF 10 3");
    EXPECT_EQ(Format("%c%c", {'O', "K!"}), "OK");
    EXPECT_EQ(Format("100%% %s", {"done"}), "100% done");
    // "%1d" is a conversion of width 1, as printf reads it.
    EXPECT_EQ(Format("[%1d]", {42}), "[42]");
    // Numbered markers do not move the printf markers' count.
    EXPECT_EQ(Format("%d: %1", {"7"}), "7: 7");
}

TEST(Format, ATranslatedPatternReadsNoMoreThanItIsGiven) {
    // Markers without a value stay as they are instead of reading beyond the values.
    EXPECT_EQ(Format("%s and %s and %d", {"one"}), "one and %s and %d");
    EXPECT_EQ(Format("%1 %2 %9", {"a"}), "a %2 %9");
    // %n never writes, %p prints nothing of ours.
    EXPECT_EQ(Format("a%nb%p", {1, 2}), "ab%p");
    // A value of another kind is converted to what the marker asks for.
    EXPECT_EQ(Format("%d|%s|%.2f", {"12", 34, 5}), "12|34|5.00");
    // A huge width from a damaged translation is capped.
    EXPECT_EQ(Format("%999999999d", {1}).size(), 64u);
    EXPECT_EQ(Format("%.99999s", {std::string(300, 'x')}).size(), 64u);
    // Long texts go in whole.
    EXPECT_EQ(Format("<%s>", {std::string(1000, 'y')}).size(), 1002u);
    // A pattern ending in '%' or holding an unknown conversion keeps it.
    EXPECT_EQ(Format("50%", {}), "50%");
    EXPECT_EQ(Format("%y%", {1}), "%y%");
}

TEST(Format, MarkersAreFoundAsTheTranslationCheckSeesThem) {
    i18n::FormatMarker m = i18n::MarkerAt("%5.1f", 0);
    EXPECT_EQ(m.length, 5u);
    EXPECT_EQ(m.conversion, 'f');
    m = i18n::MarkerAt("%3 x", 0);
    EXPECT_EQ(m.length, 2u);
    EXPECT_EQ(m.positional, 3);
    m = i18n::MarkerAt("%%", 0);
    EXPECT_TRUE(m.percent);
    EXPECT_EQ(i18n::MarkerAt("%", 0).length, 0u);
    EXPECT_EQ(i18n::MarkerAt("% q", 0).length, 0u);
}

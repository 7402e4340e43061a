// The "Color" chooser's transparency levels, preview, saturation rule and custom swatches.
#include <gtest/gtest.h>

#include "app/profile.h"
#include "pages/editor/colour_chooser.h"
#include "support/temp_dir.h"

using namespace pages;

TEST(ColourChooser, SixteenTransparencyLevels) {
    EXPECT_EQ(TransparencyOfLevel(0), 0);
    EXPECT_EQ(TransparencyOfLevel(1), 16);
    EXPECT_EQ(TransparencyOfLevel(14), 224);
    EXPECT_EQ(TransparencyOfLevel(15), 255);
    EXPECT_EQ(LevelOfTransparency(0x80), 8);
    EXPECT_EQ(LevelOfTransparency(0x7F), 7);
    EXPECT_EQ(LevelOfTransparency(0xF0), 15);
    EXPECT_EQ(LevelOfTransparency(0xFF), 15);

    CColourChooser c(0x7F102030);
    EXPECT_EQ(c.red(), 0x30);
    EXPECT_EQ(c.green(), 0x20);
    EXPECT_EQ(c.blue(), 0x10);
    EXPECT_EQ(c.level(), 7);
    // Untouched, the colour comes back exactly, not rounded to its level.
    EXPECT_EQ(c.colour(), 0x7F102030u);
    c.setLevel(15);
    EXPECT_EQ(c.colour(), 0xFF102030u);
    c.setLevel(99);
    EXPECT_EQ(c.level(), 15);
    c.setRed(-5);
    c.setLevel(8);
    EXPECT_EQ(c.colour(), 0x80102000u);
}

TEST(ColourChooser, PreviewOverBlackAndWhite) {
    CColourChooser c(0x800000FF);  // red, half transparent (0x80)
    EXPECT_EQ(c.previewOver(false), 0x0000007Fu);
    EXPECT_EQ(c.previewOver(true), 0x008080FFu);
    c.setColour(0x00123456);
    EXPECT_EQ(c.previewOver(true), 0x00123456u);
    c.setColour(0xFF123456);
    EXPECT_EQ(c.previewOver(false), 0u);
}

TEST(ColourChooser, SaturatedColoursStayOutOfTheSwatches) {
    zxtest::TempDir d;
    app::Profile ini(d.file("ZENTRIX.INI"));
    ini.putInt("Colors", "Color2", 0x40302010);  // a stored transparency byte is not kept
    CColourChooser c(0x80000000);
    c.LoadSwatches(ini);
    EXPECT_EQ(c.swatch(2), 0x302010u);
    EXPECT_EQ(c.swatch(0), 0u);
    EXPECT_EQ(c.swatch(16), 0u);

    c.setRed(219);
    c.setGreen(219);
    c.setBlue(219);
    EXPECT_FALSE(c.saturated());
    ASSERT_TRUE(c.StoreSwatch(5, &ini));
    EXPECT_EQ(ini.getInt("Colors", "Color5", -1), 0xDBDBDB);  // without the transparency
    c.setGreen(220);
    EXPECT_TRUE(c.saturated());
    EXPECT_FALSE(c.StoreSwatch(6, &ini));
    EXPECT_FALSE(ini.hasKey("Colors", "Color6"));
    EXPECT_FALSE(c.StoreSwatch(16, &ini));

    // "Get" takes the swatch's colour and keeps the transparency level.
    ASSERT_TRUE(c.TakeSwatch(2));
    EXPECT_EQ(c.colour(), 0x80302010u);
    CColourChooser again;
    again.LoadSwatches(app::Profile(d.file("ZENTRIX.INI")));
    EXPECT_EQ(again.swatch(5), 0xDBDBDBu);
}

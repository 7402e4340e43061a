// The rules of the "Color" chooser used for frame, page and text colours: red, green and blue
// 0..255, sixteen transparency levels, the preview over black and white, and sixteen custom
// swatches kept in the settings ([Colors] Color0..Color15, colours without transparency) that
// refuse saturated colours.
#pragma once

#include <array>
#include <cstdint>

namespace app {
class Profile;
}

namespace pages {

enum : int {
    COLOUR_LEVELS = 16,
    COLOUR_SWATCHES = 16,
    COLOUR_SATURATED = 220,  // a colour byte from here on is "Saturated color!"
    IDS_COLOUR_TOO_SATURATED = 14044,
};

// Transparency byte of a level: level × 16, except that 15 is fully transparent (255).
uint8_t TransparencyOfLevel(int level);
// The level that shows a transparency byte: byte / 16 (255 is level 15).
int LevelOfTransparency(uint8_t transparency);

class CColourChooser {
public:
    explicit CColourChooser(uint32_t colour = 0);

    // Starts from a colour; colour() gives it back unchanged until something is edited, so
    // opening and closing the dialog never rounds a transparency to its level.
    void setColour(uint32_t colour);
    uint32_t colour() const;

    int red() const { return red_; }
    int green() const { return green_; }
    int blue() const { return blue_; }
    int level() const { return level_; }
    // Values are kept to their ranges (0..255, 0..15).
    void setRed(int v);
    void setGreen(int v);
    void setBlue(int v);
    void setLevel(int v);

    // Any of red, green, blue at 220 or more.
    bool saturated() const;
    static bool IsSaturated(uint32_t colour);

    // The colour as it shows over opaque black or white.
    uint32_t previewOver(bool white) const;

    // --- Custom swatches --------------------------------------------------------------------
    void LoadSwatches(const app::Profile& profile);
    uint32_t swatch(int index) const;
    // "Get": the swatch's red, green and blue; the transparency level stays.
    bool TakeSwatch(int index);
    // "Set": stores the current colour (without transparency) into a swatch and the settings.
    // False, storing nothing, for a saturated colour (the dialog shows 14044) or a bad index.
    bool StoreSwatch(int index, app::Profile* profile);

private:
    void edited() { edited_ = true; }

    uint32_t original_ = 0;
    bool edited_ = false;
    int red_ = 0, green_ = 0, blue_ = 0, level_ = 0;
    std::array<uint32_t, COLOUR_SWATCHES> swatches_{};
};

}  // namespace pages

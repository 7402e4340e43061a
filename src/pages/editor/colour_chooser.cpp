#include "pages/editor/colour_chooser.h"

#include <algorithm>
#include <string>

#include "app/profile.h"

namespace pages {

namespace {
constexpr const char* kSection = "Colors";
std::string swatchKey(int index) { return "Color" + std::to_string(index); }
}  // namespace

uint8_t TransparencyOfLevel(int level) {
    level = std::clamp(level, 0, COLOUR_LEVELS - 1);
    return level == COLOUR_LEVELS - 1 ? 255 : uint8_t(level * 16);
}

int LevelOfTransparency(uint8_t transparency) { return transparency >> 4; }

CColourChooser::CColourChooser(uint32_t colour) { setColour(colour); }

void CColourChooser::setColour(uint32_t c) {
    original_ = c;
    edited_ = false;
    red_ = int(c & 0xFF);
    green_ = int((c >> 8) & 0xFF);
    blue_ = int((c >> 16) & 0xFF);
    level_ = LevelOfTransparency(uint8_t(c >> 24));
}

uint32_t CColourChooser::colour() const {
    if (!edited_) return original_;
    return uint32_t(red_) | uint32_t(green_) << 8 | uint32_t(blue_) << 16 | uint32_t(TransparencyOfLevel(level_)) << 24;
}

void CColourChooser::setRed(int v) {
    v = std::clamp(v, 0, 255);
    if (v != red_) red_ = v, edited();
}
void CColourChooser::setGreen(int v) {
    v = std::clamp(v, 0, 255);
    if (v != green_) green_ = v, edited();
}
void CColourChooser::setBlue(int v) {
    v = std::clamp(v, 0, 255);
    if (v != blue_) blue_ = v, edited();
}
void CColourChooser::setLevel(int v) {
    v = std::clamp(v, 0, COLOUR_LEVELS - 1);
    if (v != level_) level_ = v, edited();
}

bool CColourChooser::IsSaturated(uint32_t c) {
    return int(c & 0xFF) >= COLOUR_SATURATED || int((c >> 8) & 0xFF) >= COLOUR_SATURATED ||
           int((c >> 16) & 0xFF) >= COLOUR_SATURATED;
}

bool CColourChooser::saturated() const { return IsSaturated(colour()); }

uint32_t CColourChooser::previewOver(bool white) const {
    const uint32_t c = colour();
    const uint32_t t = c >> 24, bg = white ? 255 : 0;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t byte = (c >> shift) & 0xFF;
        out |= ((t * bg + byte * (255 - t)) / 255) << shift;
    }
    return out;
}

void CColourChooser::LoadSwatches(const app::Profile& profile) {
    for (int i = 0; i < COLOUR_SWATCHES; ++i)
        swatches_[size_t(i)] = uint32_t(profile.getInt(kSection, swatchKey(i), 0)) & 0x00FFFFFF;
}

uint32_t CColourChooser::swatch(int index) const {
    return index >= 0 && index < COLOUR_SWATCHES ? swatches_[size_t(index)] : 0;
}

bool CColourChooser::TakeSwatch(int index) {
    if (index < 0 || index >= COLOUR_SWATCHES) return false;
    const uint32_t s = swatches_[size_t(index)];
    setRed(int(s & 0xFF));
    setGreen(int((s >> 8) & 0xFF));
    setBlue(int((s >> 16) & 0xFF));
    return true;
}

bool CColourChooser::StoreSwatch(int index, app::Profile* profile) {
    if (index < 0 || index >= COLOUR_SWATCHES || saturated()) return false;
    const uint32_t c = colour() & 0x00FFFFFF;
    swatches_[size_t(index)] = c;
    if (profile) profile->putInt(kSection, swatchKey(index), int(c));
    return true;
}

}  // namespace pages

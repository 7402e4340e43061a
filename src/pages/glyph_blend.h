// Blending one row of glyph pixels into 32-bit target pixels: the six font blending rules.
// Every rule is integer arithmetic with truncating divisions by 255 exactly as written below;
// the vector code gives the same bytes as the plain code, only faster.
//
//   colour, normal:        D = (S × (255 − T) + T × D) / 255
//   colour, inverted:      D = ((255 − S) × (255 − T) + T × 127) / 255
//   mono glyphs, normal:   P = (255 − T) × I;  D = (P × C / 255 + T × D) / 255
//   mono glyphs, inverted: D = ((255 − C) × P / 255 + T × 127) / 255
//   mono shadows:          D = (P + T × D) / 255
//   always:                target transparency = min(T, target transparency)
#pragma once

#include <cstddef>
#include <cstdint>

namespace pages {

enum BlendMode : int { BLEND_COLOUR, BLEND_COLOUR_INVERTED, BLEND_MONO, BLEND_MONO_INVERTED, BLEND_MONO_SHADOW };

// src: n glyph pixels (4 bytes blue, green, red, transparency for colour fonts; 2 bytes
// intensity, transparency for monochrome ones); dst: n target pixels; colour: the tint bytes in
// pixel order (blue, green, red).
using BlendRowFn = void (*)(const uint8_t* src, uint8_t* dst, int n, const uint8_t* colour);
BlendRowFn BlendRowFor(BlendMode mode);

// The same rules one pixel at a time, without the vector code (for comparison in tests).
BlendRowFn PlainBlendRowFor(BlendMode mode);

// True for the modes in which a fully transparent glyph pixel leaves the target unchanged.
inline bool KeepsTargetUnderTransparent(BlendMode mode) {
    return mode == BLEND_COLOUR || mode == BLEND_MONO || mode == BLEND_MONO_SHADOW;
}

// A whole glyph: rows × columns c0..c1-1 of glyph pixels (src: column 0 of the first row,
// srcStride bytes a row) onto the target (dst: the pixel under column c0 of the first row,
// dstStride bytes a row). spans, when given, holds for every row the first column and one past
// the last column that is not fully transparent; only the modes that keep the target under
// transparent pixels may pass them, and outside them nothing changes.
using BlendGlyphFn = void (*)(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride, int rows, int c0,
                              int c1, const uint8_t* spans, const uint8_t* colour);
BlendGlyphFn BlendGlyphFor(BlendMode mode);

}  // namespace pages

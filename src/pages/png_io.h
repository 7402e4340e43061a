// PNG pictures of 32-bit bitmaps, for previews and inspection from the command line. The
// transparency byte becomes the PNG's alpha (alpha = 255 - transparency).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {

// Encodes the pixels as an 8-bit RGBA PNG. False when the bitmap is empty.
bool EncodePng(const BitmapView& bitmap, std::vector<uint8_t>& out);
// Writes a PNG file atomically. False when it cannot be encoded or written.
bool WritePng(const std::string& path, const BitmapView& bitmap);
inline bool WritePng(const std::string& path, CBitmap32& bitmap) { return WritePng(path, bitmap.view()); }

// Reads a PNG file of any colour type into a 32-bit bitmap (transparency = 255 - alpha). False,
// leaving the bitmap empty, when the file cannot be read or is not a sound PNG.
bool ReadPng(const std::string& path, CBitmap32& out);
bool DecodePng(const uint8_t* data, size_t size, CBitmap32& out);

}  // namespace pages

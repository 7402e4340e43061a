// BMP and TGA pictures: the two readers that turn outside pictures into 32-bit bitmaps, and the
// TGA writer that stores a bitmap with its transparency.
//
// Accepted: BMP with 16 (5-5-5), 24 or 32 bits per pixel, uncompressed, either row order; TGA
// true-colour, plain (type 2) or run-length encoded (type 10), 15, 16, 24 or 32 bits per pixel,
// left-to-right, either row order. Everything else is a format error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {

// Outcome of reading a picture: 0, or the id of the message that reports the failure (with the
// path as %1).
enum : int {
    PICTURE_OK = 0,
    PICTURE_OPEN_ERROR = 3030,    // "Error opening picture file"
    PICTURE_FORMAT_ERROR = 3031,  // "Bad file format ... only 16/24/32 bits per pixel BMP or TGA"
};

// The largest picture the readers accept (8192 × 8192 pixels, a 256 MB bitmap). Every other
// size is checked against the data the file really holds.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 26;

// Decoders of a whole file in memory. On success out holds the picture; on failure out is left
// as it was. Never reads outside [data, data + size).
int DecodeBmp(const uint8_t* data, size_t size, CBitmap32& out);
// inverseTGA: the fourth byte of 32-bit pixels holds opacity (tools that are not ours), so it
// is inverted into transparency.
int DecodeTga(const uint8_t* data, size_t size, bool inverseTGA, CBitmap32& out);
// "BM" at the start reads as BMP, anything else as TGA.
int DecodePicture(const uint8_t* data, size_t size, bool inverseTGA, CBitmap32& out);

// Reads a picture file. PICTURE_OPEN_ERROR when it cannot be opened or is not a regular file
// (a pipe or a device never blocks the reader).
int ReadPictureFile(const std::string& path, bool inverseTGA, CBitmap32& out);

// The TGA file of a bitmap: 18-byte header (type 2, 32 bits, descriptor 0x28: rows top-down, 8
// attribute bits), then the pixels as stored. Empty for an empty bitmap or one whose sides do
// not fit the header's 16 bits.
std::vector<uint8_t> EncodeTga(const CBitmap32& bitmap);
// Writes EncodeTga's bytes (atomically). FILE_OK, or FILE_SAVE_ERROR when there is nothing to
// write or the file cannot be written.
int WriteTGA(const CBitmap32& bitmap, const std::string& path);

}  // namespace pages

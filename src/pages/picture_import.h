// Pictures as the program imports them: reading with the operator's messages, the pair of one
// artwork drawn on white and on black that gives a picture its transparency, and the noise
// ("Dither") added to imported pictures.
#pragma once

#include <cstdint>
#include <string>

#include "pages/bitmap32.h"
#include "pages/picture_io.h"

namespace pages {

// The "InverseTGA" setting ([Start]) of the running program; off without one.
bool InverseTgaSetting();

// Reads a BMP or TGA file with the program's InverseTGA setting: PICTURE_OK, PICTURE_OPEN_ERROR
// or PICTURE_FORMAT_ERROR. out changes only on success.
int LoadPicture(const std::string& path, CBitmap32& out);

// Shows the message of a failed read (3030 or 3031 with the path); nothing for PICTURE_OK.
void ShowPictureError(int code, const std::string& path);

// "read picture": false on failure, after showing 3030 / 3031 when report is set.
bool ReadPicture(const std::string& path, bool report, CBitmap32& out);

// "read picture with pair": reads the picture; a ".bmp" file whose partner (PartnerOfPicture)
// exists, reads, and has the same size is replaced by the combination of the pair. A partner
// that is missing, unreadable or of another size leaves the single picture, silently.
bool ReadPictureWithPair(const std::string& path, bool report, CBitmap32& out, bool monochrome = false);

// The pair step alone, for a picture already read from path: returns the partner's path when
// the picture was replaced by the combination, "" when it was left alone.
std::string CombineWithPartner(const std::string& path, bool inverseTGA, bool monochrome, CBitmap32& picture);

// Whether a file's title (name without folder and extension) marks the picture on white: it
// ends in "_w" or "_W" and has at least three characters.
bool IsPictureOnWhite(const std::string& path);

// The partner of a picture as imports look for it: a picture on white pairs with its path
// without the "_w"; any other with its title plus "_W" (logo.bmp pairs with logo_W.bmp).
std::string PartnerOfPicture(const std::string& path);

// The partner the "BMP -> TGA converter" fills in: for a picture on white its title without the
// final "_w"/"_W" ("" when the title does not end so); for a picture on black its title plus
// "_w" (lower case).
std::string ConverterPartner(const std::string& path, bool pathIsOnWhite);

// Combines a pair of the same size into a picture with transparency: opacity from how much
// darker the picture on black is, colour from both. monochrome makes every pixel grey (the
// brightest of its colour bytes). False, leaving out as it was, when the sizes differ or a
// picture is empty.
bool CombinePair(const CBitmap32& onWhite, const CBitmap32& onBlack, bool monochrome, CBitmap32& out);

// Reads a pair of files and combines them. Returns PICTURE_OK, the read error of the first
// picture that failed (failedPath names it), or PICTURE_SIZE_MISMATCH (22080, with the black and
// the white picture's paths).
enum : int { PICTURE_SIZE_MISMATCH = 22080 };
int CombinePairFiles(const std::string& onWhite, const std::string& onBlack, bool monochrome, CBitmap32& out,
                     std::string* failedPath = nullptr);
// The same with the messages shown; false on any failure.
bool CombinePairFilesWithMessages(const std::string& onWhite, const std::string& onBlack, bool monochrome,
                                  CBitmap32& out);

// The C runtime's rand(): state = state × 214013 + 2531011, result (state >> 16) & 0x7FFF.
class DitherRandom {
public:
    explicit DitherRandom(uint32_t seed = 1) : state_(seed) {}
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFF);
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

// Adds noise of -10..-5 to about three quarters of all bytes (transparency included), drawing
// from rng; a byte that would leave 0..255 is kept.
void Dither(CBitmap32& bitmap, DitherRandom& rng);
// The same from the program's own sequence (one per thread, starting at seed 1 like the C
// runtime's rand() without srand()).
void Dither(CBitmap32& bitmap);

// A picture imported into a frame or as a page background: read with its pair and the messages,
// then dithered when the editor's "Dither" setting is on. False when reading failed.
bool ImportPicture(const std::string& path, bool dither, CBitmap32& out);

}  // namespace pages

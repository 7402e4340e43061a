// The analogue clock: a face kept as a Device picture and three hands kept as 768 x 768 pictures
// pointing to 3 o'clock, stored in a clock file (".zck") and rendered each second into Device
// picture blocks of the area the hands cover, one second ahead into one of two buffers.
//
// Clock file, little-endian:
//   0  "ZCLK"              4  version 0x00010000
//   8  three rectangles (left, top, right, bottom, i32), hands 0..2, relative to the centre
//   56 centre x            60 centre y
//   64 step choice per hand (bytes)   67 shadows (0/1)
//   68 shadow x offsets (3 x i32)     80 shadow y offsets (3 x i32)
//   92 hands below the face (0/1)     93 reserved, zero
//   128 thumbnail 360 x 288 x 4       414848 face block (Device picture of 720 x 576)
//   1244290 hand images 0, 1, 2 (768 x 768 x 4 each)                 total 8,322,178 bytes
// Hand 0 is the second's hand, 1 the minute's, 2 the hour's, everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "device/command_set.h"
#include "pages/bitmap32.h"

namespace platform {
class ByteReader;
}

namespace wizards {

constexpr uint32_t CLOCK_VERSION = 0x00010000;
constexpr size_t CLOCK_HEADER_SIZE = 128;
constexpr int32_t CLOCK_THUMB_WIDTH = 360, CLOCK_THUMB_HEIGHT = 288;
constexpr size_t CLOCK_THUMB_BYTES = size_t(CLOCK_THUMB_WIDTH) * CLOCK_THUMB_HEIGHT * 4;  // 414720
constexpr size_t CLOCK_FACE_OFFSET = CLOCK_HEADER_SIZE + CLOCK_THUMB_BYTES;               // 414848
constexpr size_t CLOCK_FACE_BYTES = 829442;
constexpr int32_t CLOCK_CANVAS = 768;  // side of a hand picture
constexpr int32_t CLOCK_CANVAS_CENTRE = 384;
constexpr size_t CLOCK_CANVAS_BYTES = size_t(CLOCK_CANVAS) * CLOCK_CANVAS * 4;   // 2359296
constexpr size_t CLOCK_HANDS_OFFSET = CLOCK_FACE_OFFSET + CLOCK_FACE_BYTES;      // 1244290
constexpr size_t CLOCK_FILE_SIZE = CLOCK_HANDS_OFFSET + 3 * CLOCK_CANVAS_BYTES;  // 8322178

// The work area a render produces its pixels in: the clock's centre sits at (270, 288).
constexpr int32_t CLOCK_AREA_WIDTH = 540, CLOCK_AREA_HEIGHT = 576;
constexpr int32_t CLOCK_AREA_CX = 270, CLOCK_AREA_CY = 288;
constexpr size_t CLOCK_BUFFER_BYTES = 2 + size_t(CLOCK_AREA_WIDTH) * CLOCK_AREA_HEIGHT * 2;  // 622082
// The second buffer's half of the Device's frame store.
constexpr int32_t CLOCK_HALF_OFFSET = 768;

enum : int { HAND_SECOND = 0, HAND_MINUTE = 1, HAND_HOUR = 2, HAND_COUNT = 3 };

// The maker's tables. Steps: minute's hand in seconds, hour's hand in minutes.
constexpr int kClockSteps[7] = {1, 2, 5, 12, 15, 30, 60};
constexpr int kClockStepChoices = 7;
// Light source by choice: left/top, center, right/bottom.
constexpr int kLightDirections[3] = {-1, 0, 1};
constexpr int kHandHeights[4] = {2, 4, 6, 8};
constexpr int kHeightSteps[4] = {1, 1, 2, 2};

// Limits of what the maker can make: the centre, the hands' half height and the shadows.
constexpr int32_t CLOCK_MIN_CX = 16, CLOCK_MAX_CX = 703, CLOCK_MIN_CY = 16, CLOCK_MAX_CY = 559;
constexpr int32_t CLOCK_MAX_RADIUS = 254;
constexpr int32_t CLOCK_HAND_HALF_HEIGHT = 50;
constexpr int32_t CLOCK_MAX_SHADOW = 8;

struct ClockHeader {
    pages::Rect hands[HAND_COUNT];  // the used part of each hand picture, relative to the centre
    int32_t centreX = 0, centreY = 0;
    uint8_t steps[HAND_COUNT] = {0, 2, 2};  // step choices (hand 0 always 0)
    bool shadows = false;
    int32_t shadowX[HAND_COUNT] = {0, 0, 0};
    int32_t shadowY[HAND_COUNT] = {0, 0, 0};
    bool belowFace = false;
    bool operator==(const ClockHeader&) const = default;
};

// The hands' radius for a centre: the distance to the nearest edge the rotation may reach,
// at most 254.
int32_t HandRadius(int32_t centreX, int32_t centreY);

// Decodes the 128-byte header: FILE_OK, 0x103 without the magic or with a value the maker cannot
// make (the renderer relies on them to stay inside its pictures), 0x104 for another version.
int ParseClockHeader(const uint8_t* data, size_t size, ClockHeader& out);
// Whether the values are ones the maker makes: centre 16..703 x 16..559, rectangles within
// ±R x ±50 or empty, step choices 0..6, shadow offsets within ±8.
bool ClockHeaderValid(const ClockHeader& h);
std::vector<uint8_t> ClockHeaderBytes(const ClockHeader& h);

// Hand angles in tenths of a degree, clockwise from 12 o'clock.
struct HandAngles {
    int a[HAND_COUNT] = {0, 0, 0};
};
HandAngles ClockAngles(const ClockHeader& h, int hours, int minutes, int seconds);

class CClockImage final : public air::AirClock {
public:
    CClockImage();
    ~CClockImage() override;
    CClockImage(const CClockImage&) = delete;
    CClockImage& operator=(const CClockImage&) = delete;

    // ---- The file ----
    // Reads a whole clock file. FILE_OK; 0x101 when it cannot be opened, 0x103 when it is not a
    // clock file, is short, or holds a value the maker cannot make, 0x104 for another version.
    // On failure the object keeps the clock it had.
    int Load(const std::string& path);
    // The same for a whole file in memory (codes 0x103 and 0x104).
    int LoadFromMemory(const uint8_t* data, size_t size);
    // The thumbnail alone, into a picture of the caller's (a preview never touches a clock that
    // may be on air). The same codes; out changes only on success.
    static int ReadThumbnail(const std::string& path, pages::CBitmap32& out);
    static int ThumbnailFromMemory(const uint8_t* data, size_t size, pages::CBitmap32& out);
    // Writes everything in the file's order, atomically: FILE_OK, or 0x102 (also without a clock).
    int Save(const std::string& path) const;
    // Forgets the clock and frees the buffers.
    void Clear();
    bool loaded() const { return loaded_; }

    // ---- What the maker fills in ----
    ClockHeader& header() { return header_; }
    const ClockHeader& header() const { return header_; }
    pages::CBitmap32& thumbnail() { return thumbnail_; }
    const pages::CBitmap32& thumbnail() const { return thumbnail_; }
    pages::CBitmap32& hand(int i) { return hands_[size_t(i)]; }
    const pages::CBitmap32& hand(int i) const { return hands_[size_t(i)]; }
    const std::vector<uint8_t>& face() const { return *face_; }
    // Takes over a face block (CLOCK_FACE_BYTES) and marks the clock as made.
    void setFace(std::vector<uint8_t> block);

    // ---- Run-time ----
    // Forgets what was drawn: both buffers' last areas empty, buffer 0 current.
    void Reset();
    // Writes the block of the area that must change into the current buffer and sets that
    // buffer's target (Device store coordinates). The caller sends it and switches the buffer.
    // Nothing happens without a clock.
    void Render(int hours, int minutes, int seconds, bool checksum);
    void SwitchBuffer() { current_ ^= 1; }
    int currentBuffer() const { return current_; }
    // The area drawn last into a buffer (work-area coordinates, see CLOCK_AREA_*), the target
    // of its block, and the block itself (nullptr before the first render).
    const pages::Rect& lastArea(int buffer) const { return buffers_[size_t(buffer & 1)].last; }
    const device::Rect& target(int buffer) const { return buffers_[size_t(buffer & 1)].target; }
    const uint8_t* block(int buffer) const;
    size_t blockSize(int buffer) const { return buffers_[size_t(buffer & 1)].size; }
    // The last render: the hands' box and the area produced (work-area coordinates), and the
    // 540 x 576 work picture whose area holds the pixels before conversion.
    const pages::Rect& lastBox() const { return box_; }
    const pages::Rect& lastRendered() const { return area_; }
    const pages::CBitmap32& layer() const { return layer_; }

    // ---- air::AirClock ----
    bool Prepare() override;
    device::DataRef FullFrame() const override;
    const pages::CBitmap32* Preview() const override { return &thumbnail_; }
    bool HandsBelowFace() const override { return header_.belowFace; }
    bool BufferFlag() const override { return current_ != 0; }
    device::Rect HiddenRect() const override { return target(current_ ^ 1); }
    device::DataRef HiddenBlock() const override;
    // Renders with checksums and switches the buffer.
    void Render(int hours, int minutes, int seconds) override;
    int LoadForAir(const std::string& path) override { return Load(path); }
    int LoadPreview(const std::string& path, pages::CBitmap32& out) const override { return ReadThumbnail(path, out); }

private:
    int LoadFrom(platform::ByteReader& r);
    static int ReadThumbnailFrom(platform::ByteReader& r, pages::CBitmap32& out);
    struct Buffer {
        std::shared_ptr<std::vector<uint8_t>> data;  // shared, so a block being sent outlives a Clear
        size_t size = 0;
        pages::Rect last;
        device::Rect target;
    };
    void allocate();

    bool loaded_ = false;
    ClockHeader header_;
    pages::CBitmap32 thumbnail_;
    std::shared_ptr<std::vector<uint8_t>> face_;
    std::array<pages::CBitmap32, HAND_COUNT> hands_;
    std::array<Buffer, 2> buffers_;
    int current_ = 0;
    pages::Rect box_, area_;
    pages::CBitmap32 layer_;
    std::vector<uint8_t> covered_;  // per pixel of the work picture: some layer covers it
};

}  // namespace wizards

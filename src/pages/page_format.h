// The fixed-size blocks of a page: the three 64-byte format blocks stored with every frame,
// paragraph and run, the 128-byte page summary and the 32-byte Device data header. Each is read
// and written field by field, little-endian; reserved bytes are kept as they were read. A read
// that runs short leaves the reader failed and the block's fields zero.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/bitmap32.h"

namespace platform {
class ByteReader;
class ByteWriter;
}  // namespace platform

namespace pages {

// A colour whose transparency byte is 0xF0 or more is not drawn at all.
inline bool IsVisibleColour(uint32_t colour) { return TransparencyOf(colour) < 0xF0; }

enum FrameType : int32_t { FRAME_FIXED = 0, FRAME_SCROLLER = 1, FRAME_ROLL = 2 };
enum VAlign : int32_t { VALIGN_TOP = 0, VALIGN_CENTER = 1, VALIGN_BOTTOM = 2 };
enum Align : int32_t { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

enum : size_t { FORMAT_BLOCK_SIZE = 64, SUMMARY_SIZE = 128, DEVICE_HEADER_SIZE = 32 };

struct FrameFormat {
    int32_t type = FRAME_FIXED;
    int32_t vAlign = VALIGN_TOP;
    uint32_t colour = 0x80000000;
    int32_t border = 0;           // 0..14; moving and banner frames only
    int32_t backgroundFrame = 0;  // moving and banner frames only
    int32_t hasPicture = 0;
    int32_t bannerLink = 0;
    uint8_t reserved[36] = {};

    void Read(platform::ByteReader& r);
    void Write(platform::ByteWriter& w) const;
    // Field by field, reserved bytes included: equal blocks are stored alike.
    bool operator==(const FrameFormat&) const = default;
};
static_assert(sizeof(FrameFormat) == FORMAT_BLOCK_SIZE, "the fields fill the stored block exactly");

struct ParaFormat {
    int32_t align = ALIGN_LEFT;
    int32_t lineSpacing = 0;  // rows after every line
    int32_t leftMargin = 0;
    int32_t rightMargin = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    int32_t indent = 0;  // first line, added to the left margin
    uint8_t reserved[36] = {};

    void Read(platform::ByteReader& r);
    void Write(platform::ByteWriter& w) const;
    // Field by field, reserved bytes included: equal blocks are stored alike.
    bool operator==(const ParaFormat&) const = default;
};
static_assert(sizeof(ParaFormat) == FORMAT_BLOCK_SIZE, "the fields fill the stored block exactly");

struct TextFormat {
    char font[32] = {};  // zero-terminated
    int32_t level = 1;   // 0 subscript, 1 normal, 2 superscript
    int32_t tint = 0;    // 1: monochrome font, the colour applies
    uint32_t colour = 0x00FFFFFF;
    uint8_t reserved[20] = {};

    std::string fontName() const;
    // Stores a name, cut to 31 characters.
    void setFontName(std::string_view name);
    // Equal when the fonts (ignoring case) and levels are, and both are colour fonts or both
    // tinted in the same colour.
    bool sameFormat(const TextFormat& o) const;

    void Read(platform::ByteReader& r);
    void Write(platform::ByteWriter& w) const;
    // Field by field, reserved bytes included: equal blocks are stored alike.
    bool operator==(const TextFormat&) const = default;
};
static_assert(sizeof(TextFormat) == FORMAT_BLOCK_SIZE, "the fields fill the stored block exactly");

enum : uint32_t {
    SUMMARY_BACKGROUND_PICTURE = 0x01,
    SUMMARY_MOVING = 0x02,
    SUMMARY_NOT_SCROLLER = 0x04,  // the moving frame is a Roll
    SUMMARY_BACKGROUND_FRAME = 0x08,
    SUMMARY_FILTERED = 0x10,
};

// What playout needs to know of a page without reading its frames.
struct PageSummary {
    int32_t movingType = 0;
    int32_t reserved0 = 0;
    int32_t textLength = 0;  // along the motion, at least 2 when there is a moving frame
    uint32_t flags = 0;
    Rect bounds;  // everything visible
    Rect moving;  // the moving frame
    char description[64] = {};
    uint8_t border = 0;
    uint8_t reserved[15] = {};

    std::string descriptionText() const;

    void Read(platform::ByteReader& r);
    void Write(platform::ByteWriter& w) const;
    bool operator==(const PageSummary&) const = default;
};
static_assert(sizeof(PageSummary) == SUMMARY_SIZE, "the fields fill the stored block exactly");

enum : uint8_t { DEVICE_UNIFORM = 0x01, DEVICE_HAS_STRIP = 0x02 };

struct DeviceHeader {
    uint32_t stillSize = 0;  // DEVICE_STILL_SIZE, or 6 for a uniform page
    uint32_t stripSize = 0;
    uint32_t chunkCount = 0;
    uint32_t chunkBytes = 0;   // of a full chunk: X × 512 + 2
    uint32_t stripLength = 0;  // L
    uint8_t flags = 0;
    uint8_t reserved[11] = {};

    // Bytes of Device data that follow the header.
    uint64_t dataSize() const { return uint64_t(stillSize) + stripSize; }
    // True when the fields describe a still and strip that playout can send safely.
    bool consistent() const;

    void Read(platform::ByteReader& r);
    void Write(platform::ByteWriter& w) const;
    bool operator==(const DeviceHeader&) const = default;
};
static_assert(sizeof(DeviceHeader) == DEVICE_HEADER_SIZE, "the fields fill the stored block exactly");

// Strip geometry of a moving frame: L along the motion, X across it.
uint32_t StripChunkCount(uint32_t length);
uint64_t StripSize(uint32_t length, uint32_t cross);

}  // namespace pages

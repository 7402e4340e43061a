#include "pages/page_format.h"

#include <cstring>

#include "pages/device_picture.h"
#include "platform/files.h"

namespace pages {

namespace {

int32_t getI32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
uint32_t getU32(const uint8_t* p) { return uint32_t(getI32(p)); }
void putU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void putI32(uint8_t* p, int32_t v) { putU32(p, uint32_t(v)); }

Rect getRect(const uint8_t* p) { return {getI32(p), getI32(p + 4), getI32(p + 8), getI32(p + 12)}; }
void putRect(uint8_t* p, const Rect& r) {
    putI32(p, r.left);
    putI32(p + 4, r.top);
    putI32(p + 8, r.right);
    putI32(p + 12, r.bottom);
}

}  // namespace

// --- FrameFormat -------------------------------------------------------------------------------

void FrameFormat::Read(const uint8_t* p) {
    type = getI32(p);
    vAlign = getI32(p + 4);
    colour = getU32(p + 8);
    border = getI32(p + 12);
    backgroundFrame = getI32(p + 16);
    hasPicture = getI32(p + 20);
    bannerLink = getI32(p + 24);
    std::memcpy(reserved, p + 28, sizeof reserved);
}

void FrameFormat::Write(uint8_t* p) const {
    putI32(p, type);
    putI32(p + 4, vAlign);
    putU32(p + 8, colour);
    putI32(p + 12, border);
    putI32(p + 16, backgroundFrame);
    putI32(p + 20, hasPicture);
    putI32(p + 24, bannerLink);
    std::memcpy(p + 28, reserved, sizeof reserved);
}

// --- ParaFormat --------------------------------------------------------------------------------

void ParaFormat::Read(const uint8_t* p) {
    align = getI32(p);
    lineSpacing = getI32(p + 4);
    leftMargin = getI32(p + 8);
    rightMargin = getI32(p + 12);
    spaceBefore = getI32(p + 16);
    spaceAfter = getI32(p + 20);
    indent = getI32(p + 24);
    std::memcpy(reserved, p + 28, sizeof reserved);
}

void ParaFormat::Write(uint8_t* p) const {
    putI32(p, align);
    putI32(p + 4, lineSpacing);
    putI32(p + 8, leftMargin);
    putI32(p + 12, rightMargin);
    putI32(p + 16, spaceBefore);
    putI32(p + 20, spaceAfter);
    putI32(p + 24, indent);
    std::memcpy(p + 28, reserved, sizeof reserved);
}

// --- TextFormat --------------------------------------------------------------------------------

std::string TextFormat::fontName() const { return std::string(font, strnlen(font, sizeof font)); }

void TextFormat::setFontName(std::string_view name) {
    std::memset(font, 0, sizeof font);
    std::memcpy(font, name.data(), std::min(name.size(), sizeof font - 1));
}

bool TextFormat::sameFormat(const TextFormat& o) const {
    if (!platform::EqualsNoCase(fontName(), o.fontName()) || level != o.level) return false;
    if (tint == 0 && o.tint == 0) return true;
    return tint == o.tint && colour == o.colour;
}

void TextFormat::Read(const uint8_t* p) {
    std::memcpy(font, p, sizeof font);
    font[sizeof font - 1] = 0;  // a damaged name never runs past its field
    level = getI32(p + 32);
    tint = getI32(p + 36);
    colour = getU32(p + 40);
    std::memcpy(reserved, p + 44, sizeof reserved);
}

void TextFormat::Write(uint8_t* p) const {
    std::memcpy(p, font, sizeof font);
    putI32(p + 32, level);
    putI32(p + 36, tint);
    putU32(p + 40, colour);
    std::memcpy(p + 44, reserved, sizeof reserved);
}

// --- PageSummary -------------------------------------------------------------------------------

std::string PageSummary::descriptionText() const {
    return std::string(description, strnlen(description, sizeof description));
}

void PageSummary::Read(const uint8_t* p) {
    movingType = getI32(p);
    reserved0 = getI32(p + 4);
    textLength = getI32(p + 8);
    flags = getU32(p + 12);
    bounds = getRect(p + 16);
    moving = getRect(p + 32);
    std::memcpy(description, p + 48, sizeof description);
    description[sizeof description - 1] = 0;
    border = p[112];
    std::memcpy(reserved, p + 113, sizeof reserved);
}

void PageSummary::Write(uint8_t* p) const {
    putI32(p, movingType);
    putI32(p + 4, reserved0);
    putI32(p + 8, textLength);
    putU32(p + 12, flags);
    putRect(p + 16, bounds);
    putRect(p + 32, moving);
    std::memcpy(p + 48, description, sizeof description);
    p[112] = border;
    std::memcpy(p + 113, reserved, sizeof reserved);
}

bool PageSummary::operator==(const PageSummary& o) const {
    uint8_t a[SUMMARY_SIZE], b[SUMMARY_SIZE];
    Write(a);
    o.Write(b);
    return std::memcmp(a, b, sizeof a) == 0;
}

// --- DeviceHeader ------------------------------------------------------------------------------

uint32_t StripChunkCount(uint32_t length) { return (length + 255) / 256; }

uint64_t StripSize(uint32_t length, uint32_t cross) {
    uint64_t size = uint64_t(length / 256) * (uint64_t(cross) * 512 + 2);
    if (length % 256) size += uint64_t(length % 256) * cross * 2 + 2;
    return size;
}

bool DeviceHeader::consistent() const {
    if (stillSize != 0 && stillSize != DEVICE_UNIFORM_STILL_SIZE && stillSize != DEVICE_STILL_SIZE) return false;
    if (stripSize == 0) return chunkCount == 0;
    if (chunkBytes < 514 || (chunkBytes - 2) % 512 != 0 || stripLength == 0) return false;
    const uint32_t cross = (chunkBytes - 2) / 512;
    return chunkCount == StripChunkCount(stripLength) && stripSize == StripSize(stripLength, cross);
}

void DeviceHeader::Read(const uint8_t* p) {
    stillSize = getU32(p);
    stripSize = getU32(p + 4);
    chunkCount = getU32(p + 8);
    chunkBytes = getU32(p + 12);
    stripLength = getU32(p + 16);
    flags = p[20];
    std::memcpy(reserved, p + 21, sizeof reserved);
}

void DeviceHeader::Write(uint8_t* p) const {
    putU32(p, stillSize);
    putU32(p + 4, stripSize);
    putU32(p + 8, chunkCount);
    putU32(p + 12, chunkBytes);
    putU32(p + 16, stripLength);
    p[20] = flags;
    std::memcpy(p + 21, reserved, sizeof reserved);
}

bool DeviceHeader::operator==(const DeviceHeader& o) const {
    uint8_t a[DEVICE_HEADER_SIZE], b[DEVICE_HEADER_SIZE];
    Write(a);
    o.Write(b);
    return std::memcmp(a, b, sizeof a) == 0;
}

}  // namespace pages

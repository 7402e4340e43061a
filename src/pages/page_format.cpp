#include "pages/page_format.h"

#include <cstring>

#include "pages/device_picture.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace pages {

namespace {

Rect readRect(platform::ByteReader& r) {
    Rect rect;
    rect.left = r.i32();
    rect.top = r.i32();
    rect.right = r.i32();
    rect.bottom = r.i32();
    return rect;
}
void writeRect(platform::ByteWriter& w, const Rect& r) {
    w.i32(r.left);
    w.i32(r.top);
    w.i32(r.right);
    w.i32(r.bottom);
}

}  // namespace

// --- FrameFormat -------------------------------------------------------------------------------

void FrameFormat::Read(platform::ByteReader& r) {
    type = r.i32();
    vAlign = r.i32();
    colour = r.u32();
    border = r.i32();
    backgroundFrame = r.i32();
    hasPicture = r.i32();
    bannerLink = r.i32();
    r.bytes(reserved, sizeof reserved);
}

void FrameFormat::Write(platform::ByteWriter& w) const {
    w.i32(type);
    w.i32(vAlign);
    w.u32(colour);
    w.i32(border);
    w.i32(backgroundFrame);
    w.i32(hasPicture);
    w.i32(bannerLink);
    w.bytes(reserved, sizeof reserved);
}

// --- ParaFormat --------------------------------------------------------------------------------

void ParaFormat::Read(platform::ByteReader& r) {
    align = r.i32();
    lineSpacing = r.i32();
    leftMargin = r.i32();
    rightMargin = r.i32();
    spaceBefore = r.i32();
    spaceAfter = r.i32();
    indent = r.i32();
    r.bytes(reserved, sizeof reserved);
}

void ParaFormat::Write(platform::ByteWriter& w) const {
    w.i32(align);
    w.i32(lineSpacing);
    w.i32(leftMargin);
    w.i32(rightMargin);
    w.i32(spaceBefore);
    w.i32(spaceAfter);
    w.i32(indent);
    w.bytes(reserved, sizeof reserved);
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

void TextFormat::Read(platform::ByteReader& r) {
    r.bytes(font, sizeof font);
    font[sizeof font - 1] = 0;  // a damaged name never runs past its field
    level = r.i32();
    tint = r.i32();
    colour = r.u32();
    r.bytes(reserved, sizeof reserved);
}

void TextFormat::Write(platform::ByteWriter& w) const {
    w.bytes(font, sizeof font);
    w.i32(level);
    w.i32(tint);
    w.u32(colour);
    w.bytes(reserved, sizeof reserved);
}

// --- PageSummary -------------------------------------------------------------------------------

std::string PageSummary::descriptionText() const {
    return std::string(description, strnlen(description, sizeof description));
}

void PageSummary::Read(platform::ByteReader& r) {
    movingType = r.i32();
    reserved0 = r.i32();
    textLength = r.i32();
    flags = r.u32();
    bounds = readRect(r);
    moving = readRect(r);
    r.bytes(description, sizeof description);
    description[sizeof description - 1] = 0;
    border = r.u8();
    r.bytes(reserved, sizeof reserved);
}

void PageSummary::Write(platform::ByteWriter& w) const {
    w.i32(movingType);
    w.i32(reserved0);
    w.i32(textLength);
    w.u32(flags);
    writeRect(w, bounds);
    writeRect(w, moving);
    w.bytes(description, sizeof description);
    w.u8(border);
    w.bytes(reserved, sizeof reserved);
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

void DeviceHeader::Read(platform::ByteReader& r) {
    stillSize = r.u32();
    stripSize = r.u32();
    chunkCount = r.u32();
    chunkBytes = r.u32();
    stripLength = r.u32();
    flags = r.u8();
    r.bytes(reserved, sizeof reserved);
}

void DeviceHeader::Write(platform::ByteWriter& w) const {
    w.u32(stillSize);
    w.u32(stripSize);
    w.u32(chunkCount);
    w.u32(chunkBytes);
    w.u32(stripLength);
    w.u8(flags);
    w.bytes(reserved, sizeof reserved);
}

}  // namespace pages

#include "pages/page_format.h"

#include <cstring>

#include "pages/device_picture.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace pages {

// --- FrameFormat -------------------------------------------------------------------------------

void FrameFormat::Read(platform::ByteReader& r) {
    r.fields(type, vAlign, colour, border, backgroundFrame, hasPicture, bannerLink, reserved);
}

void FrameFormat::Write(platform::ByteWriter& w) const {
    w.fields(type, vAlign, colour, border, backgroundFrame, hasPicture, bannerLink, reserved);
}

// --- ParaFormat --------------------------------------------------------------------------------

void ParaFormat::Read(platform::ByteReader& r) {
    r.fields(align, lineSpacing, leftMargin, rightMargin, spaceBefore, spaceAfter, indent, reserved);
}

void ParaFormat::Write(platform::ByteWriter& w) const {
    w.fields(align, lineSpacing, leftMargin, rightMargin, spaceBefore, spaceAfter, indent, reserved);
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
    r.fields(font, level, tint, colour, reserved);
    font[sizeof font - 1] = 0;  // a damaged name never runs past its field
}

void TextFormat::Write(platform::ByteWriter& w) const { w.fields(font, level, tint, colour, reserved); }

// --- PageSummary -------------------------------------------------------------------------------

std::string PageSummary::descriptionText() const {
    return std::string(description, strnlen(description, sizeof description));
}

void PageSummary::Read(platform::ByteReader& r) {
    r.fields(movingType, reserved0, textLength, flags, bounds.left, bounds.top, bounds.right, bounds.bottom,
             moving.left, moving.top, moving.right, moving.bottom, description, border, reserved);
    description[sizeof description - 1] = 0;
}

void PageSummary::Write(platform::ByteWriter& w) const {
    w.fields(movingType, reserved0, textLength, flags, bounds.left, bounds.top, bounds.right, bounds.bottom,
             moving.left, moving.top, moving.right, moving.bottom, description, border, reserved);
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
    r.fields(stillSize, stripSize, chunkCount, chunkBytes, stripLength, flags, reserved);
}

void DeviceHeader::Write(platform::ByteWriter& w) const {
    w.fields(stillSize, stripSize, chunkCount, chunkBytes, stripLength, flags, reserved);
}

}  // namespace pages

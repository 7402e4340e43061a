#include "pages/banner_file.h"

#include <cstring>

#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/file_reader.h"

namespace pages {

namespace {
constexpr char kMagic[4] = {'Z', 'A', 'V', 'I'};
}  // namespace

int ParseBannerHeader(const uint8_t* data, size_t size, BannerHeader& h) {
    h = {};
    if (size < BANNER_HEADER_SIZE || std::memcmp(data, kMagic, 4) != 0) return FILE_FORMAT_ERROR;
    platform::ByteReader r(data, size);
    r.skip(4);
    if (r.u32() != BANNER_VERSION) return FILE_VERSION_ERROR;
    uint16_t width = 0, height = 0, x = 0, y = 0;
    r.fields(h.frames, h.rate100, width, height, x, y, h.flags, h.border);
    h.width = width, h.height = height, h.x = x, h.y = y;
    // No converter writes a frame larger than this: a bigger size is damage, not a banner.
    if (!r.ok() || h.width < 2 || h.height < 2 || h.width > BANNER_MAX_WIDTH || h.height > BANNER_MAX_HEIGHT ||
        h.width * h.height > BANNER_MAX_PIXELS)
        return FILE_FORMAT_ERROR;
    // What the air frame relies on, refused here so that nothing fails later on air: the frame
    // period divides by the rate, a looping banner with no frames would read on for ever, the
    // Device takes pixel pairs, and the double buffer must stay inside the store.
    if (h.rate100 < BANNER_MIN_RATE100 || h.rate100 > BANNER_MAX_RATE100 || h.frames == 0 || (h.width & 1) ||
        (h.x & 1) || h.border > BANNER_MAX_BORDER || h.x + h.width > 720 || h.y + h.height > 576)
        return FILE_FORMAT_ERROR;
    return FILE_OK;
}

uint64_t BannerPreviewSize(const BannerHeader& h) {
    return (h.flags & BANNER_HAS_PREVIEW) ? uint64_t(h.width) * uint64_t(h.height) * 4 : 0;
}
uint64_t BannerBlockSize(const BannerHeader& h) { return 2 + uint64_t(h.width) * uint64_t(h.height) * 2; }
uint64_t BannerFramesOffset(const BannerHeader& h) { return BANNER_HEADER_SIZE + BannerPreviewSize(h); }
uint64_t BannerFileSize(const BannerHeader& h) {
    return BannerFramesOffset(h) + uint64_t(h.frames) * BannerBlockSize(h);
}

int CheckBannerFile(const uint8_t* data, size_t size, uint64_t fileSize, BannerHeader& header) {
    const int rc = ParseBannerHeader(data, size, header);
    if (rc != FILE_OK) return rc;
    return fileSize < BannerFileSize(header) ? FILE_FORMAT_ERROR : FILE_OK;
}

int ReadBannerHead(const std::string& path, BannerHeader& header, CBitmap32& preview) {
    header = {};
    preview.clear();
    // Only the head is read: the frames after it may run to many megabytes.
    platform::FileReader f(path, BANNER_HEADER_SIZE);
    if (!f.ok()) return FILE_OPEN_ERROR;
    uint8_t head[BANNER_HEADER_SIZE];
    if (!f.bytes(head, sizeof head)) return FILE_FORMAT_ERROR;
    const int rc = CheckBannerFile(head, sizeof head, f.size(), header);
    if (rc != FILE_OK) return rc;
    if (header.flags & BANNER_HAS_PREVIEW) {
        if (f.remaining() < size_t(header.width) * header.height * 4) return FILE_FORMAT_ERROR;
        preview.create(header.width, header.height);
        if (!f.bytes(preview.bits(), preview.byteSize())) {
            preview.clear();
            return FILE_FORMAT_ERROR;
        }
    } else {
        preview.create(header.width, header.height);
    }
    return FILE_OK;
}

std::vector<uint8_t> BannerHeadBytes(const BannerHeader& h, const CBitmap32* preview) {
    std::vector<uint8_t> out;
    platform::ByteWriter w(out);
    w.bytes(kMagic, 4);
    w.u32(BANNER_VERSION);
    w.fields(h.frames, h.rate100, uint16_t(h.width), uint16_t(h.height), uint16_t(h.x), uint16_t(h.y), h.flags,
             h.border);
    w.zeros(BANNER_HEADER_SIZE - 26);
    if (preview && (h.flags & BANNER_HAS_PREVIEW)) w.bytes(preview->bits(), preview->byteSize());
    return out;
}

}  // namespace pages

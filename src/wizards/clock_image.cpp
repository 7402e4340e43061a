#include "wizards/clock_image.h"

#include <algorithm>

#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/file_reader.h"
#include "platform/files.h"

namespace wizards {

namespace {

constexpr char kMagic[4] = {'Z', 'C', 'L', 'K'};

bool Within(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

void ReadBitmap(platform::ByteReader& r, int32_t w, int32_t h, pages::CBitmap32& out) {
    out.create(w, h);
    r.bytes(out.bits(), out.byteSize());
}

}  // namespace

int32_t HandRadius(int32_t x0, int32_t y0) {
    return std::min({x0 - 15, 735 - x0, y0 - 15, 591 - y0, CLOCK_MAX_RADIUS});
}

bool ClockHeaderValid(const ClockHeader& h) {
    if (!Within(h.centreX, CLOCK_MIN_CX, CLOCK_MAX_CX) || !Within(h.centreY, CLOCK_MIN_CY, CLOCK_MAX_CY)) return false;
    const int32_t r = HandRadius(h.centreX, h.centreY);
    for (int i = 0; i < HAND_COUNT; ++i) {
        const pages::Rect& q = h.hands[i];
        // Every corner inside ±R × ±50 keeps the rotation inside the 768 × 768 picture.
        if (!Within(q.left, -r, r) || !Within(q.right, -r, r) ||
            !Within(q.top, -CLOCK_HAND_HALF_HEIGHT, CLOCK_HAND_HALF_HEIGHT) ||
            !Within(q.bottom, -CLOCK_HAND_HALF_HEIGHT, CLOCK_HAND_HALF_HEIGHT))
            return false;
        if (h.steps[i] >= kClockStepChoices) return false;
        if (!Within(h.shadowX[i], -CLOCK_MAX_SHADOW, CLOCK_MAX_SHADOW) ||
            !Within(h.shadowY[i], -CLOCK_MAX_SHADOW, CLOCK_MAX_SHADOW))
            return false;
    }
    return true;
}

int ParseClockHeader(const uint8_t* data, size_t size, ClockHeader& out) {
    if (size < CLOCK_HEADER_SIZE || !std::equal(kMagic, kMagic + 4, data)) return pages::FILE_FORMAT_ERROR;
    platform::ByteReader r(data, CLOCK_HEADER_SIZE);
    r.skip(4);
    if (r.u32() != CLOCK_VERSION) return pages::FILE_VERSION_ERROR;
    ClockHeader h;
    for (pages::Rect& q : h.hands) {
        q.left = r.i32();
        q.top = r.i32();
        q.right = r.i32();
        q.bottom = r.i32();
    }
    h.centreX = r.i32();
    h.centreY = r.i32();
    for (uint8_t& s : h.steps) s = r.u8();
    const uint8_t shadows = r.u8();
    for (int32_t& v : h.shadowX) v = r.i32();
    for (int32_t& v : h.shadowY) v = r.i32();
    const uint8_t below = r.u8();
    if (!r.ok() || shadows > 1 || below > 1) return pages::FILE_FORMAT_ERROR;
    h.shadows = shadows != 0;
    h.belowFace = below != 0;
    if (!ClockHeaderValid(h)) return pages::FILE_FORMAT_ERROR;
    out = h;
    return pages::FILE_OK;
}

std::vector<uint8_t> ClockHeaderBytes(const ClockHeader& h) {
    std::vector<uint8_t> out;
    out.reserve(CLOCK_HEADER_SIZE);
    platform::ByteWriter w(out);
    w.bytes(kMagic, 4);
    w.u32(CLOCK_VERSION);
    for (const pages::Rect& q : h.hands) {
        w.i32(q.left);
        w.i32(q.top);
        w.i32(q.right);
        w.i32(q.bottom);
    }
    w.i32(h.centreX);
    w.i32(h.centreY);
    for (uint8_t s : h.steps) w.u8(s);
    w.u8(h.shadows ? 1 : 0);
    for (int32_t v : h.shadowX) w.i32(v);
    for (int32_t v : h.shadowY) w.i32(v);
    w.u8(h.belowFace ? 1 : 0);
    w.zeros(CLOCK_HEADER_SIZE - out.size());
    return out;
}

// ---------------------------------------------------------------------------------------------

CClockImage::CClockImage() : face_(std::make_shared<std::vector<uint8_t>>()) {}

CClockImage::~CClockImage() = default;

namespace {

// The header and thumbnail from a reader over a file or memory (size bytes in all).
int ReadHead(platform::ByteReader& r, ClockHeader& h, pages::CBitmap32& thumb) {
    const std::span<const uint8_t> head = r.view(CLOCK_HEADER_SIZE);
    if (!r.ok()) return pages::FILE_FORMAT_ERROR;
    const int code = ParseClockHeader(head.data(), head.size(), h);
    if (code != pages::FILE_OK) return code;
    if (r.size() < CLOCK_FACE_OFFSET) return pages::FILE_FORMAT_ERROR;
    ReadBitmap(r, CLOCK_THUMB_WIDTH, CLOCK_THUMB_HEIGHT, thumb);
    return r.ok() ? pages::FILE_OK : pages::FILE_FORMAT_ERROR;
}

}  // namespace

int CClockImage::ReadThumbnail(const std::string& path, pages::CBitmap32& out) {
    // Only the head is wanted: the reader brings in no more than that.
    platform::FileReader r(CLOCK_FACE_OFFSET);
    if (!r.open(path)) return pages::FILE_OPEN_ERROR;
    return ReadThumbnailFrom(r, out);
}

int CClockImage::ThumbnailFromMemory(const uint8_t* data, size_t size, pages::CBitmap32& out) {
    platform::ByteReader r(data, size);
    return ReadThumbnailFrom(r, out);
}

int CClockImage::ReadThumbnailFrom(platform::ByteReader& r, pages::CBitmap32& out) {
    ClockHeader h;
    pages::CBitmap32 thumb;
    const int code = ReadHead(r, h, thumb);
    if (code == pages::FILE_OK) out = std::move(thumb);
    return code;
}

int CClockImage::Load(const std::string& path) {
    platform::FileReader r;
    if (!r.open(path)) return pages::FILE_OPEN_ERROR;
    return LoadFrom(r);
}

int CClockImage::LoadFromMemory(const uint8_t* data, size_t size) {
    platform::ByteReader r(data, size);
    return LoadFrom(r);
}

int CClockImage::LoadFrom(platform::ByteReader& r) {
    ClockHeader h;
    pages::CBitmap32 thumb;
    const int code = ReadHead(r, h, thumb);
    if (code != pages::FILE_OK) return code;
    if (r.size() < CLOCK_FILE_SIZE) return pages::FILE_FORMAT_ERROR;
    auto face = std::make_shared<std::vector<uint8_t>>(CLOCK_FACE_BYTES);
    r.bytes(face->data(), face->size());
    std::array<pages::CBitmap32, HAND_COUNT> hands;
    for (pages::CBitmap32& b : hands) ReadBitmap(r, CLOCK_CANVAS, CLOCK_CANVAS, b);
    if (!r.ok()) return pages::FILE_FORMAT_ERROR;
    header_ = h;
    thumbnail_ = std::move(thumb);
    face_ = std::move(face);
    hands_ = std::move(hands);
    loaded_ = true;
    Reset();
    return pages::FILE_OK;
}

int CClockImage::Save(const std::string& path) const {
    if (!loaded_ || face_->size() != CLOCK_FACE_BYTES || thumbnail_.width() != CLOCK_THUMB_WIDTH ||
        thumbnail_.height() != CLOCK_THUMB_HEIGHT)
        return pages::FILE_SAVE_ERROR;
    for (const pages::CBitmap32& b : hands_)
        if (b.width() != CLOCK_CANVAS || b.height() != CLOCK_CANVAS) return pages::FILE_SAVE_ERROR;
    std::vector<uint8_t> out = ClockHeaderBytes(header_);
    out.reserve(CLOCK_FILE_SIZE);
    platform::ByteWriter w(out);
    w.bytes(thumbnail_.bits(), thumbnail_.byteSize());
    w.bytes(face_->data(), face_->size());
    for (const pages::CBitmap32& b : hands_) w.bytes(b.bits(), b.byteSize());
    return platform::WriteFileAtomic(path, out) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

void CClockImage::Clear() {
    loaded_ = false;
    header_ = ClockHeader{};
    thumbnail_.clear();
    face_ = std::make_shared<std::vector<uint8_t>>();
    for (pages::CBitmap32& b : hands_) b.clear();
    buffers_ = {};
    layer_.clear();
    covered_.clear();
    covered_.shrink_to_fit();
    current_ = 0;
    box_ = area_ = {};
}

void CClockImage::setFace(std::vector<uint8_t> block) {
    face_ = std::make_shared<std::vector<uint8_t>>(std::move(block));
    loaded_ = true;
}

void CClockImage::allocate() {
    for (Buffer& b : buffers_)
        if (!b.data) b.data = std::make_shared<std::vector<uint8_t>>(CLOCK_BUFFER_BYTES);
    if (layer_.empty()) layer_.create(CLOCK_AREA_WIDTH, CLOCK_AREA_HEIGHT);
    if (covered_.empty()) covered_.assign(size_t(CLOCK_AREA_WIDTH) * CLOCK_AREA_HEIGHT, 0);
}

void CClockImage::Reset() {
    for (Buffer& b : buffers_) {
        b.last = {};
        b.target = {};
        b.size = 0;
    }
    current_ = 0;
    box_ = area_ = {};
}

const uint8_t* CClockImage::block(int buffer) const {
    const Buffer& b = buffers_[size_t(buffer & 1)];
    return b.data && b.size ? b.data->data() : nullptr;
}

bool CClockImage::Prepare() {
    if (!loaded_) return false;
    allocate();
    Reset();
    return true;
}

device::DataRef CClockImage::FullFrame() const { return device::DataRef::Share(face_, face_->data(), face_->size()); }

device::DataRef CClockImage::HiddenBlock() const {
    const Buffer& b = buffers_[size_t(current_ ^ 1)];
    if (!b.data || !b.size) return {};
    return device::DataRef::Share(b.data, b.data->data(), b.size);
}

void CClockImage::Render(int hours, int minutes, int seconds) {
    Render(hours, minutes, seconds, true);
    SwitchBuffer();
}

}  // namespace wizards

#include "wizards/clock_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace wizards {

namespace {

constexpr char kMagic[4] = {'Z', 'C', 'L', 'K'};

// Reads at most `limit` bytes from the start of a regular file (a pipe named like a clock never
// blocks the reader). False when it cannot be opened or read.
bool ReadHead(const std::string& path, size_t limit, std::vector<uint8_t>& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    out.resize(std::min<uint64_t>(uint64_t(st.st_size), limit));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    out.resize(got);
    return true;
}

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

int CClockImage::ReadThumbnail(const std::string& path, pages::CBitmap32& out) {
    std::vector<uint8_t> data;
    if (!ReadHead(path, CLOCK_FACE_OFFSET, data)) return pages::FILE_OPEN_ERROR;
    return ThumbnailFromMemory(data.data(), data.size(), out);
}

int CClockImage::ThumbnailFromMemory(const uint8_t* data, size_t size, pages::CBitmap32& out) {
    ClockHeader h;
    const int code = ParseClockHeader(data, size, h);
    if (code != pages::FILE_OK) return code;
    if (size < CLOCK_FACE_OFFSET) return pages::FILE_FORMAT_ERROR;
    platform::ByteReader r(data + CLOCK_HEADER_SIZE, CLOCK_THUMB_BYTES);
    ReadBitmap(r, CLOCK_THUMB_WIDTH, CLOCK_THUMB_HEIGHT, out);
    return pages::FILE_OK;
}

int CClockImage::Load(const std::string& path) {
    std::vector<uint8_t> data;
    if (!ReadHead(path, CLOCK_FILE_SIZE, data)) return pages::FILE_OPEN_ERROR;
    return LoadFromMemory(data.data(), data.size());
}

int CClockImage::LoadFromMemory(const uint8_t* data, size_t size) {
    ClockHeader h;
    const int code = ParseClockHeader(data, size, h);
    if (code != pages::FILE_OK) return code;
    if (size < CLOCK_FILE_SIZE) return pages::FILE_FORMAT_ERROR;
    platform::ByteReader r(data, size);
    r.seek(CLOCK_HEADER_SIZE);
    pages::CBitmap32 thumb;
    ReadBitmap(r, CLOCK_THUMB_WIDTH, CLOCK_THUMB_HEIGHT, thumb);
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

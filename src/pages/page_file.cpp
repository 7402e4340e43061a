// Reading and writing page files. The reader checks every size and offset against the file: a
// short or damaged file gives 259 and leaves the page empty, never half filled.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/log/event_log.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace pages {

namespace {

// Bounds-checked reads from an open file, buffered; skipping a block only moves the position,
// so playout never reads the pictures it does not need.
class FileSource {
public:
    ~FileSource() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool open(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) return false;
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
        size_ = uint64_t(st.st_size);
        return true;
    }
    bool ok() const { return ok_; }
    uint64_t size() const { return size_; }
    uint64_t pos() const { return pos_; }
    uint64_t remaining() const { return ok_ ? size_ - pos_ : 0; }

    bool seek(uint64_t offset) {
        if (!ok_ || offset > size_) return fail();
        pos_ = offset;
        return true;
    }
    bool skip(uint64_t n) { return n <= remaining() ? seek(pos_ + n) : fail(); }
    bool read(void* dst, size_t n) {
        if (!ok_ || n > remaining()) return fail();
        auto* out = static_cast<uint8_t*>(dst);
        while (n) {
            if (pos_ >= bufStart_ && pos_ < bufStart_ + bufLen_) {
                const size_t k = std::min<uint64_t>(n, bufStart_ + bufLen_ - pos_);
                std::memcpy(out, buf_.data() + (pos_ - bufStart_), k);
                out += k, pos_ += k, n -= k;
                continue;
            }
            if (n >= buf_.size()) {  // large blocks go straight to their place
                const ssize_t got = ::pread(fd_, out, n, off_t(pos_));
                if (got <= 0) return fail();
                out += got, pos_ += uint64_t(got), n -= size_t(got);
                continue;
            }
            const ssize_t got = ::pread(fd_, buf_.data(), buf_.size(), off_t(pos_));
            if (got <= 0) return fail();
            bufStart_ = pos_;
            bufLen_ = size_t(got);
        }
        return true;
    }
    uint32_t u32() {
        uint8_t b[4] = {};
        read(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    int32_t i32() { return int32_t(u32()); }
    // A stored string; longer than maxLen or than the rest of the file is damage.
    bool str32(std::string& s, uint32_t maxLen) {
        const uint32_t n = u32();
        if (!ok_ || n > maxLen || n > remaining()) return fail();
        s.resize(n);
        return read(s.data(), n);
    }
    bool fail() {
        ok_ = false;
        return false;
    }

private:
    int fd_ = -1;
    uint64_t size_ = 0, pos_ = 0;
    bool ok_ = true;
    std::vector<uint8_t> buf_ = std::vector<uint8_t>(65536);
    uint64_t bufStart_ = 0;
    size_t bufLen_ = 0;
};

enum : uint32_t {
    MAX_NAME = 4096,           // frame names and banner paths
    MAX_RUN_TEXT = 1u << 24,   // characters of one run
    MAX_PICTURE_SIDE = 16384,  // pixels of a frame picture each way
    MIN_FRAME_BYTES = 4 + 16 + 4 + FORMAT_BLOCK_SIZE + 4,
    MIN_PARAGRAPH_BYTES = FORMAT_BLOCK_SIZE + 4,
    MIN_RUN_BYTES = 4 + FORMAT_BLOCK_SIZE,
};

struct PageHeader {
    char magic[4] = {};
    uint32_t version = 0;
    uint32_t frameCount = 0;
    uint32_t colour = 0;
    Rect backgroundRect;
    PageSummary summary;
    uint32_t thumbOffset = 0;
    uint32_t deviceOffset = 0;
    uint32_t deviceSize = 0;
};

void parseHeader(const uint8_t* p, PageHeader& h) {
    platform::ByteReader r(p, PAGE_HEADER_SIZE);
    r.bytes(h.magic, 4);
    h.version = r.u32();
    r.skip(4);
    h.frameCount = r.u32();
    h.colour = r.u32();
    r.skip(8);
    h.backgroundRect = {r.i32(), r.i32(), r.i32(), r.i32()};
    h.summary.Read(p + 44);
    r.seek(172);
    h.thumbOffset = r.u32();
    h.deviceOffset = r.u32();
    h.deviceSize = r.u32();
}

// A picture block: width, height and the pixels; with skip only the position moves.
bool readPicture(FileSource& f, CBitmap32* into) {
    const int32_t w = f.i32(), h = f.i32();
    if (!f.ok() || w < 0 || h < 0 || uint32_t(w) > MAX_PICTURE_SIDE || uint32_t(h) > MAX_PICTURE_SIDE) return f.fail();
    const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
    if (bytes > f.remaining()) return f.fail();
    if (!into) return f.skip(bytes);
    into->create(w, h);
    return f.read(into->bits(), size_t(bytes));
}

bool readFrame(FileSource& f, CPageFrame& frame, bool skipPictures, uint32_t& storedBannerKind) {
    if (!f.str32(frame.name, MAX_NAME)) return false;
    frame.rect = {f.i32(), f.i32(), f.i32(), f.i32()};
    frame.lock = f.i32();
    uint8_t block[FORMAT_BLOCK_SIZE];
    if (!f.read(block, sizeof block)) return false;
    frame.format.Read(block);
    const uint32_t paraCount = f.u32();
    if (!f.ok() || paraCount == 0 || paraCount > f.remaining() / MIN_PARAGRAPH_BYTES) return f.fail();
    frame.paragraphs.assign(paraCount, CParagraph{});
    for (CParagraph& para : frame.paragraphs) {
        if (!f.read(block, sizeof block)) return false;
        para.format.Read(block);
        const uint32_t runCount = f.u32();
        if (!f.ok() || runCount == 0 || runCount > f.remaining() / MIN_RUN_BYTES) return f.fail();
        para.runs.assign(runCount, TextRun{});
        for (TextRun& run : para.runs) {
            if (!f.str32(run.text, MAX_RUN_TEXT) || !f.read(block, sizeof block)) return false;
            run.format.Read(block);
        }
    }
    if (frame.format.bannerLink) {
        storedBannerKind = f.u32();
        if (!f.str32(frame.bannerPath, MAX_NAME)) return false;
    }
    if (frame.format.bannerLink || frame.format.hasPicture) {
        if (!readPicture(f, skipPictures ? nullptr : &frame.picture)) return false;
    }
    return f.ok();
}

// Frames of a damaged or foreign file may lie anywhere; the page keeps them on the screen, so
// that nothing drawn from them can grow without bound.
Rect onScreen(Rect r) {
    r.left = std::clamp<int32_t>(r.left, 0, PAGE_WIDTH) & ~1;
    r.right = std::clamp<int32_t>(r.right, r.left, PAGE_WIDTH) & ~1;
    r.top = std::clamp<int32_t>(r.top, 0, PAGE_HEIGHT);
    r.bottom = std::clamp<int32_t>(r.bottom, r.top, PAGE_HEIGHT);
    return r;
}

bool validBackgroundRect(const Rect& r) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= PAGE_WIDTH &&
           r.bottom <= PAGE_HEIGHT;
}

}  // namespace

int CPageDoc::Load(int mode, const std::string& path, CPageImage& image) {
    clearFrames();
    image.Clear();
    hasBackgroundPicture = false;
    backgroundRect = {};
    backgroundColour = DEFAULT_PAGE_COLOUR;
    background.create(PAGE_WIDTH, PAGE_HEIGHT);
    background.fillAll(backgroundColour);

    auto fail = [&](int code, const char* why) {
        LogMessage("CPageDoc::Load %s: %s", path.c_str(), why);
        clearFrames();
        image.Clear();
        return code;
    };

    FileSource f;
    const std::string file = platform::ResolvePath(path);
    if (!f.open(file)) return fail(FILE_OPEN_ERROR, "cannot open");
    uint8_t raw[PAGE_HEADER_SIZE];
    if (!f.read(raw, sizeof raw)) return fail(FILE_FORMAT_ERROR, "short header");
    PageHeader h;
    parseHeader(raw, h);
    if (std::memcmp(h.magic, "PAGE", 4) != 0) return fail(FILE_FORMAT_ERROR, "not a page file");
    if (h.version < PAGE_VERSION_OLDEST || h.version > PAGE_VERSION) return fail(FILE_VERSION_ERROR, "version");
    // The oldest version has frames only.
    if (h.version == PAGE_VERSION_OLDEST && (mode & (LOAD_SUMMARY | LOAD_THUMBNAIL | LOAD_DEVICE)))
        return fail(FILE_VERSION_ERROR, "no summary, thumbnail or Device data in this version");

    const bool hasPicture = (h.summary.flags & SUMMARY_BACKGROUND_PICTURE) != 0;
    if (hasPicture && !validBackgroundRect(h.backgroundRect)) return fail(FILE_FORMAT_ERROR, "background rectangle");

    // Everything is read into fresh objects first and taken over only when the whole file is sound.
    std::vector<std::unique_ptr<CPageFrame>> newFrames;
    std::vector<uint32_t> bannerKinds;
    CBitmap32 newBackground(PAGE_WIDTH, PAGE_HEIGHT);
    newBackground.fillAll(h.colour);
    if (mode & LOAD_FRAMES) {
        const bool skipPictures = (mode & LOAD_NO_PICTURES) != 0;
        if (h.frameCount > f.remaining() / MIN_FRAME_BYTES) return fail(FILE_FORMAT_ERROR, "frame count");
        for (uint32_t i = 0; i < h.frameCount; ++i) {
            auto frame = std::make_unique<CPageFrame>();
            uint32_t kind = 0;
            if (!readFrame(f, *frame, skipPictures, kind)) return fail(FILE_FORMAT_ERROR, "damaged frame");
            newFrames.push_back(std::move(frame));
            bannerKinds.push_back(kind);
        }
        if (hasPicture) {
            const Rect& r = h.backgroundRect;
            const uint64_t rowBytes = uint64_t(r.width()) * 4;
            if (rowBytes * uint64_t(r.height()) > f.remaining()) return fail(FILE_FORMAT_ERROR, "background picture");
            if (skipPictures) {
                f.skip(rowBytes * uint64_t(r.height()));
            } else {
                for (int32_t y = r.top; y < r.bottom && f.ok(); ++y)
                    f.read(newBackground.pixel(r.left, y), size_t(rowBytes));
            }
            if (!f.ok()) return fail(FILE_FORMAT_ERROR, "background picture");
        }
    }

    CBitmap32 thumbnail;
    if (mode & LOAD_THUMBNAIL) {
        thumbnail.create(THUMB_WIDTH, THUMB_HEIGHT);
        if (!f.seek(h.thumbOffset) || !f.read(thumbnail.bits(), THUMB_SIZE))
            return fail(FILE_FORMAT_ERROR, "thumbnail");
    }
    DeviceHeader device;
    std::vector<uint8_t> data;
    if (mode & LOAD_DEVICE) {
        uint8_t block[DEVICE_HEADER_SIZE];
        if (!f.seek(h.deviceOffset) || !f.read(block, sizeof block)) return fail(FILE_FORMAT_ERROR, "Device header");
        device.Read(block);
        if (!device.consistent() || device.dataSize() > f.remaining() ||
            uint64_t(h.deviceSize) != DEVICE_HEADER_SIZE + device.dataSize())
            return fail(FILE_FORMAT_ERROR, "Device data");
        data.resize(size_t(device.dataSize()));
        if (!f.read(data.data(), data.size())) return fail(FILE_FORMAT_ERROR, "Device data");
        if ((mode & LOAD_VERIFY) && !StillChecksumOk(data.data(), device.stillSize))
            return fail(FILE_FORMAT_ERROR, "Device data checksum");
    }

    // Sound: take it over.
    backgroundColour = h.colour;
    hasBackgroundPicture = hasPicture;
    backgroundRect = hasPicture ? h.backgroundRect : Rect{};
    image.summary = h.summary;
    if (mode & LOAD_FRAMES) {
        background = std::move(newBackground);
        const std::string banners = bannersFolder();
        for (size_t i = 0; i < newFrames.size(); ++i) {
            CPageFrame& fr = *newFrames[i];
            fr.rect = onScreen(fr.rect);
            if (fr.format.bannerLink) {
                std::string full = bannerKinds[i] == 0 ? banners + platform::NormaliseDataName(fr.bannerPath)
                                                       : platform::NormaliseDataName(fr.bannerPath);
                full = platform::ResolvePath(full);
                if (platform::FileExists(full)) {
                    fr.bannerPath = full;
                } else {
                    LogMessage("CPageDoc::Load: banner %s is gone, link dropped", full.c_str());
                    fr.format.bannerLink = 0;
                    fr.bannerPath.clear();
                    if (!fr.format.hasPicture) fr.picture.clear();
                }
            }
            // Fonts that are not installed are replaced (the operator is asked once per name).
            for (CParagraph& p : fr.paragraphs)
                for (TextRun& run : p.runs) {
                    std::string name = run.format.fontName();
                    if (fonts_->CheckFont(name, true)) continue;
                    if (const CBitmapFont* sub = fonts_->Find(name)) {
                        run.format.setFontName(name);
                        run.format.tint = sub->isMonochrome() ? 1 : 0;
                    }
                }
            fr.Layout(*fonts_);
        }
        frames = std::move(newFrames);
    }
    if (mode & LOAD_THUMBNAIL) image.thumbnail = std::move(thumbnail);
    if (mode & LOAD_DEVICE) {
        image.device = device;
        image.data = std::move(data);
    }
    pathName = path;
    modified = false;
    hasFile = true;
    return FILE_OK;
}

std::vector<uint8_t> CPageDoc::Serialize(const CPageImage& image) const {
    std::vector<uint8_t> out;
    platform::ByteWriter w(out);
    const bool picture = hasBackgroundPicture && validBackgroundRect(backgroundRect);
    w.bytes("PAGE", 4);
    w.u32(PAGE_VERSION);
    w.u32(0);
    w.u32(uint32_t(frames.size()));
    w.u32(backgroundColour);
    w.zeros(8);
    const Rect bg = picture ? backgroundRect : Rect{};
    w.i32(bg.left), w.i32(bg.top), w.i32(bg.right), w.i32(bg.bottom);
    PageSummary summary = image.summary;
    summary.flags =
        (summary.flags & ~uint32_t(SUMMARY_BACKGROUND_PICTURE)) | (picture ? uint32_t(SUMMARY_BACKGROUND_PICTURE) : 0u);
    uint8_t block[SUMMARY_SIZE];
    summary.Write(block);
    w.bytes(block, SUMMARY_SIZE);
    w.zeros(PAGE_HEADER_SIZE - out.size());  // offsets and sizes come last

    const std::string banners = bannersFolder();
    for (const auto& fr : frames) {
        w.str32(fr->name);
        w.i32(fr->rect.left), w.i32(fr->rect.top), w.i32(fr->rect.right), w.i32(fr->rect.bottom);
        w.i32(fr->lock);
        fr->format.Write(block);
        w.bytes(block, FORMAT_BLOCK_SIZE);
        w.u32(uint32_t(fr->paragraphs.size()));
        for (const CParagraph& p : fr->paragraphs) {
            p.format.Write(block);
            w.bytes(block, FORMAT_BLOCK_SIZE);
            w.u32(uint32_t(p.runs.size()));
            for (const TextRun& r : p.runs) {
                w.str32(r.text);
                r.format.Write(block);
                w.bytes(block, FORMAT_BLOCK_SIZE);
            }
        }
        if (fr->format.bannerLink) {
            // Below the Banners folder the name alone, so that pages move with the data folders.
            if (!banners.empty() && platform::StartsWithNoCase(fr->bannerPath, banners)) {
                w.u32(0);
                w.str32(std::string_view(fr->bannerPath).substr(banners.size()));
            } else {
                w.u32(1);
                w.str32(fr->bannerPath);
            }
        }
        if (fr->format.bannerLink || fr->format.hasPicture) {
            w.i32(fr->picture.width());
            w.i32(fr->picture.height());
            w.bytes(fr->picture.bits(), fr->picture.byteSize());
        }
    }
    if (picture)
        for (int32_t y = backgroundRect.top; y < backgroundRect.bottom; ++y)
            w.bytes(background.pixel(backgroundRect.left, y), size_t(backgroundRect.width()) * 4);

    const uint32_t thumbOffset = uint32_t(out.size());
    if (image.thumbnail.width() == THUMB_WIDTH && image.thumbnail.height() == THUMB_HEIGHT)
        w.bytes(image.thumbnail.bits(), THUMB_SIZE);
    else w.zeros(THUMB_SIZE);

    const uint32_t deviceOffset = uint32_t(out.size());
    // Only Device data that matches its header is written; otherwise an empty header.
    const bool haveData = image.device.consistent() && image.data.size() == image.device.dataSize();
    DeviceHeader device = haveData ? image.device : DeviceHeader{};
    uint8_t header[DEVICE_HEADER_SIZE];
    device.Write(header);
    w.bytes(header, sizeof header);
    if (haveData) w.bytes(image.data.data(), image.data.size());
    w.patchU32(172, thumbOffset);
    w.patchU32(176, deviceOffset);
    w.patchU32(180, uint32_t(DEVICE_HEADER_SIZE + device.dataSize()));
    return out;
}

int CPageDoc::Save(const std::string& path, const CPageImage& image) {
    const std::vector<uint8_t> data = Serialize(image);
    if (!platform::WriteFileAtomic(path, data)) {
        LogMessage("CPageDoc::Save %s failed", path.c_str());
        return FILE_SAVE_ERROR;
    }
    LogMessage("CPageDoc::Save %s", path.c_str());
    pathName = path;
    modified = false;
    hasFile = true;
    return FILE_OK;
}

}  // namespace pages

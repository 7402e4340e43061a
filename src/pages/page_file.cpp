// Reading and writing page files. The reader checks every size and offset against the file: a
// short or damaged file gives 259 and leaves the page empty, never half filled.
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
#include "platform/file_reader.h"
#include "platform/files.h"

namespace pages {

namespace {

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

// The fixed header; false (and the reader failed) when the file is shorter.
bool readHeader(platform::ByteReader& r, PageHeader& h) {
    Rect& bg = h.backgroundRect;
    r.fields(h.magic, h.version);
    r.skip(4);
    r.fields(h.frameCount, h.colour);
    r.skip(8);
    r.fields(bg.left, bg.top, bg.right, bg.bottom);
    h.summary.Read(r);
    r.fields(h.thumbOffset, h.deviceOffset, h.deviceSize);
    return r.seek(PAGE_HEADER_SIZE);
}

bool validBackgroundRect(const Rect& r) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= PAGE_WIDTH &&
           r.bottom <= PAGE_HEIGHT;
}

// Opens the file and checks its header for what the mode asks of it: FILE_OK, or the result code
// with the reason for the log.
int openPage(platform::FileReader& f, const std::string& path, int mode, PageHeader& h, const char*& why) {
    auto refuse = [&](int code, const char* reason) {
        why = reason;
        return code;
    };
    if (!f.open(platform::ResolvePath(path))) return refuse(FILE_OPEN_ERROR, "cannot open");
    if (!readHeader(f, h)) return refuse(FILE_FORMAT_ERROR, "short header");
    if (std::memcmp(h.magic, "PAGE", 4) != 0) return refuse(FILE_FORMAT_ERROR, "not a page file");
    if (h.version < PAGE_VERSION_OLDEST || h.version > PAGE_VERSION) return refuse(FILE_VERSION_ERROR, "version");
    // The oldest version has frames only.
    if (h.version == PAGE_VERSION_OLDEST && (mode & (LOAD_SUMMARY | LOAD_THUMBNAIL | LOAD_DEVICE)))
        return refuse(FILE_VERSION_ERROR, "no summary, thumbnail or Device data in this version");
    if ((h.summary.flags & SUMMARY_BACKGROUND_PICTURE) && !validBackgroundRect(h.backgroundRect))
        return refuse(FILE_FORMAT_ERROR, "background rectangle");
    return FILE_OK;
}

// A picture block: width, height and the pixels; with skip only the position moves.
bool readPicture(platform::ByteReader& f, CBitmap32* into) {
    const int32_t w = f.i32(), h = f.i32();
    if (!f.ok() || w < 0 || h < 0 || uint32_t(w) > MAX_PICTURE_SIDE || uint32_t(h) > MAX_PICTURE_SIDE) return f.fail();
    const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
    if (bytes > f.remaining()) return f.fail();
    if (!into) return f.skip(bytes);
    into->create(w, h);
    return f.bytes(into->bits(), size_t(bytes));
}

bool readFrame(platform::ByteReader& f, CPageFrame& frame, bool skipPictures, uint32_t& storedBannerKind) {
    frame.name = f.str32(MAX_NAME);
    f.fields(frame.rect.left, frame.rect.top, frame.rect.right, frame.rect.bottom, frame.lock);
    frame.format.Read(f);
    const uint32_t paraCount = f.u32();
    if (!f.ok() || paraCount == 0 || paraCount > f.remaining() / MIN_PARAGRAPH_BYTES) return f.fail();
    frame.paragraphs.assign(paraCount, CParagraph{});
    for (CParagraph& para : frame.paragraphs) {
        para.format.Read(f);
        const uint32_t runCount = f.u32();
        if (!f.ok() || runCount == 0 || runCount > f.remaining() / MIN_RUN_BYTES) return f.fail();
        para.runs.assign(runCount, TextRun{});
        for (TextRun& run : para.runs) {
            run.text = f.str32(MAX_RUN_TEXT);
            run.format.Read(f);
        }
        if (!f.ok()) return false;
    }
    if (frame.format.bannerLink) {
        storedBannerKind = f.u32();
        frame.bannerPath = f.str32(MAX_NAME);
        if (!f.ok()) return false;
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

}  // namespace

int ReadPageSummary(const std::string& path, PageSummary& summary) {
    platform::FileReader f(PAGE_HEADER_SIZE);
    PageHeader h;
    const char* why = "";
    const int rc = openPage(f, path, LOAD_SUMMARY, h, why);
    if (rc == FILE_OK) summary = h.summary;
    return rc;
}

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

    platform::FileReader f;
    PageHeader h;
    const char* why = "";
    if (const int rc = openPage(f, path, mode, h, why); rc != FILE_OK) return fail(rc, why);
    const bool hasPicture = (h.summary.flags & SUMMARY_BACKGROUND_PICTURE) != 0;

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
                    f.bytes(newBackground.pixel(r.left, y), size_t(rowBytes));
            }
            if (!f.ok()) return fail(FILE_FORMAT_ERROR, "background picture");
        }
    }

    CBitmap32 thumbnail;
    if (mode & LOAD_THUMBNAIL) {
        thumbnail.create(THUMB_WIDTH, THUMB_HEIGHT);
        if (!f.seek(h.thumbOffset) || !f.bytes(thumbnail.bits(), THUMB_SIZE))
            return fail(FILE_FORMAT_ERROR, "thumbnail");
    }
    DeviceHeader device;
    std::vector<uint8_t> data;
    if (mode & LOAD_DEVICE) {
        if (f.seek(h.deviceOffset)) device.Read(f);
        if (!f.ok()) return fail(FILE_FORMAT_ERROR, "Device header");
        if (!device.consistent() || device.dataSize() > f.remaining() ||
            uint64_t(h.deviceSize) != DEVICE_HEADER_SIZE + device.dataSize())
            return fail(FILE_FORMAT_ERROR, "Device data");
        data.resize(size_t(device.dataSize()));
        if (!f.bytes(data.data(), data.size())) return fail(FILE_FORMAT_ERROR, "Device data");
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
    const Rect bg = picture ? backgroundRect : Rect{};
    w.bytes("PAGE", 4);
    w.fields(PAGE_VERSION, 0u, uint32_t(frames.size()), backgroundColour);
    w.zeros(8);
    w.fields(bg.left, bg.top, bg.right, bg.bottom);
    PageSummary summary = image.summary;
    summary.flags =
        (summary.flags & ~uint32_t(SUMMARY_BACKGROUND_PICTURE)) | (picture ? uint32_t(SUMMARY_BACKGROUND_PICTURE) : 0u);
    summary.Write(w);
    w.zeros(PAGE_HEADER_SIZE - out.size());  // offsets and sizes come last

    const std::string banners = bannersFolder();
    for (const auto& fr : frames) {
        w.str32(fr->name);
        w.fields(fr->rect.left, fr->rect.top, fr->rect.right, fr->rect.bottom, fr->lock);
        fr->format.Write(w);
        w.u32(uint32_t(fr->paragraphs.size()));
        for (const CParagraph& p : fr->paragraphs) {
            p.format.Write(w);
            w.u32(uint32_t(p.runs.size()));
            for (const TextRun& r : p.runs) {
                w.str32(r.text);
                r.format.Write(w);
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
    device.Write(w);
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

#include "pages/page_image.h"

#include <algorithm>

#include "app/log/event_log.h"
#include "pages/device_picture.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "platform/bytes.h"

namespace pages {

namespace {

// A strip is the frame plus its whole text. Beyond this many pixels (a crawl of tens of
// thousands of characters) the text is cut rather than the memory exhausted.
constexpr uint64_t kMaxStripPixels = uint64_t(1) << 26;

struct Steps {
    CompileProgress* p;
    void step() const {
        if (p) p->Step();
    }
};

}  // namespace

void CPageImage::Clear() {
    picture.clear();
    strip.clear();
    thumbnail.clear();
    summary = PageSummary{};
    device = DeviceHeader{};
    data.clear();
    data.shrink_to_fit();
}

bool StillChecksumOk(const uint8_t* block, size_t size) {
    if (size < 2) return false;
    const uint16_t stored = platform::ByteReader(block, size).u16();
    return stored == 0 || stored == DeviceChecksum(block + 2, size - 2);
}

const uint8_t* CPageImage::still() const {
    return device.stillSize && data.size() >= device.stillSize ? data.data() : nullptr;
}

const uint8_t* CPageImage::chunk(uint32_t k, size_t* size) const {
    if (k >= device.chunkCount || data.size() != device.dataSize() || device.chunkBytes < 2) return nullptr;
    const uint32_t cross = (device.chunkBytes - 2) / 512;
    const uint32_t n = std::min<uint32_t>(256, device.stripLength - 256 * k);
    if (size) *size = DeviceBlockSize(int32_t(n), int32_t(cross));
    return data.data() + device.stillSize + size_t(k) * device.chunkBytes;
}

void CPageImage::Compile(CPageDoc& page, int options, CompileProgress* progress) {
    CFontManager& fonts = page.fonts();
    const Steps steps{progress};
    Clear();
    page.LayoutAll();
    summary = page.BuildSummary();

    // The moving frame's strip: L along the motion, X across it.
    const bool moving = (summary.flags & SUMMARY_MOVING) != 0;
    const bool roll = (summary.flags & SUMMARY_NOT_SCROLLER) != 0;
    uint32_t length = 0, cross = 0;
    if (moving) {
        const Rect& m = summary.moving;
        const uint32_t along = uint32_t(std::max(0, roll ? m.height() : m.width()));
        // Device pictures go in pixel pairs: the width of every chunk must be even; and a frame
        // squeezed to nothing still gets a strip the Device can take.
        cross = uint32_t(std::max(2, roll ? m.width() : m.height()));
        if (roll) cross += cross & 1;
        uint64_t text = uint64_t(std::max(summary.textLength, 0));
        if ((along + text) * cross > kMaxStripPixels) {
            text = std::max<uint64_t>(kMaxStripPixels / cross, along) - along;
            text &= ~uint64_t(1);
            LogMessage("CPageImage::Compile: moving text cut to %u pixels", unsigned(text));
            summary.textLength = int32_t(std::max<uint64_t>(text, 2));
        }
        length = uint32_t(along + text);
        if (!roll) length += length & 1;
    }
    const uint32_t chunks = moving ? StripChunkCount(length) : 0;
    if (progress) {
        int total = 4 + page.frameCount();  // clearing, background, strip, thumbnail; frames
        if (options & COMPILE_FILTER) ++total;
        if (options & COMPILE_DEVICE) total += 1 + int(chunks);
        progress->SetRange(total);
    }
    steps.step();

    // Background: the picture, or the colour alone (then the page may be uniform).
    picture.create(PAGE_WIDTH, PAGE_HEIGHT);
    bool uniform = false;
    if (page.hasBackgroundPicture) {
        picture.blit(page.background, 0, 0, PAGE_WIDTH, PAGE_HEIGHT, 0, 0, BLIT_COPY);
    } else {
        picture.fillAll(page.backgroundColour);
        uniform = true;
    }
    steps.step();

    if (moving) {
        if (roll) strip.create(int32_t(cross), int32_t(length));
        else strip.create(int32_t(length), int32_t(cross));
        strip.fillAll(0xFF000000);
        device.stripSize = uint32_t(StripSize(length, cross));
        device.chunkCount = chunks;
        device.chunkBytes = cross * 512 + 2;
        device.stripLength = length;
    }
    steps.step();

    for (const auto& f : page.frames) {
        if (f->isBanner()) {  // the Device plays the banner itself; only the thumbnail shows it
            steps.step();
            continue;
        }
        const Rect& r = f->rect;
        if (IsVisibleColour(f->format.colour) && !r.empty()) {
            picture.fill(f->format.colour, r.left, r.top, r.width(), r.height(), true);
            uniform = false;
        }
        if (f->hasPicture() && !f->picture.empty() && !r.empty()) {
            picture.blit(f->picture, r.left, r.top, std::min(f->picture.width(), r.width()),
                         std::min(f->picture.height(), r.height()), 0, 0, BLIT_BLEND);
            // A picture on a page that would otherwise be one colour must not be lost.
            uniform = false;
        }
        if (f->isMoving()) {
            if (!strip.empty()) f->Draw(fonts, strip.view(), strip.bounds(), 0);
        } else {
            f->Draw(fonts, picture.view(), r, 0);
            uniform = false;
        }
        steps.step();
    }
    device.flags = uint8_t((uniform ? DEVICE_UNIFORM : 0) | (moving ? DEVICE_HAS_STRIP : 0));

    if (options & COMPILE_FILTER) {
        if (!uniform) picture.verticalFilter(0, 0, 0, 0);
        if (!strip.empty()) strip.verticalFilter(0, 0, 0, 0);
        summary.flags |= SUMMARY_FILTERED;
        steps.step();
    }

    if (options & COMPILE_DEVICE) {
        const bool checksum = !(options & COMPILE_NO_CHECKSUM);
        device.stillSize = uniform ? DEVICE_UNIFORM_STILL_SIZE : DEVICE_STILL_SIZE;
        data.assign(size_t(device.stillSize) + device.stripSize, 0);
        if (uniform) picture.toDevice(data.data(), 0, 0, 2, 1, checksum);
        else picture.toDevice(data.data(), 0, 0, PAGE_WIDTH, PAGE_HEIGHT, checksum);
        steps.step();
        for (uint32_t k = 0; k < chunks; ++k) {
            const int32_t n = int32_t(std::min<uint32_t>(256, length - 256 * k));
            uint8_t* out = data.data() + device.stillSize + size_t(k) * device.chunkBytes;
            if (roll) strip.toDevice(out, 0, int32_t(256 * k), int32_t(cross), n, checksum);
            else strip.toDevice(out, int32_t(256 * k), 0, n, int32_t(cross), checksum);
            steps.step();
        }
    }

    if (options & COMPILE_THUMBNAIL) {
        // The thumbnail shows what the Device adds on air: the start of the moving text and the
        // banners' first pictures.
        if (!strip.empty()) {
            const Rect& m = summary.moving;
            picture.blit(strip, m.left, m.top, m.width(), m.height(), 0, 0, BLIT_BLEND);
        }
        for (const auto& f : page.frames)
            if (f->isBanner() && !f->picture.empty())
                picture.blit(f->picture, f->rect.left, f->rect.top, std::min(f->picture.width(), f->rect.width()),
                             std::min(f->picture.height(), f->rect.height()), 0, 0, BLIT_BLEND);
        thumbnail.create(THUMB_WIDTH, THUMB_HEIGHT);
        thumbnail.reduce(picture);
        thumbnail.flatten(false);
    }
    steps.step();
    LogMessage("CPageImage::Compile %d: %d frames, still %u, strip %u in %u chunks%s", options, page.frameCount(),
               unsigned(device.stillSize), unsigned(device.stripSize), unsigned(device.chunkCount),
               uniform ? ", uniform" : "");
}

}  // namespace pages

// Page files made by hand for the air tests: a summary and Device data of the right shapes, so
// that sequences and the air controller have real files to read without rendering anything.
#pragma once

#include <string>

#include "pages/device_picture.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"

namespace airtest {

struct TestPage {
    bool uniform = false;  // a 6-byte still (FillRect) instead of a full picture (LoadRect)
    int moving = 0;        // 0 none, 1 Scroller, 2 Roll
    int stripLength = 0;   // along the motion
    pages::Rect movingRect{100, 460, 620, 520};
    uint8_t border = 2;
    bool backgroundFrame = false;
    std::string words = "words";
};

// The compiled image such a page would have.
inline pages::CPageImage MakeImage(const TestPage& p) {
    pages::CPageImage img;
    img.summary.movingType = p.moving;
    img.summary.flags = p.moving ? pages::SUMMARY_MOVING | (p.moving == 2 ? pages::SUMMARY_NOT_SCROLLER : 0u) : 0u;
    if (p.backgroundFrame) img.summary.flags |= pages::SUMMARY_BACKGROUND_FRAME;
    img.summary.textLength = p.moving ? std::max(p.stripLength, 2) : 0;
    img.summary.bounds = {0, 0, 720, 576};
    if (p.moving) img.summary.moving = p.movingRect;
    img.summary.border = p.border;
    std::snprintf(img.summary.description, sizeof img.summary.description, "%s", p.words.c_str());
    img.thumbnail.create(pages::THUMB_WIDTH, pages::THUMB_HEIGHT);
    img.thumbnail.fillAll(0x00336699);
    img.device.stillSize = p.uniform ? pages::DEVICE_UNIFORM_STILL_SIZE : pages::DEVICE_STILL_SIZE;
    img.device.flags = p.uniform ? pages::DEVICE_UNIFORM : 0;
    if (p.moving) {
        const uint32_t cross = uint32_t(p.moving == 2 ? p.movingRect.width() : p.movingRect.height());
        img.device.stripLength = uint32_t(p.stripLength);
        img.device.chunkCount = pages::StripChunkCount(img.device.stripLength);
        img.device.chunkBytes = cross * 512 + 2;
        img.device.stripSize = uint32_t(pages::StripSize(img.device.stripLength, cross));
        img.device.flags |= pages::DEVICE_HAS_STRIP;
    }
    img.data.assign(size_t(img.device.dataSize()), 0);
    return img;
}

// Writes a page file without frames; false when it cannot be written.
inline bool WritePage(pages::CFontManager& fonts, const std::string& path, const TestPage& p = {}) {
    pages::CPageDoc doc(fonts);
    return doc.Save(path, MakeImage(p)) == 0;
}

}  // namespace airtest

// Writing a banner file (".zxa"): the header, the preview of the first frame and one Device
// block per frame, streamed into a file of a temporary name beside the target, which becomes the
// banner only when it is complete; a cancelled or failed conversion leaves no half banner.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pages/banner_file.h"
#include "pages/bitmap32.h"

namespace wizards {

class CBannerWriter {
public:
    CBannerWriter() = default;
    ~CBannerWriter();  // abandons an unfinished file
    CBannerWriter(const CBannerWriter&) = delete;
    CBannerWriter& operator=(const CBannerWriter&) = delete;

    // Starts the file: false (3001 for the caller) when it cannot be created. header.frames is
    // the count expected; Finish writes the count really added.
    bool Create(const std::string& path, const pages::BannerHeader& header);
    // The first frame's canvas as the preview (before it is dithered); once, before any frame.
    bool WritePreview(const pages::CBitmap32& canvas);
    // One frame: the canvas (header width × height) into a Device block with checksum.
    bool AddFrame(const pages::CBitmap32& canvas);
    // Patches the frame count, closes the file and renames it over the target. False when
    // anything failed or no frame was added (the temporary file is removed).
    bool Finish();
    // Removes the temporary file.
    void Abandon();

    uint32_t framesAdded() const { return added_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    std::string path_, temp_;
    std::FILE* file_ = nullptr;
    pages::BannerHeader header_;
    uint32_t added_ = 0;
    bool ok_ = false;
    std::vector<uint8_t> block_;
};

}  // namespace wizards

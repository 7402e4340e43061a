// The TV banner player: a banner file (".zxa") kept open while it plays, one frame's Device block
// at a time into one of two buffers, so that the block sent last stays whole while the next is
// read. The program has one, owned by the application; the air frame plays it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "pages/banner_file.h"
#include "pages/bitmap32.h"

namespace wizards {

class CBannerPlayer final : public air::AirBanner {
public:
    CBannerPlayer() = default;
    ~CBannerPlayer() override;
    CBannerPlayer(const CBannerPlayer&) = delete;
    CBannerPlayer& operator=(const CBannerPlayer&) = delete;

    // Closes any open banner and opens one: a file result code (257 cannot be opened, 259 not a
    // banner or not one that can be played, 260 another version). The file stays open.
    int open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // --- air::AirBanner ------------------------------------------------------------------------
    bool Open(const std::string& path) override { return open(path) == 0; }
    // Frame counter 0, not finished, buffer 0, back to the first frame.
    void Rewind() override;
    // When all frames were delivered, rewinds (loop) or finishes; else reads the next block into
    // the other buffer. A block not read whole finishes the banner. Answers finished.
    bool NextFrame() override;
    bool Finished() const override { return finished_; }
    int Width() const override { return header_.width; }
    int Height() const override { return header_.height; }
    device::Rect Rect() const override { return rect_; }
    void SetRect(const device::Rect& r) override { rect_ = r; }
    int Border() const override { return header_.border; }
    uint32_t FramePeriodMs() const override { return periodMs_; }
    uint32_t TotalMs() const override { return periodMs_ * header_.frames; }
    bool Half() const override { return half_ != 0; }
    device::DataRef FrameBlock() const override;
    // What the air view shows: a 360 x 288 thumbnail of the screen with the first frame at half
    // size at its place, like the previews of pages and clocks.
    const pages::CBitmap32* Preview() const override { return &thumbnail_; }
    void SetLoop(bool loop) override { loop_ = loop; }
    int OpenFile(const std::string& path) override { return open(path); }
    bool Loop() const override { return loop_; }

    const pages::BannerHeader& header() const { return header_; }
    // The first frame at full size (the file's preview).
    const pages::CBitmap32& preview() const { return preview_; }
    const std::string& path() const { return path_; }
    uint32_t delivered() const { return delivered_; }
    size_t blockSize() const { return blockSize_; }
    // The block read last (nullptr before the first).
    const uint8_t* block() const;
    // Reads frame n's block into out (inspection; the playing position is kept). False when it
    // cannot be read whole.
    bool ReadFrame(uint32_t n, std::vector<uint8_t>& out) const;

private:
    std::string path_;
    int fd_ = -1;
    pages::BannerHeader header_;
    pages::CBitmap32 preview_, thumbnail_;
    device::Rect rect_;
    uint32_t periodMs_ = 0;
    bool loop_ = false;
    size_t blockSize_ = 0;
    // Shared with the command that sends them: a buffer still held by one is not overwritten.
    std::shared_ptr<std::vector<uint8_t>> buffers_[2];
    uint32_t delivered_ = 0;
    bool finished_ = false;
    int half_ = 0;  // the buffer filled last
    bool anyRead_ = false;
};

}  // namespace wizards

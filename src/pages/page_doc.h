// A page: background colour and picture, and the ordered list of frames (the first is drawn
// first); its editing rules and its file (".zxg").
//
// Page file, little-endian:
//   header (256 bytes): "PAGE", version 0x00010004 (0x00010002..4 read), reserved, frame count,
//     background colour, reserved, background rectangle (16), PageSummary (128; its flags bit 0
//     is the has-background-picture flag), thumbnail offset, Device data offset and size,
//     reserved (72);
//   each frame: name, rectangle (4 × i32), lock, FrameFormat, paragraph count, per paragraph
//     ParaFormat, run count and per run text and TextFormat; with a banner link the path kind
//     (0 below the Banners folder, 1 whole) and path; with a banner link or picture the
//     picture's width, height and pixels;
//   the background picture's pixels inside the background rectangle, when there is one;
//   the thumbnail (360 × 288 × 4 bytes);
//   the Device data: DeviceHeader (32 bytes), still and strip.
// Strings are a 32-bit length and that many bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/page_format.h"
#include "pages/page_frame.h"

namespace platform {
class Clock;
}

namespace pages {

class CFontManager;
class CPageImage;

// Load modes (combined by callers: air controller 30, captions, chat and votes 6, editor 2,
// sequences 1, titles 12 and 4).
enum : int {
    LOAD_SUMMARY = 1,
    LOAD_FRAMES = 2,  // frames and background picture, with font substitution
    LOAD_THUMBNAIL = 4,
    LOAD_DEVICE = 8,
    LOAD_NO_PICTURES = 16,  // with LOAD_FRAMES: skip frame pictures and the background picture
    // With LOAD_DEVICE, for air: a still whose checksum does not match its words is a damaged
    // file. The Device would refuse it three times and drop the link.
    LOAD_VERIFY = 32,
};

enum : uint32_t {
    PAGE_VERSION = 0x00010004,
    PAGE_VERSION_OLDEST = 0x00010002,  // frames only: no usable summary, thumbnail or Device data
    DEFAULT_PAGE_COLOUR = 0x807F0000,
};

enum : int32_t {
    PAGE_WIDTH = 720,
    PAGE_HEIGHT = 576,
    PAGE_HEADER_SIZE = 256,
    THUMB_WIDTH = 360,
    THUMB_HEIGHT = 288,
    THUMB_SIZE = THUMB_WIDTH * THUMB_HEIGHT * 4,
};

class CPageDoc {
public:
    // The fonts lay out and substitute; the clock names new pages (the system clock if none).
    explicit CPageDoc(CFontManager& fonts, const platform::Clock* clock = nullptr);
    ~CPageDoc();
    CPageDoc(const CPageDoc&) = delete;
    CPageDoc& operator=(const CPageDoc&) = delete;

    CFontManager& fonts() const { return *fonts_; }

    // --- The page ---------------------------------------------------------------------------
    uint32_t backgroundColour = DEFAULT_PAGE_COLOUR;
    bool hasBackgroundPicture = false;
    Rect backgroundRect;   // where the background picture is
    CBitmap32 background;  // 720 × 576: the colour, and the picture inside its rectangle
    std::vector<std::unique_ptr<CPageFrame>> frames;

    std::string pathName;
    bool modified = false;
    bool hasFile = false;

    int frameCount() const { return int(frames.size()); }
    CPageFrame* frame(int index) const;

    // --- Operations -------------------------------------------------------------------------
    // Empty page: no frames, the default colour, no picture, a new name.
    void NewPage();
    // "YYMMDD_HHMM.zxg" from the local time; clears the modified flag.
    void NewName();
    // A new page from a template: empty first, then the template's frames and background, and a
    // new name, so that saving never overwrites the template. A file result code; after a
    // failure the page stays empty (with its new name) and the caller shows the code.
    int NewFromTemplate(const std::string& path, CPageImage& image);
    int AppendFrame(std::unique_ptr<CPageFrame> frame);
    void DeleteFrame(int index);
    // Swaps with the last / first frame (a swap, not a move).
    void BringToFront(int index);
    void SendToBack(int index);
    // Type of the first frame whose type is not fixed, else 0.
    int32_t MovingFrameType() const;
    int MovingFrameIndex() const;  // -1 without one
    bool HasBanner() const;
    int BannerFrameIndex() const;  // -1 without one
    // Lays out every frame after dropping its selection and scroll offsets; true when all fit.
    bool LayoutAll();
    // The summary of the laid-out page.
    PageSummary BuildSummary() const;
    void SetFrameRectangle(int index, const Rect& requested);
    void SetTextFormat(int index, TextFormatPart part, const TextFormat& f);
    // Stores the colour, drops the background picture and fills the background with it.
    void SetBackgroundColour(uint32_t colour);
    // Places a picture: the background is filled with the colour, the picture's region at
    // (sx, sy) of at most 720 × 576 pixels is copied to (x, y), and that becomes the background
    // rectangle.
    void SetBackgroundPicture(const CBitmap32& picture, int32_t x, int32_t y, int32_t sx, int32_t sy);

    // --- Editing rules the editor asks ------------------------------------------------------
    // A new frame from the formats of a style: one paragraph with one empty run. A moving type
    // on a page that already has a moving or banner frame becomes fixed, and demoted says so
    // (the editor then shows 14032). Returns the new frame's index.
    int CreateFrame(const Rect& rect, const FrameFormat& ff, const ParaFormat& pf, const TextFormat& tf,
                    const std::string& name, bool* demoted = nullptr);
    // A frame's type may change when the page has no banner frame and the frame is the moving
    // frame or there is none.
    bool CanChangeFrameType(int index) const;
    // Changes the type when allowed (Scroller: paragraphs left-aligned, Roll: top-aligned).
    bool SetFrameType(int index, int32_t type);
    // A banner may be linked to the frame that holds it, or when the page has neither a moving
    // frame nor a banner.
    bool CanLinkBanner(int index) const;
    bool LinkBanner(int index, const std::string& path, const CBitmap32& preview);

    // --- File -------------------------------------------------------------------------------
    // Reads a page file with the mode bits above. A file result code: 257 cannot open, 259 not
    // a page file or damaged, 260 unsupported version (also for modes 1, 4 and 8 of a version
    // 0x00010002 file). After a failure the page is empty and image is cleared.
    int Load(int mode, const std::string& path, CPageImage& image);
    // Writes the page with its compiled image atomically. 258 when it cannot be written.
    int Save(const std::string& path, const CPageImage& image);
    // The file image Save writes.
    std::vector<uint8_t> Serialize(const CPageImage& image) const;

    // The Banners folder, where banner paths are stored relative to (the program's folder when
    // not set).
    void setBannersFolder(std::string folder) { bannersFolder_ = std::move(folder); }
    std::string bannersFolder() const;

private:
    void clearFrames();

    CFontManager* fonts_;
    const platform::Clock* clock_;
    std::string bannersFolder_;
};

// The summary of a page file from its header alone, without a page document: what a Load of
// LOAD_SUMMARY gives, with the same result codes (a sequence of a thousand pages reads a
// thousand headers).
int ReadPageSummary(const std::string& path, PageSummary& summary);

}  // namespace pages

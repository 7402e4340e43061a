// CITVPicture: the interactive system's on-air picture. The page of the system with its frames
// resolved, the base picture (the page with the static texts and without the frames whose values
// change), and the queue of changed rectangles the air frame loads into the hidden half of the
// Device's other layer before it flips the halves. The Device keys that layer over the base, so
// the rectangles hold the changing frames alone (background, picture, text) on transparent: a
// frame drawn into both layers would be keyed twice over itself and its half-transparent parts
// would come out darker than the page has them. Each half keeps its own set of values last drawn
// into it, so a change is drawn into both halves in turn.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "interactive/itv_doc.h"
#include "interactive/itv_votes.h"
#include "pages/bitmap32.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/clock.h"

namespace pages {
class CFontManager;
class CompileProgress;
}  // namespace pages

namespace interactive {

enum : int {
    IDS_ITV_DUPLICATE_BINDING = 16028,  // "Frame %1 has more than one binding!"
    IDS_ITV_FRAME_NOT_FOUND = 16038,    // "Frame %1 not found!"
    IDS_ITV_NO_FRAMES = 16039,          // "This page has no frames!"
};

class CITVPicture final : public air::AirInteractive {
public:
    CITVPicture(pages::CFontManager& fonts, const platform::Clock& clock, const CITVDoc& doc,
                const CVoteCounter& counter);

    // Loads the page (mode 6) and resolves the bindings: 0, a page file result code,
    // IDS_ITV_NO_FRAMES, or IDS_ITV_FRAME_NOT_FOUND with the name in *missing. The bars' frames
    // give their background colour to the bar and become transparent.
    int Load(const std::string& pageFile, std::string* missing = nullptr);
    bool loaded() const { return loaded_; }
    bool verticalFilter() const { return filtered_; }
    // The base picture: the static texts in, the changing frames out, compiled for the Device.
    // The thumbnail then shows the picture with the values as they are.
    void PrepareBase(pages::CompileProgress* progress = nullptr);
    bool prepared() const { return prepared_; }
    void Unprepare() { prepared_ = false; }
    const pages::CBitmap32& thumbnail() const { return thumbnail_; }
    // The picture as it stands on air: the changing frames as last drawn keyed over the base.
    pages::CBitmap32 Composite() const;
    // What the other layer holds: the changing frames as last drawn, transparent elsewhere.
    const pages::CBitmap32& overlay() const { return overlay_; }
    // The frame bound at a row and column, -1 when none.
    int boundFrame(int row, int col) const;
    const pages::CPageDoc& page() const { return page_; }

    // What the picture shows besides the counts.
    bool showClock = true;
    bool showTemperature = true;
    int temperature = 20;
    // Device models that take data without checksums.
    bool noChecksums = false;

    // The picture update: every binding whose value differs from the one last drawn into the
    // current half is drawn and queued. True when anything is queued.
    bool Update();
    // Values last drawn into a half (-2: never).
    int64_t drawnValue(int half, int row, int col) const;

    // air::AirInteractive
    void Rebuild() override;
    device::DataRef FullPicture() const override;
    bool BufferFlag() const override { return buffer_; }
    void SetBufferFlag(bool set) override { buffer_ = set; }
    bool QueueEmpty() const override { return queue_.empty(); }
    Entry Front() const override;
    void PopFront() override;
    bool HasNewPicture() override { return Update(); }

    // The value a binding shows now, and its text (bars have none).
    int64_t Value(int row, int col) const;
    std::string Text(int row, int col, int64_t value) const;

private:
    struct Queued {
        device::Rect rect;
        std::shared_ptr<const std::vector<uint8_t>> pixels;
    };
    // Draws a binding's value into the overlay; its rectangle (empty when there is none).
    pages::Rect draw(int row, int col, int64_t value);
    pages::Rect drawBar(int col, int frame, int scale);
    void queue(const pages::Rect& r);
    pages::Rect rectOf(int frame) const;

    pages::CFontManager& fonts_;
    const platform::Clock& clock_;
    const CITVDoc& doc_;
    const CVoteCounter& counter_;
    pages::CPageDoc page_;
    pages::CPageImage image_;
    pages::CBitmap32 overlay_;
    pages::CBitmap32 thumbnail_;
    std::shared_ptr<const std::vector<uint8_t>> base_;
    std::array<std::array<int, kItvColumns>, kItvRows> frames_{};
    std::array<uint32_t, kItvColumns> barColour_{};
    std::array<std::array<std::array<int64_t, kItvColumns>, kItvRows>, 2> drawn_{};
    std::deque<Queued> queue_;
    bool loaded_ = false;
    bool filtered_ = false;
    bool prepared_ = false;
    bool buffer_ = false;
};

}  // namespace interactive

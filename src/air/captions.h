// Captions mode: a page whose first frame is the caption box, a list of caption texts, and one
// key (F2) that renders the next caption into the box and puts it on air through the air frame,
// which takes it off again after a time that grows with its length.
//
// CaptionState is the caption the air frame plays. CCaptions holds what the captions view shows
// and does (the view only forwards the operator's commands): the caption page in a page document
// of its own, the list and its text box, the settings, the buttons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "air/captions_file.h"
#include "pages/bitmap32.h"
#include "pages/page_frame.h"

namespace app {
class CZentrixApp;
class Profile;
}  // namespace app
namespace pages {
class CFontManager;
class CPageDoc;
}  // namespace pages

namespace air {

class CAirFrame;

enum : int {
    IDS_NO_FRAMES = 16039,       // "This page has no frames!"
    IDS_CAPTIONS_EMPTY = 16024,  // "Sequence is empty!"
    CAPTION_MAX_HEIGHT = 288,    // a taller box is cut to this many lines
    CAPTION_TIME_BASE_MAX = 9,
    CAPTION_BORDER_MAX = 13,
};

// Section "Captions" of the settings file.
struct CaptionSettings {
    std::string fileName;    // "FileName": the caption page
    std::string titlesFile;  // "TitlesFile": the captions text file
    int timeBase = 5;        // "TimeBase", the "Delay" slider, 0-9
    bool fade = false;       // "Fade"
    bool fastMode = true;    // "FastMode"
    int blends = 0;          // "Blends", the frame border, 0-13
};
// Values out of the sliders' ranges are clamped to them; a relative file name is below root.
CaptionSettings LoadCaptionSettings(const app::Profile& ini, const std::string& root = {});
void SaveCaptionSettings(app::Profile& ini, const CaptionSettings& s);

// The caption handed to the air frame.
class CaptionState final : public AirCaption {
public:
    pages::CBitmap32 captionBitmap;             // the box's size; transparent until the first render
    pages::CPageFrame* captionFrame = nullptr;  // the page's first frame, in the captions' document
    device::Rect captionRect;                   // the box on the 720 × 576 frame
    int current = 0;                            // the caption in the text box
    int timeBase = 5;
    bool fade = false;
    int border = 0;
    bool fastMode = true;
    uint32_t showTime = 0;  // ms, of the caption rendered last
    // The rendered caption as a Device block (2 × w × h + 2 bytes). Every render makes a new
    // block: the one handed to the engine stays as it was until its command has finished.
    std::shared_ptr<const std::vector<uint8_t>> devicePixels;
    bool filter = false;  // the page had the vertical filter

    device::Rect Rect() const override { return captionRect; }
    device::DataRef Picture() const override { return device::DataRef::Share(devicePixels); }
    uint32_t ShowTimeMs() const override { return showTime; }
    int Border() const override { return border; }
    bool Fade() const override { return fade; }
};

// The buttons of the view as the model has them.
struct CaptionButtons {
    bool openPage = false, loadCaptions = false, saveCaptions = false, add = false;
    bool showHide = false, first = false, previous = false, next = false, last = false;
    bool remove = false, counters = false, textBox = false;
    int page = 0, of = 0;  // "page" n "of" m
};

// What F2 did.
enum class CaptionKey : int { NONE = 0, SHOWN, HIDDEN };

class CCaptions {
public:
    // Reads the settings (section "Captions"); loads nothing.
    CCaptions(app::CZentrixApp& app, pages::CFontManager& fonts);
    ~CCaptions();
    CCaptions(const CCaptions&) = delete;
    CCaptions& operator=(const CCaptions&) = delete;

    // Writes the six settings back (the view does at destroy).
    void SaveSettings();

    CaptionState& state() { return state_; }
    const CaptionState& state() const { return state_; }
    const CaptionSettings& settings() const { return settings_; }
    const CaptionList& list() const { return list_; }
    bool pageLoaded() const { return state_.captionFrame != nullptr; }
    // The page the box comes from ("" before one is open).
    const std::string& pagePath() const { return pagePath_; }

    // The sliders and check boxes.
    void SetTimeBase(int v);
    void SetBorder(int v);
    void SetFade(bool on);
    void SetFastMode(bool on);

    // The caption page (load mode 6). A file result code, or 16039 with the error icon for a
    // page without frames (shown); on any failure the previous caption page stays.
    int OpenPage(const std::string& path);
    // The titles file: the list is replaced only by one that has captions. 257 when the file
    // cannot be read; IDS_CAPTIONS_EMPTY when it holds none. The message is shown.
    int LoadCaptions(const std::string& path);
    // Stores the text box first. 258 when the file cannot be written (shown).
    int SaveCaptions(const std::string& path);

    // The text box: what the operator typed (any line breaks), and what it shows.
    void SetText(const std::string& text) { text_ = CaptionText(text); }
    const std::string& Text() const { return text_; }
    // The text box into caption `current` (nothing with an empty list).
    void StoreText();

    // Editing; each navigation stores the text box first.
    void First();
    void Previous();
    void Next();
    void Last();
    void Add();
    void Delete();

    // Renders caption index into the box; false without a page or such a caption.
    bool Render(int index);
    // "Show / hide page (F2)": in fast mode or with nothing on air the caption in the text box
    // goes on air (replacing one that is on air) and the next one comes up; otherwise the one on
    // air is taken off. Nothing while the button is disabled.
    CaptionKey ShowHide(CAirFrame& frame);

    // frame: null when no air frame runs.
    CaptionButtons Buttons(const CAirFrame* frame) const;

    // (characters + 2) × (time base + 1) × 30 ms.
    static uint32_t ShowTimeOf(const std::string& text, int timeBase);

private:
    void showCurrent();

    app::CZentrixApp& app_;
    pages::CFontManager& fonts_;
    CaptionSettings settings_;
    CaptionState state_;
    std::unique_ptr<pages::CPageDoc> page_;
    std::string pagePath_;
    CaptionList list_;
    std::string text_;
};

}  // namespace air

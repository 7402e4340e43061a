#include "air/captions.h"

#include <algorithm>

#include "air/air_frame.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/zentrix_app.h"
#include "device/command_set.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/files.h"

namespace air {

namespace {

constexpr char kSection[] = "Captions";

}  // namespace

CaptionSettings LoadCaptionSettings(const app::Profile& ini, const std::string& root) {
    CaptionSettings s;
    auto file = [&](const char* key) {
        std::string name = platform::NormaliseDataName(ini.getString(kSection, key));
        if (!name.empty() && name.front() != '/' && !root.empty()) name = root + name;
        return name;
    };
    s.fileName = file("FileName");
    s.titlesFile = file("TitlesFile");
    // A hand-edited value outside the sliders' ranges would render and send what no slider shows.
    s.timeBase = std::clamp(ini.getInt(kSection, "TimeBase", 5), 0, int(CAPTION_TIME_BASE_MAX));
    s.fade = ini.getInt(kSection, "Fade", 0) != 0;
    s.fastMode = ini.getInt(kSection, "FastMode", 1) != 0;
    s.blends = std::clamp(ini.getInt(kSection, "Blends", 0), 0, int(CAPTION_BORDER_MAX));
    return s;
}

void SaveCaptionSettings(app::Profile& ini, const CaptionSettings& s) {
    app::Profile::Batch batch(ini);
    ini.putString(kSection, "FileName", s.fileName);
    ini.putString(kSection, "TitlesFile", s.titlesFile);
    ini.putInt(kSection, "TimeBase", s.timeBase);
    ini.putInt(kSection, "Fade", s.fade ? 1 : 0);
    ini.putInt(kSection, "FastMode", s.fastMode ? 1 : 0);
    ini.putInt(kSection, "Blends", s.blends);
}

CCaptions::CCaptions(app::CZentrixApp& app, pages::CFontManager& fonts)
    : app_(app), fonts_(fonts), settings_(LoadCaptionSettings(app.profile(), app.GetPath(app::FOLDER_ROOT))) {
    state_.timeBase = settings_.timeBase;
    state_.fade = settings_.fade;
    state_.fastMode = settings_.fastMode;
    state_.border = settings_.blends;
}

CCaptions::~CCaptions() = default;

void CCaptions::SaveSettings() { SaveCaptionSettings(app_.profile(), settings_); }

void CCaptions::SetTimeBase(int v) {
    state_.timeBase = settings_.timeBase = std::clamp(v, 0, int(CAPTION_TIME_BASE_MAX));
}
void CCaptions::SetBorder(int v) { state_.border = settings_.blends = std::clamp(v, 0, int(CAPTION_BORDER_MAX)); }
void CCaptions::SetFade(bool on) { state_.fade = settings_.fade = on; }
void CCaptions::SetFastMode(bool on) { state_.fastMode = settings_.fastMode = on; }

uint32_t CCaptions::ShowTimeOf(const std::string& text, int timeBase) {
    return uint32_t((uint64_t(text.size()) + 2) * uint64_t(std::clamp(timeBase, 0, 9) + 1) * 30);
}

// ---- Files --------------------------------------------------------------------------------

int CCaptions::OpenPage(const std::string& path) {
    // Read into a document of its own: a page that cannot serve leaves the caption page as it was.
    auto doc = std::make_unique<pages::CPageDoc>(fonts_);
    pages::CPageImage image;
    const int code = doc->Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, path, image);
    if (code != pages::FILE_OK) {
        app::ShowFileResult(code, path);
        return code;
    }
    if (doc->frameCount() == 0) {
        LogMessage("CCaptions::OpenPage %s: no frames", path.c_str());
        app::MessageBoxId(IDS_NO_FRAMES, app::MB_ICONERROR);
        return IDS_NO_FRAMES;
    }
    while (doc->frameCount() > 1) doc->DeleteFrame(doc->frameCount() - 1);
    pages::CPageFrame& f = *doc->frame(0);
    pages::Rect box = f.rect;
    if (box.height() > CAPTION_MAX_HEIGHT) box.bottom = box.top + CAPTION_MAX_HEIGHT;
    // The Device takes pictures in pixel pairs.
    if (box.width() & 1) box.right -= 1;
    if (box.width() < 2 || box.height() < 1) {
        app::ShowFileResult(pages::FILE_FORMAT_ERROR, path);
        return pages::FILE_FORMAT_ERROR;
    }
    f.rect = box;
    // The text goes; its first paragraph and run keep the formats every caption is set in.
    f.paragraphs.resize(1);
    f.paragraphs[0].runs.resize(1);
    f.paragraphs[0].runs[0].text.clear();
    f.ResetView();
    f.Layout(fonts_);

    page_ = std::move(doc);
    pagePath_ = path;
    state_.captionFrame = &f;
    state_.captionRect = {box.left, box.top, box.right, box.bottom};
    state_.filter = (image.summary.flags & pages::SUMMARY_FILTERED) != 0;
    state_.captionBitmap.create(box.width(), box.height());
    state_.captionBitmap.fillAll(0xFF000000);
    auto block = std::make_shared<std::vector<uint8_t>>(device::RectBlockSize(box.width(), box.height()));
    state_.captionBitmap.toDevice(block->data(), 0, 0, box.width(), box.height(), true);
    state_.devicePixels = std::move(block);
    state_.showTime = 0;
    settings_.fileName = path;
    app_.folders().SetLastPath(app::FOLDER_LAST_PAGES, path);
    LogMessage("CCaptions::OpenPage %s: box %d,%d %dx%d%s", path.c_str(), box.left, box.top, box.width(), box.height(),
               state_.filter ? ", filtered" : "");
    return pages::FILE_OK;
}

int CCaptions::LoadCaptions(const std::string& path) {
    CaptionList fresh;
    const int code = ReadCaptionsFile(path, fresh);
    if (code != pages::FILE_OK) {
        app::ShowFileResult(code, path);
        return code;
    }
    settings_.titlesFile = path;
    app_.folders().SetLastPath(app::FOLDER_LAST_TEXT, path);
    // Only a file with captions replaces the list: the operator's typing is not thrown away.
    if (fresh.empty()) {
        app::MessageBoxId(IDS_CAPTIONS_EMPTY, app::MB_ICONWARNING);
        return IDS_CAPTIONS_EMPTY;
    }
    list_ = std::move(fresh);
    state_.current = 0;
    showCurrent();
    LogMessage("CCaptions::LoadCaptions %s: %d captions", path.c_str(), int(list_.size()));
    return pages::FILE_OK;
}

int CCaptions::SaveCaptions(const std::string& path) {
    StoreText();
    const int code = WriteCaptionsFile(path, list_);
    if (code != pages::FILE_OK) {
        app::ShowFileResult(code, path);
        return code;
    }
    settings_.titlesFile = path;
    app_.folders().SetLastPath(app::FOLDER_LAST_TEXT, path);
    return code;
}

// ---- Editing ------------------------------------------------------------------------------

void CCaptions::showCurrent() {
    const int n = int(list_.size());
    state_.current = n ? std::clamp(state_.current, 0, n - 1) : 0;
    text_ = n ? list_[size_t(state_.current)] : std::string();
}

void CCaptions::StoreText() {
    if (list_.empty()) return;
    state_.current = std::clamp(state_.current, 0, int(list_.size()) - 1);
    list_[size_t(state_.current)] = text_;
}

void CCaptions::First() {
    StoreText();
    state_.current = 0;
    showCurrent();
}

void CCaptions::Previous() {
    StoreText();
    if (state_.current > 0) --state_.current;
    showCurrent();
}

void CCaptions::Next() {
    StoreText();
    if (state_.current + 1 < int(list_.size())) ++state_.current;
    showCurrent();
}

void CCaptions::Last() {
    StoreText();
    state_.current = int(list_.size()) - 1;
    showCurrent();
}

void CCaptions::Add() {
    StoreText();
    if (list_.empty()) {
        list_.emplace_back();
        state_.current = 0;
    } else {
        list_.insert(list_.begin() + state_.current + 1, std::string());
        ++state_.current;
    }
    showCurrent();
}

void CCaptions::Delete() {
    if (list_.empty()) return;
    list_.erase(list_.begin() + state_.current);
    if (state_.current >= int(list_.size())) state_.current = std::max(0, int(list_.size()) - 1);
    showCurrent();
}

// ---- Air ----------------------------------------------------------------------------------

bool CCaptions::Render(int index) {
    if (!state_.captionFrame || index < 0 || index >= int(list_.size())) return false;
    const std::string& t = list_[size_t(index)];
    state_.showTime = ShowTimeOf(t, state_.timeBase);

    // The text in the box frame's own formats, one paragraph a line.
    pages::CPageFrame& f = *state_.captionFrame;
    const pages::ParaFormat pf = f.paragraphs[0].format;
    const pages::TextFormat tf = f.paragraphs[0].runs[0].format;
    f.paragraphs.clear();
    size_t pos = 0;
    for (;;) {
        const size_t end = t.find("\r\n", pos);
        pages::CParagraph p;
        p.format = pf;
        p.runs[0].format = tf;
        std::string& text = p.runs[0].text;
        for (size_t i = pos; i < (end == std::string::npos ? t.size() : end); ++i)
            if (static_cast<unsigned char>(t[i]) >= 32) text += t[i];
        f.paragraphs.push_back(std::move(p));
        if (end == std::string::npos) break;
        pos = end + 2;
    }
    f.ResetView();
    f.Layout(fonts_);

    pages::CBitmap32& bmp = state_.captionBitmap;
    bmp.fillAll(f.format.colour);
    f.Draw(fonts_, bmp.view(), bmp.bounds(), 0);
    if (state_.filter) bmp.verticalFilter(0, 0, 0, 0);
    // A new block each time: the engine may still be sending the one handed over before.
    auto block = std::make_shared<std::vector<uint8_t>>(device::RectBlockSize(bmp.width(), bmp.height()));
    bmp.toDevice(block->data(), 0, 0, bmp.width(), bmp.height(), true);
    state_.devicePixels = std::move(block);
    LogMessage("CCaptions::Render %d: %u ms", index, unsigned(state_.showTime));
    return true;
}

CaptionKey CCaptions::ShowHide(CAirFrame& frame) {
    if (!Buttons(&frame).showHide) return CaptionKey::NONE;
    if (state_.fastMode || !frame.IsOnAir()) {
        StoreText();
        if (!Render(state_.current)) return CaptionKey::NONE;
        if (state_.current + 1 < int(list_.size())) {
            ++state_.current;
            showCurrent();
        }
        frame.PlayCaption(&state_);
        return CaptionKey::SHOWN;
    }
    frame.StopAfterCaption();
    return CaptionKey::HIDDEN;
}

CaptionButtons CCaptions::Buttons(const CAirFrame* frame) const {
    CaptionButtons b;
    const bool onAir = frame && frame->IsOnAir();
    const bool any = !list_.empty();
    const int n = int(list_.size());
    b.openPage = b.loadCaptions = b.add = !onAir;
    b.saveCaptions = !onAir && any;
    b.showHide = pageLoaded() && any && frame && (frame->CanStart() || frame->IsOnAir());
    b.first = b.previous = state_.current > 0;
    b.next = b.last = state_.current < n - 1;
    b.remove = b.counters = b.textBox = any;
    b.page = any ? state_.current + 1 : 0;
    b.of = n;
    return b;
}

}  // namespace air

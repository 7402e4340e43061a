#include "interactive/itv_picture.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "air/titr_model.h"
#include "app/log/event_log.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_frame.h"

namespace interactive {

namespace {

constexpr uint32_t kClear = 0xFF000000;
// A frame switched off ("Show clock", "Show temperature" unticked): drawn empty, and never equal
// to a value it could show (a temperature of 0 must still be drawn when it is switched on).
constexpr int64_t kOff = INT64_MIN;
constexpr int64_t kNeverDrawn = -2;

bool Changing(int row, int col) {
    if (row == ITV_ROW_ANSWER || row == ITV_ROW_KEYWORD) return false;
    if (row == ITV_ROW_OTHER) return col >= ITV_COL_TOTAL && col <= ITV_COL_TEMPERATURE;
    return true;
}

}  // namespace

CITVPicture::CITVPicture(pages::CFontManager& fonts, const platform::Clock& clock, const CITVDoc& doc,
                         const CVoteCounter& counter)
    : fonts_(fonts), clock_(clock), doc_(doc), counter_(counter), page_(fonts, &clock) {
    for (auto& row : frames_) row.fill(-1);
}

int CITVPicture::boundFrame(int row, int col) const {
    if (row < 0 || row >= kItvRows || col < 0 || col >= kItvColumns) return -1;
    return frames_[size_t(row)][size_t(col)];
}

int CITVPicture::Load(const std::string& pageFile, std::string* missing) {
    loaded_ = prepared_ = false;
    queue_.clear();
    for (auto& row : frames_) row.fill(-1);
    const int code = page_.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, pageFile, image_);
    if (code != pages::FILE_OK) return code;
    if (page_.frameCount() == 0) return IDS_ITV_NO_FRAMES;
    filtered_ = (image_.summary.flags & pages::SUMMARY_FILTERED) != 0;
    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col) {
            const std::string& name = doc_.bindings[size_t(row)][size_t(col)];
            if (name.empty()) continue;
            int found = -1;
            for (int i = 0; i < page_.frameCount() && found < 0; ++i)
                if (page_.frame(i)->name == name) found = i;
            if (found < 0) {
                if (missing) *missing = name;
                LogMessage("CITVView::Load: frame %s not found", name.c_str());
                return IDS_ITV_FRAME_NOT_FOUND;
            }
            frames_[size_t(row)][size_t(col)] = found;
        }
    for (int col = 0; col < kItvColumns; ++col)
        if (pages::CPageFrame* f = page_.frame(frames_[ITV_ROW_SCALE][size_t(col)])) {
            barColour_[size_t(col)] = f->format.colour;
            f->format.colour = kClear;
        }
    thumbnail_ = image_.thumbnail;
    loaded_ = true;
    return 0;
}

void CITVPicture::PrepareBase(pages::CompileProgress* progress) {
    if (!loaded_) return;
    std::vector<bool> changing(size_t(page_.frameCount()), false);
    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col) {
            const int index = frames_[size_t(row)][size_t(col)];
            pages::CPageFrame* f = page_.frame(index);
            if (!f) continue;
            std::string text;
            if (row == ITV_ROW_ANSWER) text = doc_.answerTexts[size_t(col)];
            else if (row == ITV_ROW_KEYWORD) text = doc_.keywords[size_t(col)];
            else if (row == ITV_ROW_OTHER && col == ITV_COL_QUESTION) text = doc_.question;
            air::CTitrModel::ReplaceFrameText(*f, text);
            if (Changing(row, col)) changing[size_t(index)] = true;
        }
    // The base is compiled without the changing frames: they are the other layer's alone. Their
    // indices stay as they are, so they go back to their places afterwards.
    std::vector<std::unique_ptr<pages::CPageFrame>> all = std::move(page_.frames);
    page_.frames.clear();
    std::vector<size_t> kept;
    for (size_t i = 0; i < all.size(); ++i)
        if (!changing[i]) {
            kept.push_back(i);
            page_.frames.push_back(std::move(all[i]));
        }
    image_.Compile(page_, air::TitleCompileOptions(filtered_, noChecksums) & ~pages::COMPILE_THUMBNAIL, progress);
    for (size_t k = 0; k < kept.size(); ++k) all[kept[k]] = std::move(page_.frames[k]);
    page_.frames = std::move(all);

    auto base = std::make_shared<std::vector<uint8_t>>(size_t(pages::DEVICE_STILL_SIZE));
    // A one-colour page compiles to one pixel pair; the halves need the whole picture.
    if (image_.uniform() || image_.data.size() < size_t(pages::DEVICE_STILL_SIZE))
        image_.picture.toDevice(base->data(), 0, 0, pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT, !noChecksums);
    else std::copy_n(image_.data.begin(), pages::DEVICE_STILL_SIZE, base->begin());
    base_ = std::move(base);

    // The thumbnail shows the picture as it will go on air, the values as they are now.
    overlay_.create(pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT);
    overlay_.fillAll(kClear);
    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col)
            if (frames_[size_t(row)][size_t(col)] >= 0 && Changing(row, col)) draw(row, col, Value(row, col));
    const pages::CBitmap32 shown = Composite();
    thumbnail_.create(pages::THUMB_WIDTH, pages::THUMB_HEIGHT);
    thumbnail_.reduce(shown);
    thumbnail_.flatten(false);
    prepared_ = true;
}

pages::CBitmap32 CITVPicture::Composite() const {
    pages::CBitmap32 out = image_.picture;
    if (out.empty() || overlay_.width() != out.width() || overlay_.height() != out.height()) return out;
    // Both hold colours already weighted by their opacity: the layer on top covers the one
    // below by its own opacity.
    for (int32_t y = 0; y < out.height(); ++y)
        for (int32_t x = 0; x < out.width(); ++x) {
            const uint8_t* s = overlay_.pixel(x, y);
            const int ts = s[pages::PIX_TRANS];
            if (ts >= 255) continue;
            uint8_t* d = out.pixel(x, y);
            const int td = d[pages::PIX_TRANS];
            const int keep = std::min(ts, 255 - td);
            for (int c : {pages::PIX_BLUE, pages::PIX_GREEN, pages::PIX_RED})
                d[c] = uint8_t(std::min(255, s[c] + keep * d[c] / 255));
            d[pages::PIX_TRANS] = uint8_t(std::min(ts, td));
        }
    return out;
}

device::DataRef CITVPicture::FullPicture() const {
    if (!base_) return {};
    return device::DataRef::Share(base_);
}

void CITVPicture::Rebuild() {
    queue_.clear();
    buffer_ = false;
    for (auto& half : drawn_)
        for (auto& row : half) row.fill(kNeverDrawn);
    // The full picture goes into the current layer and clears the other, both of whose halves
    // then get every value in turn.
    Update();
}

air::AirInteractive::Entry CITVPicture::Front() const {
    if (queue_.empty()) return {};
    const Queued& q = queue_.front();
    return {q.rect, device::DataRef::Share(q.pixels)};
}

void CITVPicture::PopFront() {
    if (!queue_.empty()) queue_.pop_front();
}

int64_t CITVPicture::drawnValue(int half, int row, int col) const {
    if (half < 0 || half > 1 || row < 0 || row >= kItvRows || col < 0 || col >= kItvColumns) return kNeverDrawn;
    return drawn_[size_t(half)][size_t(row)][size_t(col)];
}

int64_t CITVPicture::Value(int row, int col) const {
    switch (row) {
        case ITV_ROW_SCALE: return counter_.scale(col);
        case ITV_ROW_VOTES: return counter_.votes(col);
        case ITV_ROW_PERCENT: return counter_.percent(col);
        case ITV_ROW_CALLER: return counter_.lastVote(col);
        case ITV_ROW_OTHER:
            if (col == ITV_COL_TOTAL) return counter_.total();
            if (col == ITV_COL_CLOCK) {
                const int64_t last = drawn_[buffer_ ? 1 : 0][ITV_ROW_OTHER][ITV_COL_CLOCK];
                return showClock ? (last == kOff ? 0 : last + 1) : kOff;
            }
            if (col == ITV_COL_TEMPERATURE) return showTemperature ? temperature : kOff;
            return 0;
        default: return 0;
    }
}

std::string CITVPicture::Text(int row, int col, int64_t value) const {
    if (value == kOff) return {};
    char buf[64] = {};
    switch (row) {
        case ITV_ROW_VOTES: std::snprintf(buf, sizeof buf, "%d", int(value)); break;
        case ITV_ROW_PERCENT: return PercentText(int(value), doc_.decimals);
        case ITV_ROW_CALLER: return counter_.lastNumber(col);
        case ITV_ROW_OTHER:
            if (col == ITV_COL_TOTAL) {
                std::snprintf(buf, sizeof buf, "%d", int(value));
            } else if (col == ITV_COL_CLOCK) {
                const platform::LocalTime t = clock_.localTime();
                const char sep = doc_.blinkingSeparator && (value & 1) ? ' ' : ':';
                if (doc_.clockSeconds)
                    std::snprintf(buf, sizeof buf, "%2d%c%02d%c%02d", t.hour, sep, t.minute, sep, t.second);
                else std::snprintf(buf, sizeof buf, "%2d%c%02d", t.hour, sep, t.minute);
            } else if (col == ITV_COL_TEMPERATURE) {
                std::snprintf(buf, sizeof buf, "%+3dOC", int(std::clamp<int64_t>(value, -999, 999)));
            }
            break;
        default: break;
    }
    return buf;
}

bool CITVPicture::Update() {
    if (!prepared_ || overlay_.empty()) return !queue_.empty();
    const size_t half = buffer_ ? 1 : 0;
    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col) {
            if (frames_[size_t(row)][size_t(col)] < 0 || !Changing(row, col)) continue;
            const int64_t value = Value(row, col);
            int64_t& drawn = drawn_[half][size_t(row)][size_t(col)];
            if (value == drawn) continue;
            const pages::Rect r = draw(row, col, value);
            if (!r.empty()) queue(r);
            drawn = value;
        }
    return !queue_.empty();
}

pages::Rect CITVPicture::rectOf(int frame) const {
    const pages::CPageFrame* f = page_.frame(frame);
    if (!f) return {};
    pages::Rect r = f->rect;
    constexpr int32_t W = pages::DEVICE_WIDTH, H = pages::DEVICE_HEIGHT;
    r.left = std::clamp<int32_t>(r.left, 0, W);
    r.right = std::clamp<int32_t>(r.right, r.left, W);
    r.top = std::clamp<int32_t>(r.top, 0, H);
    r.bottom = std::clamp<int32_t>(r.bottom, r.top, H);
    // The Device takes pixel pairs.
    if (r.width() & 1) {
        if (r.right < W) ++r.right;
        else --r.left;
    }
    return r;
}

pages::Rect CITVPicture::draw(int row, int col, int64_t value) {
    const int index = frames_[size_t(row)][size_t(col)];
    const pages::Rect r = rectOf(index);
    if (r.empty()) return r;
    if (row == ITV_ROW_SCALE) return drawBar(col, index, int(std::clamp<int64_t>(value, 0, kItvFullScale)));
    overlay_.fill(kClear, r.left, r.top, r.width(), r.height(), false);
    pages::CPageFrame* f = page_.frame(index);
    air::CTitrModel::ReplaceFrameText(*f, Text(row, col, value));
    if (value != kOff) {
        f->Layout(fonts_);
        if (pages::IsVisibleColour(f->format.colour))
            overlay_.fill(f->format.colour, r.left, r.top, r.width(), r.height(), true);
        if (f->hasPicture() && !f->picture.empty())
            overlay_.blit(f->picture, f->rect.left, f->rect.top, std::min(f->picture.width(), f->rect.width()),
                          std::min(f->picture.height(), f->rect.height()), 0, 0, pages::BLIT_BLEND);
        f->Draw(fonts_, overlay_.view(), r, 0);
        if (filtered_) overlay_.verticalFilter(r.left, r.top, r.width(), r.height());
    }
    return r;
}

pages::Rect CITVPicture::drawBar(int col, int index, int scale) {
    const pages::Rect r = rectOf(index);
    const int w = r.width(), h = r.height();
    overlay_.fill(kClear, r.left, r.top, w, h, false);
    const uint32_t bar = barColour_[size_t(col)];
    if (w < h) {
        const int length = int(int64_t(h) * scale / kItvFullScale);
        if (length > 0) overlay_.fill(bar, r.left, r.bottom - length, w, length, true);
    } else {
        const int length = int(int64_t(w) * scale / kItvFullScale) & ~1;
        if (length > 0) overlay_.fill(bar, r.left, r.top, length, h, true);
    }
    return r;
}

void CITVPicture::queue(const pages::Rect& r) {
    auto pixels = std::make_shared<std::vector<uint8_t>>(pages::DeviceBlockSize(r.width(), r.height()));
    if (!overlay_.toDevice(pixels->data(), r.left, r.top, r.width(), r.height(), !noChecksums)) return;
    queue_.push_back({device::Rect{r.left, r.top, r.right, r.bottom}, std::move(pixels)});
}

}  // namespace interactive

#include "interactive/itv_wizard.h"

#include <algorithm>

#include "app/log/event_log.h"
#include "interactive/itv_picture.h"
#include "pages/file_result.h"
#include "pages/page_frame.h"

namespace interactive {

CITVWizard::CITVWizard(pages::CFontManager& fonts) : page_(fonts) {}

int CITVWizard::LoadPage(const std::string& path, const std::string& pagesFolder) {
    loaded_ = false;
    CITVDoc fresh;
    fresh.answers = doc_.answers;
    fresh.fullScale = doc_.fullScale;
    fresh.fillWholeScale = doc_.fillWholeScale;
    fresh.ignoreDuplicates = doc_.ignoreDuplicates;
    fresh.clockSeconds = doc_.clockSeconds;
    fresh.blinkingSeparator = doc_.blinkingSeparator;
    doc_ = fresh;  // another page's frames are not this one's
    const int code = page_.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, path, image_);
    if (code != pages::FILE_OK) return code;
    if (page_.frameCount() == 0) return IDS_ITV_NO_FRAMES;
    doc_.SetPageFile(path, pagesFolder);
    loaded_ = true;
    LogMessage("CWizITV: page %s, %d frames", path.c_str(), page_.frameCount());
    return 0;
}

std::vector<std::string> CITVWizard::FrameNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < page_.frameCount(); ++i) names.push_back(page_.frame(i)->name);
    return names;
}

bool CITVWizard::HasFrame(const std::string& name) const {
    for (int i = 0; i < page_.frameCount(); ++i)
        if (page_.frame(i)->name == name) return true;
    return false;
}

std::string CITVWizard::FrameAt(int x, int y) const {
    // The last frame is drawn last: it is the one on top.
    for (int i = page_.frameCount() - 1; i >= 0; --i) {
        const pages::Rect& r = page_.frame(i)->rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return page_.frame(i)->name;
    }
    return {};
}

void CITVWizard::SetAnswers(int answers) { doc_.answers = std::clamp(answers, 0, kItvAnswers); }

bool CITVWizard::Bindable(int row, int col) const {
    if (row < 0 || row >= kItvRows || col < 0 || col >= kItvColumns) return false;
    if (row == ITV_ROW_OTHER) return col <= ITV_COL_TEMPERATURE;
    return col < doc_.answers;
}

bool CITVWizard::Bind(int row, int col, const std::string& frame) {
    if (!Bindable(row, col)) return false;
    if (!frame.empty() && (frame.size() > kItvNameSize || !HasFrame(frame))) return false;
    doc_.bindings[size_t(row)][size_t(col)] = frame;
    return true;
}

const std::string& CITVWizard::Binding(int row, int col) const {
    static const std::string none;
    if (row < 0 || row >= kItvRows || col < 0 || col >= kItvColumns) return none;
    return doc_.bindings[size_t(row)][size_t(col)];
}

std::vector<std::string> CITVWizard::RowBindings(int row) const {
    std::vector<std::string> out;
    for (int col = 0; col < kItvColumns; ++col) out.push_back(Bindable(row, col) ? Binding(row, col) : std::string());
    return out;
}

std::string CITVWizard::textOf(const std::string& frame) const {
    if (frame.empty()) return {};
    for (int i = 0; i < page_.frameCount(); ++i)
        if (page_.frame(i)->name == frame) return page_.frame(i)->PlainText();
    return {};
}

int CITVWizard::Finish(CITVDoc& out, std::string* twice) const {
    CITVDoc d = doc_;
    // Lists that are not offered (answers past the number) bind nothing.
    for (int row = 0; row < kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col)
            if (!Bindable(row, col)) d.bindings[size_t(row)][size_t(col)].clear();
    if (std::string name = d.DuplicateBinding(); !name.empty()) {
        if (twice) *twice = name;
        return IDS_ITV_DUPLICATE_BINDING;
    }
    for (int j = 0; j < kItvAnswers; ++j) {
        d.answerTexts[size_t(j)] = textOf(d.bindings[ITV_ROW_ANSWER][size_t(j)]);
        d.keywords[size_t(j)] = textOf(d.bindings[ITV_ROW_KEYWORD][size_t(j)]);
    }
    d.question = textOf(d.bindings[ITV_ROW_OTHER][ITV_COL_QUESTION]);
    d.DefaultLineTable();
    out = d;
    return 0;
}

}  // namespace interactive

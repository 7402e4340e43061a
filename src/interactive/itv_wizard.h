// CITVWizard: what the new interactive system wizard decides, for the wizard on screen and for
// zx itv new alike. Step 1 takes the page and the number of answers, step 2 binds the page's
// frames to the answers' rows (answer texts, keywords, bars, counts, percentages, callers),
// step 3 binds the question, total, clock and temperature and takes the settings; Finish refuses
// a frame bound twice and makes the system: the texts of the bound frames become the answers,
// the keywords and the question, phone line n counts for answer n.
#pragma once

#include <string>
#include <vector>

#include "interactive/itv_doc.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"

namespace pages {
class CFontManager;
}

namespace interactive {

class CITVWizard {
public:
    explicit CITVWizard(pages::CFontManager& fonts);

    // ---- Step 1 ----
    // Loads the page (frames and thumbnail): 0, a page file result code, or IDS_ITV_NO_FRAMES.
    // The path is kept relative when it lies in the pages folder. After a failure no page is
    // loaded and the bindings are gone.
    int LoadPage(const std::string& path, const std::string& pagesFolder);
    bool pageLoaded() const { return loaded_; }
    const pages::CPageDoc& page() const { return page_; }
    const pages::CBitmap32& thumbnail() const { return image_.thumbnail; }
    std::vector<std::string> FrameNames() const;
    bool HasFrame(const std::string& name) const;
    // The name of the topmost frame under a point of the page (720 × 576), "" when none.
    std::string FrameAt(int x, int y) const;
    // 0-8; bindings of answers past the number are dropped at Finish.
    void SetAnswers(int answers);
    int answers() const { return doc_.answers; }

    // ---- Steps 2 and 3 ----
    // Rows 0-5 take the first `answers` columns, row 6 the question, total, clock and
    // temperature (columns 0-3).
    bool Bindable(int row, int col) const;
    // Binds a frame ("" unbinds): false when the slot is not bindable or the page has no such
    // frame (the binding stays as it was).
    bool Bind(int row, int col, const std::string& frame);
    const std::string& Binding(int row, int col) const;
    // Where every frame of a row is bound: column by column.
    std::vector<std::string> RowBindings(int row) const;
    // The settings of step 3 (full-scale votes and the four switches) live in the document.
    CITVDoc& settings() { return doc_; }
    const CITVDoc& settings() const { return doc_; }

    // ---- Finish ----
    // The system to save: 0, or IDS_ITV_DUPLICATE_BINDING with the frame's name in *twice.
    int Finish(CITVDoc& out, std::string* twice = nullptr) const;

private:
    std::string textOf(const std::string& frame) const;

    pages::CPageDoc page_;
    pages::CPageImage image_;
    CITVDoc doc_;
    bool loaded_ = false;
};

}  // namespace interactive

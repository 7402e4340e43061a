#include "air/titr_model.h"

#include <algorithm>
#include <cstdio>

#include "air/air_content.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/preview_page.h"
#include "platform/files.h"

namespace air {

namespace {

constexpr char kSection[] = "Titr";

std::string Key(const char* format, int n) {
    char k[32];
    std::snprintf(k, sizeof k, format, n);
    return k;
}

// The compile's steps on the status bar's progress bar.
class PanelProgress final : public pages::CompileProgress {
public:
    explicit PanelProgress(TitrPanel& panel) : panel_(panel) {}
    void SetRange(int steps) override { steps_ = std::max(steps, 1); }
    void Step() override { panel_.StepProgress(std::min(100, ++done_ * 100 / steps_)); }

private:
    TitrPanel& panel_;
    int steps_ = 1;
    int done_ = 0;
};

}  // namespace

// ---- Title templates ----------------------------------------------------------------------

int LoadTitleTemplate(const std::string& path, CSeqDoc& sequence, pages::CPageDoc& page, pages::CPageImage& image,
                      std::vector<TitleField>& fields) {
    fields.clear();
    // A missing template is reported when its page is read, so the sequence's own warning for it
    // would only say the same twice.
    const int code = sequence.LoadSequence(path);
    if (code & 0x100) {
        sequence.items.clear();
        return code;
    }
    if (sequence.items.empty()) return TITLE_EMPTY;
    const int pageCode =
        page.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, sequence.FullPath(sequence.items.front()), image);
    if (pageCode != 0) return pageCode;
    for (int i = 0; i < page.frameCount() && int(fields.size()) < kTitleFieldCount; ++i) {
        const pages::CPageFrame* f = page.frame(i);
        if (f->lock != 0) continue;
        fields.push_back({i, f->name, f->PlainText()});
    }
    return 0;
}

std::string FillTitle(pages::CPageDoc& page, pages::CPageImage& image, std::vector<TitleField>& fields, int options,
                      pages::CompileProgress* progress) {
    std::string summary;
    for (TitleField& field : fields) {
        field.text = CTitrModel::TrimField(field.text);
        if (pages::CPageFrame* f = page.frame(field.frame)) CTitrModel::ReplaceFrameText(*f, field.text);
        if (!summary.empty()) summary += ',';
        summary += "[" + field.label + "]:[" + field.text + "]";
    }
    image.Compile(page, options, progress);
    for (size_t p; (p = summary.find("\r\n")) != std::string::npos;) summary.replace(p, 2, " ");
    return summary;
}

int TitleCompileOptions(bool filtered, bool noChecksums) {
    int options = pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL;
    if (filtered) options |= pages::COMPILE_FILTER;
    if (noChecksums) options |= pages::COMPILE_NO_CHECKSUM;
    return options;
}

// ---- Settings -------------------------------------------------------------------------------

TitrSettings TitrSettings::Load(const app::Profile& ini, int nodeCount) {
    TitrSettings s;
    for (int i = 0; i < kTitrColumnCount; ++i)
        s.columns[size_t(i)] = ini.getInt(kSection, Key("Column%d", i), s.columns[size_t(i)]);
    s.leftWidth = ini.getInt(kSection, "LeftWidth", s.leftWidth);
    s.fastLoad = ini.getInt(kSection, "FastLoad", s.fastLoad);
    for (int i = 0; i < nodeCount; ++i) s.nodes.push_back(ini.getInt(kSection, Key("Node%d", i), 1) != 0);
    return s;
}

void TitrSettings::Save(app::Profile& ini) const {
    app::Profile::Batch batch(ini);
    for (int i = 0; i < kTitrColumnCount; ++i) ini.putInt(kSection, Key("Column%d", i), columns[size_t(i)]);
    ini.putInt(kSection, "LeftWidth", leftWidth);
    ini.putInt(kSection, "FastLoad", fastLoad);
    for (size_t i = 0; i < nodes.size(); ++i) ini.putInt(kSection, Key("Node%d", int(i)), nodes[i] ? 1 : 0);
}

// ---- Text cache -----------------------------------------------------------------------------

const std::vector<std::string>* TitleTextCache::find(const std::string& path) const {
    for (const auto& [p, texts] : entries_)
        if (p == path) return &texts;
    return nullptr;
}

std::vector<std::string>& TitleTextCache::add(const std::string& path) {
    for (auto& [p, texts] : entries_)
        if (p == path) return texts;
    entries_.emplace_back(path, std::vector<std::string>(kTitleFieldCount));
    return entries_.back().second;
}

// ---- The model ------------------------------------------------------------------------------

CTitrModel::CTitrModel(app::CZentrixApp& app, pages::CFontManager& fonts, CAirFrame& frame, const AirObjects& objects,
                       const platform::Clock& clock)
    : app_(app),
      fonts_(fonts),
      frame_(frame),
      obj_(objects),
      titlePage_(fonts, &clock),
      rowPage_(fonts, &clock),
      sequence_(app.folders(), clock) {
    settings_ = TitrSettings::Load(app.profile(), kTitlesGroupCount);
    BuildTree();
}

// The frame outlives the model (the view goes first), and must not keep reading our sequence.
CTitrModel::~CTitrModel() { frame_.ForgetSequence(&sequence_); }

int CTitrModel::playableKinds() const {
    int kinds = TITR_TITLE | TITR_SEQUENCE;
    if (obj_.clock) kinds |= TITR_CLOCK;
    if (obj_.banner) kinds |= TITR_BANNER;
    if (obj_.video) kinds |= TITR_MPEG;
    if (obj_.video && obj_.videoPlaylist && obj_.playlist) kinds |= TITR_VIDEO_PLAYLIST;
    return kinds;
}

void CTitrModel::BuildTree() {
    // The states the operator left go into the settings first, so that a rebuild keeps them.
    for (size_t i = 0; i < tree_.size(); ++i) {
        if (settings_.nodes.size() <= i) settings_.nodes.resize(i + 1, true);
        settings_.nodes[i] = tree_[i].expanded;
    }
    TitlesTreeOptions options;
    options.mpegBoards = (app_.hardwareState() & app::HW_MPEG) != 0;
    options.playableKinds = playableKinds();
    options.expanded = settings_.nodes;
    tree_ = BuildTitlesTree(app_.folders(), options);
}

void CTitrModel::setExpanded(size_t topLevel, bool expanded) {
    if (topLevel < tree_.size()) tree_[topLevel].expanded = expanded;
}

void CTitrModel::SaveSettings() {
    settings_.nodes.resize(tree_.size(), true);
    for (size_t i = 0; i < tree_.size(); ++i) settings_.nodes[i] = tree_[i].expanded;
    settings_.Save(app_.profile());
}

// ---- Selection ------------------------------------------------------------------------------

bool CTitrModel::busyKind() const {
    return selectedKind_ == TITR_SEQUENCE || selectedKind_ == TITR_MPEG || selectedKind_ == TITR_CLOCK ||
           selectedKind_ == TITR_BANNER || selectedKind_ == TITR_VIDEO_PLAYLIST;
}

void CTitrModel::clearSelection() {
    selectedKind_ = TITR_NONE;
    selectedName_.clear();
    selectedPath_.clear();
    fields_.clear();
    preview_ = {};
    sequence_.items.clear();
    playedRow_ = -1;
}

void CTitrModel::Unselect() { clearSelection(); }

CTitrModel::SelectResult CTitrModel::Select(const TitlesNode& node) {
    // 1. Only while the frame can start, or a title is on air (another title may be cued).
    if (!(frame_.CanStart() || (frame_.IsOnAir() && selectedKind_ == TITR_TITLE))) return SELECT_REFUSED;
    // 2.
    if (!node.isFile()) return SELECT_NOTHING;
    if (busyKind()) {
        if (frame_.IsOnAir()) return SELECT_REFUSED;
        frame_.ClearAir();
    }
    // 3.
    clearSelection();
    bool ok = false;
    switch (node.kind) {
        case TITR_TITLE: ok = loadTitle(node.path); break;
        case TITR_SEQUENCE: ok = loadSequence(node.path); break;
        case TITR_MPEG: ok = node.enabled; break;
        case TITR_CLOCK: ok = node.enabled && loadClock(node.path); break;
        case TITR_BANNER: ok = node.enabled && loadBanner(node.path); break;
        case TITR_VIDEO_PLAYLIST: ok = node.enabled && loadVideoPlaylist(node.path); break;
        default: break;
    }
    if (ok) {
        selectedKind_ = node.kind;
        selectedName_ = node.text;
        selectedPath_ = node.path;
    } else {
        clearSelection();
    }
    playedRow_ = -1;
    LogMessage("CTitrView::Select %s kind %d : %s", node.path.c_str(), node.kind, ok ? "loaded" : "failed");
    if (!ok) return SELECT_FAILED;
    // 4. Fast mode starts what is not a title at once.
    if (fastLoad() && selectedKind_ != TITR_TITLE && frame_.CanStart() && !frame_.IsOnAir()) Render();
    return SELECT_LOADED;
}

bool CTitrModel::loadTitle(const std::string& path) {
    if (!fonts_.HasFonts()) {
        app::MessageBoxId(IDS_TITR_NO_FONTS, app::MB_OK | app::MB_ICONERROR, {fonts_.folder()});
        return false;
    }
    const int code = LoadTitleTemplate(path, sequence_, titlePage_, titleImage_, fields_);
    if (code == TITLE_EMPTY) {
        app::MessageBoxId(IDS_TITR_EMPTY_SEQUENCE, app::MB_OK | app::MB_ICONWARNING);
        return false;
    }
    if (code != 0) {
        // The sequence's or the page's message, with the file it is about.
        app::ShowFileResult(
            code, (code & 0x100) && sequence_.items.empty() ? path : sequence_.FullPath(sequence_.items.front()));
        return false;
    }
    const SeqItem& first = sequence_.items.front();
    titleFiltered_ = (titleImage_.summary.flags & pages::SUMMARY_FILTERED) != 0;
    titleParams_ = first.showParams;
    titlePageName_ = first.pageName;
    if (const std::vector<std::string>* cached = cache_.find(path))
        for (size_t i = 0; i < fields_.size(); ++i) fields_[i].text = (*cached)[i];
    preview_ = titleImage_.thumbnail;
    return true;
}

bool CTitrModel::loadSequence(const std::string& path) {
    const int code = sequence_.LoadSequence(path);
    if (code != 0) app::ShowFileResult(code, path);
    if (code & 0x100) return false;
    sequence_.ComputeTotal(0);
    for (const SeqItem& item : sequence_.items) {
        if (!item.checked) continue;
        pages::CPageDoc doc(fonts_);
        pages::CPageImage image;
        if (doc.Load(pages::LOAD_THUMBNAIL, sequence_.FullPath(item), image) == 0) preview_ = image.thumbnail;
        break;
    }
    loop_ = sequence_.loop != 0;
    return true;
}

bool CTitrModel::loadClock(const std::string& path) {
    if (!obj_.clock) return false;
    const int code = obj_.clock->LoadPreview(path, preview_);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return false;
    }
    return true;
}

bool CTitrModel::loadBanner(const std::string& path) {
    if (!obj_.banner) return false;
    const int code = obj_.banner->OpenFile(path);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return false;
    }
    loop_ = obj_.banner->Loop();
    if (const pages::CBitmap32* p = obj_.banner->Preview()) preview_ = *p;
    return true;
}

bool CTitrModel::loadVideoPlaylist(const std::string& path) {
    if (!obj_.videoPlaylist) return false;
    const int code = obj_.videoPlaylist->Load(path);
    if (code != 0) app::ShowFileResult(code, path);
    return (code & 0x100) == 0;
}

// ---- Title fields ---------------------------------------------------------------------------

void CTitrModel::setFieldText(int field, std::string text) {
    if (field >= 0 && field < int(fields_.size())) fields_[size_t(field)].text = std::move(text);
}

std::string CTitrModel::TrimField(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t a = 0, b = text.size();
    while (a < b && blank(text[a])) ++a;
    while (b > a && blank(text[b - 1])) --b;
    return std::string(text.substr(a, b - a));
}

void CTitrModel::ReplaceFrameText(pages::CPageFrame& frame, std::string_view text) {
    const pages::ParaFormat para = frame.paragraphs.front().format;
    const pages::TextFormat run = frame.paragraphs.front().runs.front().format;
    frame.paragraphs.assign(1, pages::CParagraph());
    frame.paragraphs.back().format = para;
    frame.paragraphs.back().runs.front().format = run;
    for (char c : text) {
        if (c == '\n') {
            frame.paragraphs.emplace_back();
            frame.paragraphs.back().format = para;
            frame.paragraphs.back().runs.front().format = run;
        } else if (uint8_t(c) >= 32) {
            frame.paragraphs.back().runs.front().text += c;
        }
    }
    frame.ResetView();
}

// ---- Render ---------------------------------------------------------------------------------

bool CTitrModel::CanRender() const {
    if (selectedKind_ == TITR_NONE || !frame_.CanStart() || frame_.IsOnAir()) return false;
    return (playableKinds() & selectedKind_) != 0;
}

bool CTitrModel::Render() {
    if (selectedKind_ == TITR_NONE || !frame_.CanStart() || !(playableKinds() & selectedKind_)) return false;
    switch (selectedKind_) {
        case TITR_TITLE: return renderTitle();
        case TITR_SEQUENCE:
            sequence_.loop = loop_ ? 1 : 0;
            playedRow_ = -1;
            sequence_.ComputeTotal(0);
            if (sequence_.checkedCount == 0) return false;
            frame_.PlayPageList(sequence_);
            return true;
        case TITR_MPEG: frame_.PlayVideo(false, selectedPath_, loop_); return true;
        case TITR_CLOCK: {
            const int code = obj_.clock->LoadForAir(selectedPath_);
            if (code != 0) {
                app::ShowFileResult(code, selectedPath_);
                return false;
            }
            frame_.PlayClock();
            return true;
        }
        case TITR_BANNER:
            obj_.banner->SetLoop(loop_);
            frame_.PlayBanner();
            return true;
        case TITR_VIDEO_PLAYLIST:
            obj_.videoPlaylist->ConvertToAir();
            obj_.videoPlaylist->SetRestoreInput(restoreIndex_ - 2);
            frame_.PlayVideo(true, {}, false);
            return true;
        default: return false;
    }
}

bool CTitrModel::renderTitle() {
    panel_->ShowProgress(app::LoadString(IDS_TITR_RENDERING), 100);
    PanelProgress progress(*panel_);
    const std::string summary = FillTitle(titlePage_, titleImage_, fields_,
                                          TitleCompileOptions(titleFiltered_, settings_.noChecksums), &progress);
    std::vector<std::string>& cached = cache_.add(selectedPath_);
    for (size_t i = 0; i < fields_.size(); ++i) cached[i] = fields_[i].text;
    lastSummary_ = summary;
    // The name as the page's own air-log line will write it, below the Pages folder.
    if (!summary.empty())
        frame_.airLog().writeTitles(CAirLog::RelativeName(titlePage_.pathName, app_.GetPath(app::FOLDER_PAGES)),
                                    summary);
    preview_ = titleImage_.thumbnail;
    panel_->HideProgress();
    frame_.PlayHandedPage(pages::MakePreviewPage(titlePage_, titleImage_), &titleParams_);
    return true;
}

// ---- Loop, restore input --------------------------------------------------------------------

void CTitrModel::SetLoop(bool loop) {
    loop_ = loop;
    if (selectedKind_ == TITR_SEQUENCE) sequence_.loop = loop ? 1 : 0;
    frame_.SetLoop(loop);
}

std::vector<std::string> CTitrModel::RestoreChoices() const {
    std::vector<std::string> choices{app::LoadString(IDS_TITR_RESTORE_PREVIEW),
                                     app::LoadString(IDS_TITR_RESTORE_PREVIOUS)};
    if (obj_.remote)
        for (std::string& s : obj_.remote->SourceNames()) choices.push_back(std::move(s));
    return choices;
}

void CTitrModel::setRestoreIndex(int index) {
    restoreIndex_ = std::max(index, 0);
    if (selectedKind_ == TITR_VIDEO_PLAYLIST && obj_.videoPlaylist)
        obj_.videoPlaylist->SetRestoreInput(restoreIndex_ - 2);
}

// ---- Sequence list --------------------------------------------------------------------------

std::vector<TitrRow> CTitrModel::Rows() const {
    std::vector<TitrRow> rows;
    int order = 0;
    for (const SeqItem& item : sequence_.items) {
        TitrRow r;
        if (item.checked) r.check = std::to_string(++order);
        const int t = item.ShowTime();
        char time[32];
        std::snprintf(time, sizeof time, "%d:%02d", t / 60, t % 60);
        r.time = time;
        r.page = item.pageName;
        r.abstract = item.summary.descriptionText();
        rows.push_back(std::move(r));
    }
    return rows;
}

void CTitrModel::ToggleCheck(int row) {
    SeqItem* item = sequence_.item(row);
    if (!item || selectedKind_ != TITR_SEQUENCE) return;
    item->SetChecked(!item->checked);
    sequence_.ComputeTotal(0);
    // The changed list is cued anew.
    frame_.ClearAir();
}

bool CTitrModel::PlayRow(int row) {
    const SeqItem* item = sequence_.item(row);
    if (!item || selectedKind_ != TITR_SEQUENCE || !frame_.CanStart() || frame_.IsOnAir()) return false;
    const std::string path = sequence_.FullPath(*item);
    // With its frames, so that a linked banner plays with it, and checked for damage as every
    // page for air.
    const int code = rowPage_.Load(
        pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE | pages::LOAD_NO_PICTURES | pages::LOAD_VERIFY,
        path, rowImage_);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return false;
    }
    const ShowParams params = item->showParams;
    frame_.PlayHandedPage(pages::MakePreviewPage(rowPage_, rowImage_), &params);
    playedRow_ = row;
    return true;
}

int CTitrModel::MoveRow(int row, int step) {
    const int to = row + step;
    if (selectedKind_ != TITR_SEQUENCE || !sequence_.item(row) || !sequence_.item(to)) return row;
    std::swap(sequence_.items[size_t(row)], sequence_.items[size_t(to)]);
    sequence_.ComputeTotal(0);
    frame_.ClearAir();
    return to;
}

int CTitrModel::SaveSequenceAs(const std::string& path) {
    const int code = sequence_.SaveSequence(path);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return code;
    }
    selectedPath_ = path;
    std::string name = platform::FileNameOf(path);
    const std::string ext = platform::ExtensionOfPath(name);
    selectedName_ = name.substr(0, name.size() - ext.size());
    BuildTree();
    return code;
}

bool CTitrModel::CueFile(const std::string& path) {
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(path));
    if (!frame_.CanStart() || frame_.IsOnAir()) return false;
    if (ext == ".zxs") {
        TitlesNode node;
        node.kind = TITR_SEQUENCE;
        node.path = path;
        const std::string name = platform::FileNameOf(path);
        node.text = name.substr(0, name.size() - ext.size());
        if (Select(node) != SELECT_LOADED) return false;
        // Fast mode has started it already.
        return fastLoad() || Render();
    }
    if (ext != ".zxg") return false;
    if (busyKind()) frame_.ClearAir();
    clearSelection();
    const int code = rowPage_.Load(
        pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE | pages::LOAD_NO_PICTURES | pages::LOAD_VERIFY,
        path, rowImage_);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return false;
    }
    preview_ = rowImage_.thumbnail;
    frame_.PlayHandedPage(pages::MakePreviewPage(rowPage_, rowImage_));
    return true;
}

bool CTitrModel::EditPlaylist() {
    if (selectedKind_ != TITR_VIDEO_PLAYLIST || !obj_.videoPlaylist) return false;
    if (!obj_.videoPlaylist->Edit(selectedPath_)) return false;
    BuildTree();
    obj_.videoPlaylist->Load(selectedPath_);
    if (fastLoad() && frame_.CanStart() && !frame_.IsOnAir()) Render();
    return true;
}

bool CTitrModel::EditNewPlaylist() {
    if (!CanEditPlaylists() || !obj_.videoPlaylist->Edit({})) return false;
    BuildTree();
    return true;
}

// ---- MSG_AIR --------------------------------------------------------------------------------

int CTitrModel::OnAirNote(int code, intptr_t value) {
    if (code != AIRNOTE_PREVIEW) return -1;
    const auto* picture = value > 1 ? reinterpret_cast<const pages::CBitmap32*>(value) : nullptr;
    if (picture) onAirPreview_ = *picture;
    else onAirPreview_ = {};
    if (selectedKind_ != TITR_SEQUENCE) return -1;
    if (playedRow_ >= 0) return playedRow_;
    if (frame_.playedSequence() != &sequence_) return -1;
    return frame_.State().current;
}

}  // namespace air

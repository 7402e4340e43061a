#include "pages/font_manager.h"

#include <dirent.h>

#include <algorithm>
#include <limits>

#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace pages {

namespace {

CFontManager* g_instance = nullptr;

int32_t clampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Names of the ".bmf" files of a folder (any letter case of the extension).
std::vector<std::string> fontFilesIn(const std::string& folder) {
    std::vector<std::string> files;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return files;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() > 4 && platform::EqualsNoCase(platform::ExtensionOfPath(name), ".bmf")) files.push_back(name);
    }
    ::closedir(dir);
    // Directory order on Linux is arbitrary; the operator sees the fonts in name order.
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        std::string la = platform::ToLowerAscii(a), lb = platform::ToLowerAscii(b);
        return la != lb ? la < lb : a < b;
    });
    return files;
}

}  // namespace

int HeadlessFontSubstitution::AskSubstitute(const std::string& missing, const std::vector<std::string>& fonts) {
    LogMessage("CFontManager::CheckFont: missing font \"%s\" replaced with \"%s\"", missing.c_str(),
               fonts.empty() ? "" : fonts.front().c_str());
    return 0;
}

CFontManager::CFontManager() {
    if (!g_instance) g_instance = this;
}

CFontManager::~CFontManager() {
    if (g_instance == this) g_instance = nullptr;
}

CFontManager* CFontManager::Instance() { return g_instance; }

std::string CFontManager::folder() const {
    if (!folder_.empty()) return app::WithSlash(folder_);
    if (auto* theApp = app::CZentrixApp::Instance()) return theApp->GetPath(app::FOLDER_FONTS);
    return {};
}

void CFontManager::Enumerate() {
    current_ = nullptr;
    fonts_.clear();
    substitutes_.clear();
    const std::string dir = folder();
    if (!dir.empty()) {
        for (const std::string& file : fontFilesIn(dir)) {
            // A page names its font in 31 characters; a longer name could never be asked for.
            if (file.size() - 4 > size_t(FONT_NAME_MAX)) {
                LogMessage("CFontManager::Enumerate: name too long, skipped: %s", file.c_str());
                continue;
            }
            auto font = std::make_unique<CBitmapFont>();
            int rc = font->ReadHeader(dir + file);
            if (rc != FILE_OK) {
                LogMessage("CFontManager::Enumerate: skipped %s (%s)", file.c_str(),
                           rc == FILE_VERSION_ERROR ? "unsupported version"
                           : rc == FILE_OPEN_ERROR  ? "cannot open"
                                                    : "damaged or short");
                continue;
            }
            fonts_.push_back(std::move(font));
        }
    }
    current_ = fonts_.empty() ? nullptr : fonts_.front().get();
    colour_[0] = colour_[1] = colour_[2] = 0;
    level_ = LEVEL_NORMAL;
    LogMessage("CFontManager::Enumerate: %d fonts in %s", int(fonts_.size()), dir.c_str());
}

void CFontManager::FillList(std::vector<std::string>& names) const {
    names.clear();
    for (const auto& f : fonts_) names.push_back(f->name());
}

std::vector<std::string> CFontManager::FontNames() const {
    std::vector<std::string> names;
    FillList(names);
    return names;
}

CBitmapFont* CFontManager::FontAt(int index) const {
    return index >= 0 && index < int(fonts_.size()) ? fonts_[size_t(index)].get() : nullptr;
}

CBitmapFont* CFontManager::Find(std::string_view name) const {
    for (const auto& f : fonts_)
        if (platform::EqualsNoCase(f->name(), name)) return f.get();
    return nullptr;
}

bool CFontManager::Select(std::string_view name, int level) {
    level_ = std::clamp(level, int(LEVEL_SUBSCRIPT), int(LEVEL_SUPERSCRIPT));
    CBitmapFont* f = Find(name);
    if (!f) return false;
    current_ = f;
    return true;
}

void CFontManager::SetColour(uint32_t colour) {
    colour_[0] = BlueOf(colour);
    colour_[1] = GreenOf(colour);
    colour_[2] = RedOf(colour);
}

uint32_t CFontManager::Colour() const {
    return uint32_t(colour_[2]) | uint32_t(colour_[1]) << 8 | uint32_t(colour_[0]) << 16;
}

int CFontManager::Height() const { return current_ ? clampToInt32(int64_t(current_->header().height)) : 0; }

int CFontManager::Baseline() const {
    if (!current_) return 0;
    const FontHeader& h = current_->header();
    return clampToInt32(int64_t(level_ - 1) * h.scriptShift + h.baseline);
}

int CFontManager::VerticalSpacing() const { return current_ ? current_->header().vSpacing : 0; }

bool CFontManager::IsMonochrome() const { return current_ && current_->isMonochrome(); }

int CFontManager::CharAdvance(unsigned char c) const { return current_ ? current_->CharAdvance(c) : 0; }

int CFontManager::TextWidth(std::string_view text) const { return current_ ? current_->TextWidth(text) : 0; }

int CFontManager::LoadedCount() const {
    return int(std::count_if(fonts_.begin(), fonts_.end(), [](const auto& f) { return f->loaded(); }));
}

bool CFontManager::inList(const CBitmapFont* font) const {
    return std::any_of(fonts_.begin(), fonts_.end(), [font](const auto& f) { return f.get() == font; });
}

void CFontManager::ensureLoaded(CBitmapFont& font) {
    if (font.loaded()) return;
    // A font from elsewhere (the font maker's) keeps its own pixels and is not counted.
    if (!inList(&font)) {
        font.Load();
        return;
    }
    if (LoadedCount() >= kMaxLoaded) {
        CBitmapFont* victim = nullptr;
        for (const auto& f : fonts_)
            if (f->loaded() && (!victim || f->useCount() < victim->useCount())) victim = f.get();
        if (victim) {
            LogMessage("CFontManager::Unload %s", victim->name().c_str());
            victim->Unload();
        }
    }
    if (font.Load()) {
        LogMessage("CFontManager::Load %s", font.name().c_str());
    } else {
        LogMessage("CFontManager::Load %s failed", font.name().c_str());
    }
}

void CFontManager::Draw(std::string_view text, int x, int y, const Rect& clip, const BitmapView& target,
                        FontLayer layer, bool inverted) {
    if (!current_) return;
    ensureLoaded(*current_);
    current_->countUse();
    current_->DrawText(text, x, y, clip, target, layer, inverted, colour_);
}

bool CFontManager::CheckFont(std::string& name, bool replace) {
    if (Find(name)) return true;
    for (const Substitute& s : substitutes_) {
        if (platform::EqualsNoCase(s.missing, name)) {
            if (replace) name = s.substitute;
            return false;
        }
    }
    // Nothing to choose from: no question, and nothing remembered.
    if (fonts_.empty()) return false;
    static HeadlessFontSubstitution headless;
    FontSubstitution& ask = substitution_ ? *substitution_ : headless;
    const std::vector<std::string> names = FontNames();
    int chosen = ask.AskSubstitute(name, names);
    if (chosen < 0 || chosen >= int(names.size())) chosen = 0;
    LogMessage("CFontManager::CheckFont %s -> %s", name.c_str(), names[size_t(chosen)].c_str());
    substitutes_.push_back({name, names[size_t(chosen)]});
    if (replace) name = names[size_t(chosen)];
    return false;
}

bool CFontManager::Save(const CBitmapFont& font, const std::string& path) {
    std::vector<uint8_t> image = font.Serialize();
    if (image.empty() || !platform::WriteFileAtomic(path, image)) {
        LogMessage("CFontManager::Save %s failed", path.c_str());
        app::MessageBoxId(3001, app::MB_OK | app::MB_ICONERROR, {path});
        return false;
    }
    LogMessage("CFontManager::Save %s", path.c_str());
    return true;
}

}  // namespace pages

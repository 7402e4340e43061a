#include "i18n/translation.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>

#include "app/profile.h"
#include "app/strings.h"
#include "i18n/text_key.h"
#include "platform/files.h"

namespace i18n {

// The tables a look-up reads. Replaced as a whole on every change, so that a translator
// installed into app::LoadString keeps a consistent pair while another one is being built.
struct Translation::State {
    bool active = false;
    LangTable base;
    LangTable current;
    // Expanded string texts handed out as const char* through app::LoadString (nullopt: none).
    // The tables never change, so an entry, once made, stays as it is and its pointer valid.
    mutable std::mutex cacheMutex;
    mutable std::map<int, std::optional<std::string>> cache;

    std::optional<std::string> lookUp(uint32_t key) const {
        if (!active) return std::nullopt;
        const char* baseText = base.Lookup(key);
        if (const char* t = current.Lookup(key)) {
            if (!baseText || MarkersMatch(baseText, t)) return ExpandTabs(t);
        }
        if (baseText) return ExpandTabs(baseText);
        return std::nullopt;
    }

    std::optional<std::string> stringText(int id) const {
        std::optional<std::string> s = lookUp(StringKey(id));
        // Never a text whose markers differ from the built-in pattern the program formats.
        if (s) {
            const char* builtin = app::BuiltinString(id);
            if (builtin && !MarkersMatch(builtin, *s)) return std::string(builtin);
        }
        return s;
    }
};

Translation::Translation() : state_(std::make_shared<State>()) {}

Translation::~Translation() {
    if (installed_) uninstall();
}

bool Translation::active() const { return state_->active; }
const LangTable& Translation::base() const { return state_->base; }
const LangTable& Translation::current() const { return state_->current; }

void Translation::start(const std::string& folder, const std::string& exeName, app::Profile* ini,
                        const std::string& shared) {
    folder_ = folder;
    shared_ = shared;
    ini_ = ini;
    auto next = std::make_shared<State>();
    const std::string baseName = exeName + ".lna";
    next->active = next->base.load(platform::JoinPath(folder, baseName)) == kLangOk ||
                   (!shared.empty() && next->base.load(platform::JoinPath(shared, baseName)) == kLangOk);
    state_ = next;
    selected_ = 0;
    listLanguages();
    if (ini_ && state_->active) {
        std::string name = ini_->getString("Language", "Name");
        if (!name.empty()) {
            auto it = std::find(languages_.begin(), languages_.end(), name);
            if (it == languages_.end() || selectLanguage(int(it - languages_.begin()) + 1) != kLangOk)
                ini_->putString("Language", "Name", "");
        }
    }
    publish();
}

void Translation::listLanguages() {
    // By name; a file of the program folder hides one of the same name in the shared folder.
    std::map<std::string, std::string> found;
    for (const std::string* dir : {&shared_, &folder_}) {
        if (dir == &shared_ && shared_.empty()) continue;
        std::error_code ec;
        std::filesystem::directory_iterator it(dir->empty() ? "." : *dir, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            std::string name = it->path().filename().string();
            if (platform::EqualsNoCase(platform::ExtensionOfPath(name), ".zxl"))
                found[name] = platform::JoinPath(*dir, name);
        }
    }
    languages_.clear();
    paths_.clear();
    for (auto& [name, path] : found) {
        languages_.push_back(name);
        paths_.push_back(path);
    }
}

std::string Translation::languagePath(int n) const {
    if (n <= 0 || size_t(n) > paths_.size()) return {};
    return paths_[size_t(n) - 1];
}

std::string Translation::selectedPath() const { return languagePath(selected_); }

std::string Translation::writablePath() const {
    if (selected_ <= 0 || size_t(selected_) > languages_.size()) return {};
    return platform::JoinPath(folder_, languages_[size_t(selected_) - 1]);
}

int Translation::selectLanguage(int index) {
    if (!state_->active || index == selected_) return kLangOk;
    if (index < 0 || size_t(index) > languages_.size()) index = 0;
    auto next = std::make_shared<State>();
    next->active = true;
    next->base = state_->base;
    int rc = kLangOk;
    if (index > 0) {
        rc = next->current.load(paths_[size_t(index) - 1]);
        if (rc != kLangOk) index = 0;
    }
    selected_ = index;
    state_ = next;
    if (ini_) ini_->putString("Language", "Name", index > 0 ? languages_[size_t(index) - 1] : std::string());
    publish();
    return rc;
}

int Translation::selectLanguageFile(const std::string& fileName) {
    listLanguages();
    selected_ = 0;
    auto it = std::find(languages_.begin(), languages_.end(), fileName);
    if (it == languages_.end()) return kLangOpenError;
    // Forces a reload even when the same entry was selected before.
    return selectLanguage(int(it - languages_.begin()) + 1);
}

void Translation::setCurrent(LangTable table) {
    auto next = std::make_shared<State>();
    next->active = state_->active;
    next->base = state_->base;
    next->current = std::move(table);
    state_ = next;
    publish();
}

std::optional<std::string> Translation::lookUp(uint32_t key) const { return state_->lookUp(key); }

std::string Translation::loadString(int id) const {
    if (std::optional<std::string> s = state_->stringText(id)) return *s;
    const char* builtin = app::BuiltinString(id);
    return builtin ? builtin : std::string();
}

void Translation::translateDialog(int dialogId, std::vector<DialogText>& controls) const {
    if (!state_->active) return;
    for (DialogText& c : controls)
        if (std::optional<std::string> t = state_->lookUp(DialogKey(dialogId, c.controlId))) c.text = *t;
}

namespace {

void translateItems(const Translation& tr, MenuKeyWalker& walker, std::vector<MenuEntry>& items) {
    for (MenuEntry& e : items) {
        if (e.isPopup) {
            uint32_t key = walker.popup();
            if (!e.ownerDrawn)
                if (std::optional<std::string> t = tr.lookUp(key)) e.text = *t;
            translateItems(tr, walker, e.items);
        } else if (!e.separator && !e.ownerDrawn) {
            if (std::optional<std::string> t = tr.lookUp(walker.item(e.commandId))) e.text = *t;
        }
    }
}

}  // namespace

void Translation::translateMenu(int menuId, std::vector<MenuEntry>& menu) const {
    if (!state_->active) return;
    MenuKeyWalker walker(menuId);
    translateItems(*this, walker, menu);
}

std::optional<std::string> Translation::pageCaption(int dialogId) const {
    return state_->lookUp(DialogKey(dialogId, 0));
}

std::string Translation::tooltip(int controlId) const {
    std::string s = loadString(controlId);
    size_t lf = s.find('\n');
    if (lf == std::string::npos) return {};
    return s.substr(lf + 1, kMaxTooltip);
}

void Translation::publish() {
    if (!installed_) return;
    std::shared_ptr<const State> state = state_;
    app::SetTranslator([state](int id) -> const char* {
        std::lock_guard lock(state->cacheMutex);
        auto it = state->cache.find(id);
        if (it == state->cache.end()) it = state->cache.emplace(id, state->stringText(id)).first;
        return it->second ? it->second->c_str() : nullptr;
    });
}

void Translation::install() {
    installed_ = true;
    publish();
}

void Translation::uninstall() {
    installed_ = false;
    app::SetTranslator(nullptr);
}

}  // namespace i18n

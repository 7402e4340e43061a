// The program's translation: the base table beside the executable, the language files in the
// same folder, the current language, and the look-ups the windows and message boxes use. A
// missing base file turns the whole mechanism off: every text stays the built-in one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "i18n/lang_table.h"

namespace app {
class Profile;
}

namespace i18n {

// One control text of a dialog; control id 0 is the dialog's caption.
struct DialogText {
    int controlId = 0;
    std::string text;
};

// One entry of a menu as the front end holds it.
struct MenuEntry {
    std::string text;
    int commandId = 0;
    bool separator = false;
    bool ownerDrawn = false;
    bool isPopup = false;
    std::vector<MenuEntry> items;  // of a pop-up
};

constexpr size_t kMaxTooltip = 159;

class Translation {
public:
    Translation();
    ~Translation();
    Translation(const Translation&) = delete;
    Translation& operator=(const Translation&) = delete;

    // Start-up: the base table "<exeName>.lna" from folder, then the language files of that
    // folder, then the language named by [Language] Name of ini (which may be null). An installed
    // program brings its base file and languages in a read-only shared folder: the base file is
    // taken from there when folder has none, and its languages are listed beside folder's.
    void start(const std::string& folder, const std::string& exeName, app::Profile* ini,
               const std::string& shared = {});

    bool active() const;
    const LangTable& base() const;
    const LangTable& current() const;

    // The language files (".zxl") of the folder (and the shared folder), file names sorted by
    // name. Entry n of the language list is languages()[n - 1]; 0 is no language.
    void listLanguages();
    const std::vector<std::string>& languages() const { return languages_; }
    int selected() const { return selected_; }
    // The file entry n of the list is read from (the program folder or the shared one); "" for 0.
    std::string languagePath(int n) const;
    // The file the chosen language was read from, and where an edit of it is saved: the program
    // folder (a language of the shared folder is saved there as a copy of its own).
    std::string selectedPath() const;
    std::string writablePath() const;

    // Selects entry index of the language list (0 = none). A file that fails to load leaves
    // no language selected. The choice is written to [Language] Name. Returns the load result
    // (0 also when nothing changed or the translation is off).
    int selectLanguage(int index);
    // Re-reads the list and selects the named file (after a new language was saved).
    int selectLanguageFile(const std::string& fileName);
    // Replaces the current language table (after editing) without touching the file.
    void setCurrent(LangTable table);

    // The text of a key as shown: the current language, then the base; "\t" pairs become TABs.
    // A translation whose format markers differ from the base text is not used.
    std::optional<std::string> lookUp(uint32_t key) const;
    // The string of an id: its translation, else the built-in text.
    std::string loadString(int id) const;
    void translateDialog(int dialogId, std::vector<DialogText>& controls) const;
    void translateMenu(int menuId, std::vector<MenuEntry>& menu) const;
    std::optional<std::string> pageCaption(int dialogId) const;
    // The tooltip of a control: the string of its id after the first LF, at most 159 characters.
    std::string tooltip(int controlId) const;

    // Makes app::LoadString answer through this translation (and keeps it current across
    // language changes). The Translation must outlive the program's use of LoadString, or
    // uninstall() first.
    void install();
    void uninstall();

private:
    struct State;
    void publish();

    std::string folder_;
    std::string shared_;
    app::Profile* ini_ = nullptr;
    std::shared_ptr<State> state_;
    std::vector<std::string> languages_;
    std::vector<std::string> paths_;  // of languages_
    int selected_ = 0;
    bool installed_ = false;
};

}  // namespace i18n

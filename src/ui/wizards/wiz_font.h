// The font maker on screen, "Create new font": step 1 names the four pictures of the alphabet
// (the first fills in the others by its name) and the letters file, step 2 browses the separated
// characters and sets the two baseline marks, step 3 takes the base line and the spacing with a
// live sample and saves the font. Leaving step 1 separates the characters; every failure shows
// its message and stays on the page.
//
// The wizard builds into a font object of its own and makes it the font list's current font
// while it is shown; the list is enumerated again after a save.
#pragma once

#include <QWizard>
#include <QWizardPage>
#include <functional>
#include <string>

#include "pages/bitmap_font.h"
#include "wizards/font_maker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace pages {
class CFontManager;
}

namespace ui {

class CWizFont;

enum : int {
    IDD_FONT_PAGE1 = 1168,
    IDC_FONT_SOURCE_FIRST = 1000,  // 1000-1004: the four pictures and the letters
    IDC_FONT_NO_SHADOWS = 1005,
    IDC_FONT_MONOCHROME = 1006,
    IDC_FONT_FIXED_WIDTH = 1007,
    IDD_FONT_PAGE2 = 1169,
    IDC_FONT_PREVIOUS = 1000,
    IDC_FONT_NEXT = 1001,
    IDC_FONT_BASELINES = 1002,
    IDC_FONT_LABEL_UPPER = 1003,
    IDC_FONT_LABEL_LOWER = 1004,
    IDC_FONT_CHAR_TEXT = 1005,
    IDC_FONT_LETTER_TEXT = 1006,
    IDD_FONT_PAGE3 = 1170,
    IDC_FONT_COLOUR = 1000,
    IDC_FONT_SPACING = 1001,
    IDC_FONT_LABEL_HORIZONTAL = 1002,
    IDC_FONT_LABEL_VERTICAL = 1003,
    IDC_FONT_LABEL_BASE = 1004,
    IDC_FONT_LABEL_BACK = 1005,
    IDC_FONT_LABEL_SAMPLE = 1006,
    IDS_FONT_LETTERS_TITLE = 34310,
    IDS_FONT_CHAR_OF = 34311,
    IDS_FONT_LETTER_OF = 34312,
    IDS_FONT_NO_LETTER_OF = 34313,
    IDS_FONT_BACK_FIRST = 34314,  // 34314-34316: black, white, checkered
    IDS_FONT_SAVE = 34317,
};

class CPageFont1 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageFont1(CWizFont& wizard);

    // What a "..." button does after its file dialog: sets the field; the first picture fills in
    // all four when its name allows.
    void choose(int field, const std::string& path);
    void chooseLetters(const std::string& path);
    QLineEdit* field(int index) const { return fields_[index]; }
    QLineEdit* letters() const { return letters_; }
    QCheckBox* noShadows() const { return noShadows_; }
    QCheckBox* monochrome() const { return monochrome_; }
    QCheckBox* fixedWidth() const { return fixedWidth_; }
    wizards::FontSources sources() const;
    wizards::FontFlags flags() const;

    bool isComplete() const override;
    bool validatePage() override;

private:
    CWizFont& wizard_;
    QLineEdit* fields_[wizards::FONT_PICTURES] = {};
    QLineEdit* letters_;
    QCheckBox* noShadows_;
    QCheckBox* monochrome_;
    QCheckBox* fixedWidth_;
};

class CPageFont2 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageFont2(CWizFont& wizard);

    QSlider* character() const { return character_; }
    QSlider* upper() const { return upper_; }
    QSlider* lower() const { return lower_; }
    QLabel* charText() const { return charText_; }
    QLabel* letterText() const { return letterText_; }
    QLabel* preview() const { return preview_; }
    // The picture the preview shows for a character: its glyph and shadow centred on the
    // chosen background, the two baseline marks inverted.
    pages::CBitmap32 picture(int index) const;

    void initializePage() override;
    bool validatePage() override;

private:
    void refresh();

    CWizFont& wizard_;
    QPushButton* previous_;
    QSlider* character_;
    QPushButton* next_;
    QLabel* charText_;
    QLabel* letterText_;
    QLabel* preview_;
    QSlider* upper_;
    QSlider* lower_;
};

class CPageFont3 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageFont3(CWizFont& wizard);

    QSlider* base() const { return base_; }
    QSlider* hSpacing() const { return hSpacing_; }
    QSlider* vSpacing() const { return vSpacing_; }
    QPlainTextEdit* sample() const { return sample_; }
    QPushButton* colour() const { return colour_; }
    QComboBox* background() const { return background_; }
    QLabel* preview() const { return preview_; }
    wizards::FontSettings settings() const;
    // The sample as the preview shows it.
    pages::CBitmap32 picture() const;

    void initializePage() override;
    bool validatePage() override;

private:
    void refresh();

    CWizFont& wizard_;
    QSlider* base_;
    QSlider* hSpacing_;
    QSlider* vSpacing_;
    QPlainTextEdit* sample_;
    QPushButton* colour_;
    QComboBox* background_;
    QLabel* preview_;
};

class CWizFont final : public QWizard {
    Q_OBJECT
public:
    // fonts: the program's font list (the maker's font is made current in it while shown, and
    // it is enumerated again after a save).
    explicit CWizFont(pages::CFontManager& fonts, QWidget* parent = nullptr);
    ~CWizFont() override;

    CPageFont1& page1() { return *page1_; }
    CPageFont2& page2() { return *page2_; }
    CPageFont3& page3() { return *page3_; }

    pages::CFontManager& fonts() { return fonts_; }
    wizards::FontSeparation& separation() { return sep_; }
    wizards::FontFlags& flags() { return flags_; }
    // The font being built (the wizard's own).
    pages::CBitmapFont& font() { return font_; }
    // Builds the font from the separation and the marks, and makes it current.
    void buildFont();

    // The preview background shared by steps 2 and 3: 0 black, 1 white, 2 checkered.
    int background() const { return background_; }
    void setBackground(int b) { background_ = b; }
    // A monochrome font's text colour, 0xBBGGRR.
    uint32_t colour() const { return colour_; }
    void setColour(uint32_t c) { colour_ = c; }

    // Where the finished font goes: a save dialog on the Fonts folder unless replaced (tests);
    // "" = cancelled.
    using AskSavePath = std::function<std::string(const std::string& folder)>;
    void setSavePathChooser(AskSavePath ask) { askSave_ = std::move(ask); }
    std::string askSavePath();
    // The file saved last ("" before).
    const std::string& savedPath() const { return saved_; }
    void setSavedPath(std::string path) { saved_ = std::move(path); }

private:
    void releaseCurrent();

    pages::CFontManager& fonts_;
    pages::CBitmapFont* previous_ = nullptr;  // the list's current font before the maker's
    bool current_ = false;                    // the maker's font is current
    wizards::FontSeparation sep_;
    wizards::FontFlags flags_;
    pages::CBitmapFont font_;
    int background_ = 2;
    uint32_t colour_ = 0xFFFFFF;
    CPageFont1* page1_;
    CPageFont2* page2_;
    CPageFont3* page3_;
    AskSavePath askSave_;
    std::string saved_;
};

// Shows a maker's message: an error with the error icon, a warning with the warning icon.
void ShowFontMessage(const wizards::FontMessage& message, bool warning);

// The command of the main window's menu. True when a font was saved (the list is enumerated).
bool RunFontWizard(QWidget* parent);

}  // namespace ui

// CCaptionView: the Captions mode's view in the on-air frame (form 321). The caption page and its
// half-size preview, the titles file, the settings (delay, frame border, fade, fast mode) and the
// list of captions with its text box and F2, which puts the caption in the text box on air. What
// it does is the captions model's (air::CCaptions); the view forwards the operator's commands and
// shows the model. It hears from the air frame through MSG_AIR: code 1 refreshes the buttons,
// code 3 shows the caption in the preview or clears it.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/message_target.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace app {
class CZentrixApp;
}
namespace air {
class CCaptions;
}
namespace pages {
class CFontManager;
}

namespace ui {

class DialogTexts;

class CAirFrameWnd;

// The preview of the caption box at half its size, over black.
class CCaptionPreview : public QWidget {
    Q_OBJECT
public:
    explicit CCaptionPreview(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

class CCaptionView : public QWidget, public platform::MessageTarget {
    Q_OBJECT
public:
    enum : int {
        IDD_CAPTIONS = 321,
        IDC_OPEN_PAGE = 1273,
        IDC_LOAD = 1275,
        IDC_SAVE = 1277,
        IDC_DELAY = 1305,
        IDC_BORDER = 1215,
        IDC_FADE = 1306,
        IDC_FAST = 1307,
        IDC_ADD = 1233,
        IDC_DELETE = 1310,
        IDC_TEXT = 1050,
        IDC_FIRST = 1034,
        IDC_PREVIOUS = 1072,
        IDC_NEXT = 1073,
        IDC_LAST = 1232,
        IDC_SHOW_HIDE = 1228,
        IDC_GROUP_SETTINGS = 1320,
        IDC_LABEL_DELAY = 1321,
        IDC_LABEL_BORDER = 1322,
        IDC_GROUP_CAPTIONS = 1323,
        IDC_LABEL_PAGE = 1324,
        IDC_LABEL_OF = 1325,
        IDC_PAGE_NUMBER = 1326,
        IDC_PAGE_COUNT = 1327,
        IDS_CAPTIONS_OPEN_PAGE = 33967,
        IDS_CAPTIONS_LOAD = 33968,
        IDS_CAPTIONS_SAVE = 33969,
    };

    // fonts: the program's font list (the model lays the captions out with it).
    CCaptionView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts, QWidget* parent = nullptr);
    // Writes the settings back.
    ~CCaptionView() override;

    // MSG_AIR from the air frame.
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    air::CCaptions& model() { return *model_; }
    // What the buttons do after their file dialogs (tests and scripts call these directly).
    bool OpenPageFile(const std::string& path);
    bool LoadCaptionsFile(const std::string& path);
    bool SaveCaptionsFile(const std::string& path);
    // F2.
    void ShowHide();

    // The controls.
    QPushButton* button(int id) const;
    QPlainTextEdit* textBox() const { return text_; }
    QSlider* delay() const { return delay_; }
    QSlider* border() const { return border_; }
    QCheckBox* fade() const { return fade_; }
    QCheckBox* fast() const { return fast_; }
    QLabel* pageNumber() const { return page_; }
    QLabel* pageCount() const { return of_; }
    CCaptionPreview* preview() const { return preview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* addButton(const DialogTexts& texts, int id);
    void refreshButtons();
    void showText();
    void textEdited();
    void onOpenPage();
    void onLoad();
    void onSave();
    // A navigation or edit of the model, then the text box and the buttons again.
    void edit(void (air::CCaptions::*op)());
    void showPreview(bool show);

    CAirFrameWnd& frame_;
    std::unique_ptr<air::CCaptions> model_;
    CCaptionPreview* preview_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QSlider* delay_ = nullptr;
    QSlider* border_ = nullptr;
    QCheckBox* fade_ = nullptr;
    QCheckBox* fast_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* page_ = nullptr;
    QLabel* ofLabel_ = nullptr;
    QLabel* of_ = nullptr;
    std::vector<QPushButton*> buttons_;
    bool showing_ = false;  // the text box is being filled by the view itself
};

}  // namespace ui

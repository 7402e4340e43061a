// The TV banner converter on screen: step 1 takes a video, a list of pictures or the pictures
// themselves and shows what they hold, step 2 the parameters with the first frame as it will
// convert, step 3 converts on a worker thread with a progress bar, the frame being converted and
// Cancel. Every problem of the source shows its message and keeps the operator on the step.
#pragma once

#include <QWizard>
#include <QWizardPage>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "wizards/banner_converter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSlider;
class QSpinBox;

namespace ui {

class CWizBanner;

enum : int {
    IDD_BANNER_PAGE1 = 1178,
    IDC_BANNER_PROPERTIES = 1000,
    IDC_BANNER_LABEL_FPS = 1001,
    IDC_BANNER_LABEL_FRAMES = 1002,
    IDC_BANNER_LABEL_SIZE = 1003,
    IDD_BANNER_PAGE2 = 1179,
    IDC_BANNER_DITHER = 1000,
    IDC_BANNER_LOOP = 1001,
    IDC_BANNER_LABEL_PLAY_TIME = 1002,
    IDC_BANNER_LABEL_ALPHA = 1003,
    IDC_BANNER_POSITION = 1004,
    IDC_BANNER_LABEL_X = 1005,
    IDC_BANNER_LABEL_Y = 1006,
    IDC_BANNER_LABEL_BORDER = 1007,
    IDD_BANNER_PAGE3 = 1180,
    IDS_BANNER_SUBTITLE1 = 34320,
    IDS_BANNER_SUBTITLE2 = 34321,
    IDS_BANNER_SUBTITLE3 = 34322,
    IDS_BANNER_FILTER = 34323,
    IDS_BANNER_SAVED = 34324,
    IDS_BANNER_FILES = 34325,
    IDS_BANNER_PERCENT = 34326,
    IDS_BANNER_SOURCE_TITLE = 34327,
    IDS_BANNER_SAVE = 34328,
};

class CPageAVI1 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageAVI1(CWizBanner& wizard);

    // What the "..." button does after its file dialog: opens the source and shows it; its
    // message when it cannot be used. True when it opened.
    bool choose(const std::vector<std::string>& files);
    QLineEdit* file() const { return file_; }
    QSpinBox* fps() const { return fps_; }
    QLabel* totalFrames() const { return frames_; }
    QLabel* frameSize() const { return size_; }

    bool isComplete() const override;
    bool validatePage() override;

private:
    CWizBanner& wizard_;
    QLineEdit* file_;
    QSpinBox* fps_;
    QLabel* frames_;
    QLabel* size_;
    bool opened_ = false;
};

class CPageAVI2 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageAVI2(CWizBanner& wizard);

    QLabel* playTime() const { return playTime_; }
    QLabel* alpha() const { return alpha_; }
    QCheckBox* dithering() const { return dither_; }
    QSpinBox* x() const { return x_; }
    QSpinBox* y() const { return y_; }
    QSlider* border() const { return border_; }
    QCheckBox* loop() const { return loop_; }
    QLabel* preview() const { return preview_; }
    wizards::BannerOptions options() const;

    void initializePage() override;
    bool validatePage() override;

private:
    void refreshPreview();

    CWizBanner& wizard_;
    QLabel* playTime_;
    QLabel* alpha_;
    QCheckBox* dither_;
    QSpinBox* x_;
    QSpinBox* y_;
    QSlider* border_;
    QCheckBox* loop_;
    QLabel* preview_;
};

class CPageAVI3 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageAVI3(CWizBanner& wizard);

    QProgressBar* progress() const { return progress_; }
    QLabel* percent() const { return percent_; }
    QLabel* frame() const { return frame_; }
    QLabel* notes() const { return notes_; }

    void initializePage() override;
    bool isComplete() const override { return done_; }

    // From the worker, through the window's queue.
    void showFrame(uint32_t index, uint32_t frames, const QImage& picture);
    void finished(int result, const wizards::BannerReport& report);

private:
    CWizBanner& wizard_;
    QProgressBar* progress_;
    QLabel* percent_;
    QLabel* frame_;
    QLabel* notes_;
    bool done_ = false;
};

class CWizBanner final : public QWizard {
    Q_OBJECT
public:
    explicit CWizBanner(QWidget* parent = nullptr);
    ~CWizBanner() override;

    CPageAVI1& page1() { return *page1_; }
    CPageAVI2& page2() { return *page2_; }
    CPageAVI3& page3() { return *page3_; }

    wizards::BannerSource& source() { return source_; }
    wizards::BannerOptions& options() { return options_; }
    bool inverseTGA() const { return inverseTGA_; }

    // Where the banner goes: a save dialog on the Banners folder unless replaced (tests);
    // "" = cancelled.
    using AskSavePath = std::function<std::string(const std::string& folder)>;
    void setSavePathChooser(AskSavePath ask) { askSave_ = std::move(ask); }
    std::string askSavePath();
    const std::string& outPath() const { return out_; }
    void setOutPath(std::string path) { out_ = std::move(path); }

    // Step 3: the conversion on its worker thread, and whether it still runs.
    void startConversion();
    bool converting() const { return worker_.joinable() && !workerDone_.load(); }
    // The result once finished: CONVERT_OK, _FAILED or _CANCELLED (-1 before).
    int result() const { return result_; }
    void setResult(int r) { result_ = r; }
    // Waits for the worker (it never waits on the window).
    void joinWorker();

    // Called on the worker after each frame is converted (tests hold the conversion there).
    void setFrameHook(std::function<void(uint32_t frame)> hook) { frameHook_ = std::move(hook); }

    void reject() override;

private:
    wizards::BannerSource source_;
    wizards::BannerOptions options_;
    bool inverseTGA_ = false;
    CPageAVI1* page1_;
    CPageAVI2* page2_;
    CPageAVI3* page3_;
    AskSavePath askSave_;
    std::string out_;
    std::function<void(uint32_t)> frameHook_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> workerDone_{false};
    std::atomic<bool> framePending_{false};
    int result_ = -1;
};

// Shows a converter's message: an error with the error icon, a warning with the warning icon.
void ShowBannerMessage(const wizards::BannerMessage& message, bool warning);

// The command of the main window's menu.
void RunBannerWizard(QWidget* parent);

}  // namespace ui

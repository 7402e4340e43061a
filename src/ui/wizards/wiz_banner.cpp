#include "ui/wizards/wiz_banner.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "platform/files.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

// The previews show a frame at most half the picture's size.
constexpr int kPreviewWidth = 360, kPreviewHeight = 288;

QImage imageOf(const pages::CBitmap32& b) {
    if (b.empty()) return {};
    QImage img(b.width(), b.height(), QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            const uint8_t* p = b.pixel(x, y);
            // Transparent parts over black, as the Device keys them.
            const int opacity = 255 - p[pages::PIX_TRANS];
            line[x] = qRgb(p[pages::PIX_RED] * opacity / 255, p[pages::PIX_GREEN] * opacity / 255,
                           p[pages::PIX_BLUE] * opacity / 255);
        }
    }
    return img;
}

QPixmap previewOf(const QImage& img) {
    if (img.isNull()) return {};
    QPixmap pm = QPixmap::fromImage(img);
    if (pm.width() > kPreviewWidth || pm.height() > kPreviewHeight)
        pm = pm.scaled(kPreviewWidth, kPreviewHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pm;
}

QLabel* previewLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFixedSize(kPreviewWidth, kPreviewHeight);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::StyledPanel);
    return l;
}

QString sizeText(int32_t w, int32_t h) { return StrFmt(wizards::IDS_BANNER_SIZE, {int(w), int(h)}); }

std::string bannersFolder() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->GetPath(app::FOLDER_BANNERS) : std::string();
}

QString sourceFilter() {
    QString video;
    for (const char* const* e = wizards::kBannerVideoExtensions; *e; ++e)
        video += (video.isEmpty() ? "*" : " *") + QString::fromLatin1(*e);
    return StrFmt(IDS_BANNER_FILTER, {video});
}

}  // namespace

void ShowBannerMessage(const wizards::BannerMessage& message, bool warning) {
    app::MessageBoxText(message.text(), app::MB_OK | (warning ? app::MB_ICONWARNING : app::MB_ICONERROR));
}

// ---- Step 1 -------------------------------------------------------------------------------------

CPageAVI1::CPageAVI1(CWizBanner& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_BANNER_PAGE1);
    setSubTitle(StrLine(IDS_BANNER_SUBTITLE1));
    file_ = new QLineEdit(this);
    file_->setObjectName("bannerSource");
    file_->setReadOnly(true);
    auto* browse = new QPushButton("...", this);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
    fps_ = new QSpinBox(this);
    fps_->setObjectName("bannerFps");
    fps_->setRange(0, 99);  // kept to 1..30 when the step is left
    fps_->setValue(10);
    frames_ = new QLabel("0", this);
    size_ = new QLabel(sizeText(0, 0), this);

    auto* row = new QHBoxLayout;
    row->addWidget(file_, 1);
    row->addWidget(browse);
    auto* props = t.group(IDC_BANNER_PROPERTIES);
    auto* form = new QFormLayout(props);
    form->addRow(t.label(IDC_BANNER_LABEL_FPS, fps_), fps_);
    form->addRow(t.label(IDC_BANNER_LABEL_FRAMES), frames_);
    form->addRow(t.label(IDC_BANNER_LABEL_SIZE), size_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(props);
    layout->addStretch(1);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QStringList chosen = AskPathsToOpen(this, StrLine(IDS_BANNER_SOURCE_TITLE),
                                                  FromFilePath(FolderPath(app::FOLDER_LAST_PICTURES)), sourceFilter());
        if (chosen.isEmpty()) return;
        std::vector<std::string> files;
        for (const QString& f : chosen) files.push_back(QFile::encodeName(f).toStdString());
        RememberFolder(app::FOLDER_LAST_PICTURES, files.front());
        choose(files);
    });
    TranslateDialog(IDD_BANNER_PAGE1, this);
}

bool CPageAVI1::choose(const std::vector<std::string>& files) {
    wizards::BannerSource source;
    wizards::BannerReport report;
    const bool ok = !files.empty() && wizards::OpenBannerSource(files, source, report);
    if (!ok) {
        if (report.error.id) ShowBannerMessage(report.error, false);
        return false;
    }
    for (const wizards::BannerMessage& w : report.warnings) ShowBannerMessage(w, true);
    for (const std::string& n : report.notes) LogMessage("CPageAVI1: %s", n.c_str());
    const bool list = files.size() == 1 || source.kind == wizards::SOURCE_VIDEO;
    file_->setText(list ? FromFilePath(files.front())
                        : StrFmt(IDS_BANNER_FILES, {FromFilePath(files.front()), files.size()}));
    fps_->setValue(int((source.rate100 + 50) / 100));
    frames_->setNum(int(source.frames));
    size_->setText(sizeText(source.width, source.height));
    wizard_.source() = std::move(source);
    opened_ = true;
    emit completeChanged();
    return true;
}

bool CPageAVI1::isComplete() const { return opened_; }

bool CPageAVI1::validatePage() {
    wizards::BannerSource& s = wizard_.source();
    if (const int id = wizards::CheckBannerFrameSize(s.width, s.height)) {
        ShowBannerMessage({id, {}}, false);
        return false;
    }
    wizard_.options().fps = std::clamp(fps_->value(), wizards::kBannerMinFps, wizards::kBannerMaxFps);
    s.rate100 = wizards::BannerRate100(wizard_.options().fps);
    fps_->setValue(wizard_.options().fps);
    return true;
}

// ---- Step 2 -------------------------------------------------------------------------------------

CPageAVI2::CPageAVI2(CWizBanner& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_BANNER_PAGE2);
    setSubTitle(StrLine(IDS_BANNER_SUBTITLE2));
    playTime_ = new QLabel(this);
    alpha_ = new QLabel(this);
    dither_ = t.check(IDC_BANNER_DITHER);
    x_ = new QSpinBox(this);
    y_ = new QSpinBox(this);
    x_->setObjectName("bannerX");
    y_->setObjectName("bannerY");
    border_ = new QSlider(Qt::Horizontal, this);
    border_->setObjectName("bannerBorder");
    border_->setRange(0, 14);
    auto* borderValue = new QLabel("0", this);
    connect(border_, &QSlider::valueChanged, borderValue, [borderValue](int v) { borderValue->setNum(v); });
    loop_ = t.check(IDC_BANNER_LOOP);
    preview_ = previewLabel(this, "bannerFirstFrame");

    auto* form = new QFormLayout;
    form->addRow(t.label(IDC_BANNER_LABEL_PLAY_TIME), playTime_);
    form->addRow(t.label(IDC_BANNER_LABEL_ALPHA), alpha_);
    form->addRow(dither_);
    auto* position = t.group(IDC_BANNER_POSITION);
    auto* pos = new QFormLayout(position);
    pos->addRow(t.label(IDC_BANNER_LABEL_X, x_), x_);
    pos->addRow(t.label(IDC_BANNER_LABEL_Y, y_), y_);
    auto* borderRow = new QHBoxLayout;
    borderRow->addWidget(border_, 1);
    borderRow->addWidget(borderValue);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(position);
    left->addWidget(t.label(IDC_BANNER_LABEL_BORDER, border_));
    left->addLayout(borderRow);
    left->addWidget(loop_);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(preview_, 0, Qt::AlignTop);
    connect(dither_, &QCheckBox::toggled, this, [this] { refreshPreview(); });
    // The conversion cannot be taken back once it has begun.
    setCommitPage(true);
    setButtonText(QWizard::CommitButton, StrLine(IDS_WIZARD_NEXT));
    TranslateDialog(IDD_BANNER_PAGE2, this);
}

void CPageAVI2::initializePage() {
    const wizards::BannerSource& s = wizard_.source();
    playTime_->setText(FromProgramText(wizards::BannerPlayTime(s.frames, s.rate100)));
    const bool alpha = s.kind == wizards::SOURCE_PICTURES || s.bitsPerPixel == 32;
    alpha_->setText(StrLine(alpha ? wizards::IDS_BANNER_YES : wizards::IDS_BANNER_NO));
    const int32_t w = s.width & ~1;
    x_->setRange(4, std::max(4, 716 - w));
    y_->setRange(4, std::max(4, 572 - s.height));
    x_->setValue((720 - w) / 2);
    y_->setValue((576 - s.height) / 2);
    refreshPreview();
}

wizards::BannerOptions CPageAVI2::options() const {
    wizards::BannerOptions o = wizard_.options();
    o.x = x_->value();
    o.y = y_->value();
    o.border = border_->value();
    o.loop = loop_->isChecked();
    o.dither = dither_->isChecked();
    o.inverseTGA = wizard_.inverseTGA();
    return o;
}

void CPageAVI2::refreshPreview() {
    pages::CBitmap32 canvas;
    wizards::BannerReport report;
    if (wizards::FirstBannerFrame(wizard_.source(), options(), canvas, report)) {
        preview_->setPixmap(previewOf(imageOf(canvas)));
    } else {
        preview_->clear();
        if (report.error.id) preview_->setText(FromProgramText(report.error.text()));
    }
}

bool CPageAVI2::validatePage() {
    wizard_.options() = options();
    std::string file = wizard_.askSavePath();
    if (file.empty()) return false;
    if (!platform::EqualsNoCase(platform::ExtensionOfPath(file), app::ExtensionOf(app::FT_BANNER)))
        file += app::ExtensionOf(app::FT_BANNER);
    wizard_.setOutPath(file);
    return true;
}

// ---- Step 3 -------------------------------------------------------------------------------------

CPageAVI3::CPageAVI3(CWizBanner& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_BANNER_PAGE3);
    setSubTitle(StrLine(IDS_BANNER_SUBTITLE3));
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    percent_ = new QLabel(this);
    percent_->setObjectName("bannerPercent");
    frame_ = previewLabel(this, "bannerFrame");
    notes_ = new QLabel(this);
    notes_->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(progress_, 1);
    row->addWidget(percent_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(frame_, 0, Qt::AlignHCenter);
    layout->addWidget(notes_);
    layout->addStretch(1);
    TranslateDialog(IDD_BANNER_PAGE3, this);
}

void CPageAVI3::initializePage() {
    done_ = false;
    progress_->setValue(0);
    percent_->setText(StrFmt(IDS_BANNER_PERCENT, {0}));
    notes_->clear();
    wizard_.startConversion();
}

void CPageAVI3::showFrame(uint32_t index, uint32_t frames, const QImage& picture) {
    const int pc = frames ? int((uint64_t(index) + 1) * 100 / frames) : 100;
    progress_->setValue(pc);
    percent_->setText(StrFmt(IDS_BANNER_PERCENT, {pc}));
    if (!picture.isNull()) frame_->setPixmap(previewOf(picture));
}

void CPageAVI3::finished(int result, const wizards::BannerReport& report) {
    wizard_.joinWorker();
    wizard_.setResult(result);
    QStringList notes;
    for (const std::string& n : report.notes) notes << FromProgramText(n);
    if (result == wizards::CONVERT_OK) {
        progress_->setValue(100);
        percent_->setText(StrFmt(IDS_BANNER_PERCENT, {100}));
        notes.prepend(StrFmt(IDS_BANNER_SAVED, {FromFilePath(wizard_.outPath())}));
        done_ = true;
    } else if (result == wizards::CONVERT_FAILED && report.error.id) {
        ShowBannerMessage(report.error, false);
    }
    notes_->setText(notes.join("\n"));
    emit completeChanged();
}

// ---- The wizard ---------------------------------------------------------------------------------

CWizBanner::CWizBanner(QWidget* parent) : QWizard(parent) {
    setWindowTitle(StrLine(wizards::IDS_BANNER_TITLE));
    WizardTexts(this);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    if (const app::CZentrixApp* theApp = app::CZentrixApp::Instance()) inverseTGA_ = theApp->settings().inverseTGA != 0;
    page1_ = new CPageAVI1(*this);
    page2_ = new CPageAVI2(*this);
    page3_ = new CPageAVI3(*this);
    addPage(page1_);
    addPage(page2_);
    addPage(page3_);
}

CWizBanner::~CWizBanner() {
    cancel_ = true;
    joinWorker();
}

std::string CWizBanner::askSavePath() {
    const std::string folder = bannersFolder();
    if (askSave_) return askSave_(folder);
    return AskSaveFile(this, StrLine(IDS_BANNER_SAVE), folder.empty() ? std::string() : platform::JoinPath(folder, ""),
                       app::FT_BANNER);
}

void CWizBanner::startConversion() {
    joinWorker();
    cancel_ = false;
    workerDone_ = false;
    framePending_ = false;
    result_ = -1;
    QPointer<CPageAVI3> page(page3_);
    const wizards::BannerSource source = source_;
    const wizards::BannerOptions options = options_;
    const std::string out = out_;
    worker_ = std::thread([this, page, source, options, out] {
        wizards::BannerReport report;
        const int r = wizards::ConvertBanner(
            source, options, out,
            [this, page](uint32_t i, uint32_t n, const pages::CBitmap32& canvas) {
                if (frameHook_) frameHook_(i);
                if (cancel_) return false;
                // A picture only when the window has shown the one before: the conversion never
                // waits for the window.
                QImage picture;
                if (!framePending_.exchange(true)) picture = imageOf(canvas);
                QMetaObject::invokeMethod(
                    page,
                    [this, page, i, n, picture] {
                        if (!picture.isNull()) framePending_ = false;
                        if (page) page->showFrame(i, n, picture);
                    },
                    Qt::QueuedConnection);
                return !cancel_;
            },
            report);
        workerDone_ = true;
        QMetaObject::invokeMethod(
            page,
            [page, r, report] {
                if (page) page->finished(r, report);
            },
            Qt::QueuedConnection);
    });
}

void CWizBanner::joinWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void CWizBanner::reject() {
    // Cancel stops the conversion; the converter leaves no half banner behind.
    cancel_ = true;
    joinWorker();
    QWizard::reject();
}

void RunBannerWizard(QWidget* parent) {
    CWizBanner wizard(parent);
    wizard.exec();
}

}  // namespace ui

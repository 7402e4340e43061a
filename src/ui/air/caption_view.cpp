#include "ui/air/caption_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextCursor>
#include <QVBoxLayout>

#include "air/air_frame.h"
#include "air/captions.h"
#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/air_pictures.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr int kPreviewMaxWidth = 360, kPreviewMaxHeight = 144;

// A program text (lines joined by CR LF) for the text box, and back.
QString BoxText(const std::string& text) {
    QString s = FromProgramText(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Where a file dialog opens: the remembered file, else the folder.
QString StartOf(const std::string& remembered, int folder) {
    if (!remembered.empty()) return FromFilePath(remembered);
    return FromFilePath(FolderPath(folder));
}

}  // namespace

// ---- CCaptionPreview

CCaptionPreview::CCaptionPreview(QWidget* parent) : QWidget(parent) {
    setFixedSize(kPreviewMaxWidth + 2, kPreviewMaxHeight / 2 + 2);
}

void CCaptionPreview::setImage(const QImage& image) {
    image_ = image;
    if (!image.isNull())
        setFixedSize(std::min(image.width(), kPreviewMaxWidth) + 2, std::min(image.height(), kPreviewMaxHeight) + 2);
    update();
}

QSize CCaptionPreview::sizeHint() const { return size(); }

void CCaptionPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0x70, 0x74, 0x7C));
    p.setBrush(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!image_.isNull()) p.drawImage(QPoint(1, 1), image_);
}

// ---- CCaptionView

CCaptionView::CCaptionView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts, QWidget* parent)
    : QWidget(parent), frame_(frame), model_(std::make_unique<air::CCaptions>(app, fonts)) {
    DialogTexts t(this, IDD_CAPTIONS);
    setFocusPolicy(Qt::StrongFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 16);
    outer->setSpacing(10);

    auto* files = new QHBoxLayout;
    files->addWidget(addButton(t, IDC_OPEN_PAGE));
    files->addWidget(addButton(t, IDC_LOAD));
    files->addWidget(addButton(t, IDC_SAVE));
    files->addStretch(1);
    outer->addLayout(files);
    preview_ = new CCaptionPreview;
    outer->addWidget(preview_);

    auto* settings = t.group(IDC_GROUP_SETTINGS);
    auto* grid = new QGridLayout(settings);
    delay_ = new QSlider(Qt::Horizontal);
    delay_->setRange(0, air::CAPTION_TIME_BASE_MAX);
    delay_->setTickPosition(QSlider::TicksBelow);
    SetResourceId(delay_, IDC_DELAY);
    border_ = new QSlider(Qt::Horizontal);
    border_->setRange(0, air::CAPTION_BORDER_MAX);
    border_->setTickPosition(QSlider::TicksBelow);
    SetResourceId(border_, IDC_BORDER);
    fade_ = t.check(IDC_FADE);
    fast_ = t.check(IDC_FAST);
    grid->addWidget(t.label(IDC_LABEL_DELAY, delay_), 0, 0);
    grid->addWidget(delay_, 0, 1);
    grid->addWidget(t.label(IDC_LABEL_BORDER, border_), 1, 0);
    grid->addWidget(border_, 1, 1);
    grid->addWidget(fade_, 2, 0, 1, 2);
    grid->addWidget(fast_, 3, 0, 1, 2);
    outer->addWidget(settings);

    auto* list = t.group(IDC_GROUP_CAPTIONS);
    auto* col = new QVBoxLayout(list);
    auto* counters = new QHBoxLayout;
    pageLabel_ = t.label(IDC_LABEL_PAGE);
    page_ = t(new QLabel, IDC_PAGE_NUMBER);
    ofLabel_ = t.label(IDC_LABEL_OF);
    of_ = t(new QLabel, IDC_PAGE_COUNT);
    for (QLabel* l : {page_, of_}) {
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
        l->setAlignment(Qt::AlignCenter);
    }
    for (QLabel* l : {pageLabel_, page_, ofLabel_, of_}) counters->addWidget(l);
    counters->addStretch(1);
    counters->addWidget(addButton(t, IDC_ADD));
    counters->addWidget(addButton(t, IDC_DELETE));
    col->addLayout(counters);
    text_ = new QPlainTextEdit;
    SetResourceId(text_, IDC_TEXT);
    text_->setTabChangesFocus(true);
    text_->setMinimumHeight(90);
    text_->installEventFilter(this);
    col->addWidget(text_);
    auto* nav = new QHBoxLayout;
    for (int id : {IDC_FIRST, IDC_PREVIOUS, IDC_NEXT, IDC_LAST}) {
        QPushButton* b = addButton(t, id);
        b->setFixedWidth(36);
        nav->addWidget(b);
    }
    nav->addStretch(1);
    nav->addWidget(addButton(t, IDC_SHOW_HIDE));
    col->addLayout(nav);
    outer->addWidget(list);
    outer->addStretch(1);
    setMaximumWidth(16777215);

    // Initial update: the sliders and check boxes from the settings.
    const air::CaptionState& s = model_->state();
    delay_->setValue(s.timeBase);
    border_->setValue(s.border);
    fade_->setChecked(s.fade);
    fast_->setChecked(s.fastMode);
    connect(delay_, &QSlider::valueChanged, this, [this](int v) { model_->SetTimeBase(v); });
    connect(border_, &QSlider::valueChanged, this, [this](int v) { model_->SetBorder(v); });
    connect(fade_, &QCheckBox::toggled, this, [this](bool on) { model_->SetFade(on); });
    connect(fast_, &QCheckBox::toggled, this, [this](bool on) { model_->SetFastMode(on); });
    connect(text_, &QPlainTextEdit::textChanged, this, &CCaptionView::textEdited);
    connect(button(IDC_OPEN_PAGE), &QPushButton::clicked, this, &CCaptionView::onOpenPage);
    connect(button(IDC_LOAD), &QPushButton::clicked, this, &CCaptionView::onLoad);
    connect(button(IDC_SAVE), &QPushButton::clicked, this, &CCaptionView::onSave);
    connect(button(IDC_FIRST), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::First); });
    connect(button(IDC_PREVIOUS), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::Previous); });
    connect(button(IDC_NEXT), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::Next); });
    connect(button(IDC_LAST), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::Last); });
    connect(button(IDC_ADD), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::Add); });
    connect(button(IDC_DELETE), &QPushButton::clicked, this, [this] { edit(&air::CCaptions::Delete); });
    connect(button(IDC_SHOW_HIDE), &QPushButton::clicked, this, &CCaptionView::ShowHide);
    TranslateDialog(IDD_CAPTIONS, this);
    showText();
    refreshButtons();
}

CCaptionView::~CCaptionView() { model_->SaveSettings(); }

QPushButton* CCaptionView::addButton(const DialogTexts& texts, int id) {
    auto* b = texts.button(id);
    b->setAutoDefault(false);
    buttons_.push_back(b);
    return b;
}

QPushButton* CCaptionView::button(int id) const {
    for (QPushButton* b : buttons_)
        if (ResourceId(b) == id) return b;
    return nullptr;
}

intptr_t CCaptionView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg != platform::MSG_AIR) return 0;
    switch (int(wParam)) {
        case air::AIRNOTE_STATE: refreshButtons(); break;
        case air::AIRNOTE_PREVIEW: showPreview(lParam != 0); break;
        default: break;
    }
    return 0;
}

void CCaptionView::showPreview(bool show) {
    const pages::CBitmap32& bmp = model_->state().captionBitmap;
    if (!show || bmp.empty()) {
        preview_->setImage({});
        return;
    }
    const QImage full = ImageOfBitmap(bmp);
    preview_->setImage(full.scaled(std::max(1, full.width() / 2), std::max(1, full.height() / 2), Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation));
}

void CCaptionView::refreshButtons() {
    const air::CaptionButtons b = model_->Buttons(&frame_.controller());
    button(IDC_OPEN_PAGE)->setEnabled(b.openPage);
    button(IDC_LOAD)->setEnabled(b.loadCaptions);
    button(IDC_SAVE)->setEnabled(b.saveCaptions);
    button(IDC_ADD)->setEnabled(b.add);
    button(IDC_SHOW_HIDE)->setEnabled(b.showHide);
    button(IDC_FIRST)->setEnabled(b.first);
    button(IDC_PREVIOUS)->setEnabled(b.previous);
    button(IDC_NEXT)->setEnabled(b.next);
    button(IDC_LAST)->setEnabled(b.last);
    button(IDC_DELETE)->setEnabled(b.remove);
    for (QLabel* l : {pageLabel_, page_, ofLabel_, of_}) l->setEnabled(b.counters);
    page_->setText(QString::number(b.page));
    of_->setText(QString::number(b.of));
    text_->setEnabled(b.textBox);
}

void CCaptionView::showText() {
    const QString t = BoxText(model_->Text());
    if (text_->toPlainText() == t) return;
    showing_ = true;
    text_->setPlainText(t);
    text_->moveCursor(QTextCursor::End);
    showing_ = false;
}

void CCaptionView::textEdited() {
    if (showing_) return;
    const QString typed = text_->toPlainText();
    const std::string program = ToProgramText(typed);
    model_->SetText(program);
    // A character the code page does not have shows as it will go on air.
    const QString back = BoxText(model_->Text());
    if (back != typed) {
        QTextCursor c = text_->textCursor();
        const int pos = c.position();
        showing_ = true;
        text_->setPlainText(back);
        c = text_->textCursor();
        c.setPosition(std::min(pos, int(back.size())));
        text_->setTextCursor(c);
        showing_ = false;
    }
}

void CCaptionView::edit(void (air::CCaptions::*op)()) {
    (model_.get()->*op)();
    showText();
    refreshButtons();
}

bool CCaptionView::OpenPageFile(const std::string& path) {
    const bool ok = model_->OpenPage(path) == pages::FILE_OK;
    if (ok) showPreview(true);
    refreshButtons();
    return ok;
}

bool CCaptionView::LoadCaptionsFile(const std::string& path) {
    const bool ok = model_->LoadCaptions(path) == pages::FILE_OK;
    showText();
    refreshButtons();
    return ok;
}

bool CCaptionView::SaveCaptionsFile(const std::string& path) {
    const bool ok = model_->SaveCaptions(path) == pages::FILE_OK;
    refreshButtons();
    return ok;
}

void CCaptionView::onOpenPage() {
    const QString file =
        AskPathToOpen(this, StrLine(IDS_CAPTIONS_OPEN_PAGE),
                      StartOf(model_->settings().fileName, app::FOLDER_LAST_PAGES), FilterOf(app::FT_PAGE));
    if (!file.isEmpty()) OpenPageFile(ToFilePath(file));
}

void CCaptionView::onLoad() {
    const QString file =
        AskPathToOpen(this, StrLine(IDS_CAPTIONS_LOAD), StartOf(model_->settings().titlesFile, app::FOLDER_LAST_TEXT),
                      FilterOf(app::FT_TXT));
    if (!file.isEmpty()) LoadCaptionsFile(ToFilePath(file));
}

void CCaptionView::onSave() {
    const std::string proposed = !model_->settings().titlesFile.empty()
                                     ? model_->settings().titlesFile
                                     : FolderPath(app::FOLDER_LAST_TEXT) + "Captions.txt";
    const std::string file = AskSaveFile(this, StrLine(IDS_CAPTIONS_SAVE), proposed, app::FT_TXT);
    if (!file.empty()) SaveCaptionsFile(file);
}

void CCaptionView::ShowHide() {
    model_->ShowHide(frame_.controller());
    showText();
    refreshButtons();
}

bool CCaptionView::eventFilter(QObject* watched, QEvent* event) {
    // F2 works while the caret is in the text box.
    if (watched == text_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
            } else {
                if (button(IDC_SHOW_HIDE)->isEnabled()) ShowHide();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CCaptionView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        if (button(IDC_SHOW_HIDE)->isEnabled()) ShowHide();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace ui

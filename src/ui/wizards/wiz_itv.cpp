#include "ui/wizards/wiz_itv.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <memory>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "interactive/itv_picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "ui/air/air_pictures.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

using interactive::ITV_COL_CLOCK;
using interactive::ITV_COL_QUESTION;
using interactive::ITV_COL_TEMPERATURE;
using interactive::ITV_COL_TOTAL;
using interactive::ITV_ROW_OTHER;
using interactive::kItvColumns;

constexpr int kPreviewWidth = pages::THUMB_WIDTH, kPreviewHeight = pages::THUMB_HEIGHT;
constexpr int kScale = pages::PAGE_WIDTH / pages::THUMB_WIDTH;  // page pixels per preview pixel
constexpr int kBindRows = 6;

enum : int {
    IDS_ITVW_SUBTITLE1 = 34417,
    IDS_ITVW_SUBTITLE_OTHER = 34418,
    IDS_ITVW_SUBTITLE_BIND = 34419,
    IDS_ITVW_CLOCK = 34420,
    IDS_ITVW_TEMPERATURE = 34421,
    IDS_ITVW_PAGE_FILE = 34422,
    IDS_ITVW_NO_PAGE = 34423,
    IDS_ITVW_PAGE_TITLE = 34424,
    IDS_ITVW_SAVE_TITLE = 34425,
    IDS_ITVW_LABEL = 34400,  // "%1:"
    IDS_ITVW_ANSWER_N = 18101,
};

// The names of the lists on the last step, in column order.
QString OtherName(int col) {
    switch (col) {
        case ITV_COL_QUESTION: return StrLine(18113);
        case ITV_COL_TOTAL: return StrLine(18110);
        case ITV_COL_CLOCK: return StrLine(IDS_ITVW_CLOCK);
        default: return StrLine(IDS_ITVW_TEMPERATURE);
    }
}

}  // namespace

// ---- The preview ----------------------------------------------------------------------------

CItvPagePreview::CItvPagePreview(QWidget* parent) : QLabel(parent) {
    setFixedSize(kPreviewWidth + 2, kPreviewHeight + 2);
    setFrameShape(QFrame::StyledPanel);
    setAlignment(Qt::AlignCenter);
    // A click must not take the focus from the list it is meant for.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

QPoint CItvPagePreview::pagePoint(const QPoint& at) const {
    const QPoint origin = contentsRect().topLeft() + QPoint((contentsRect().width() - kPreviewWidth) / 2,
                                                            (contentsRect().height() - kPreviewHeight) / 2);
    return (at - origin) * kScale;
}

QPoint CItvPagePreview::previewPoint(int pageX, int pageY) const {
    const QPoint origin = contentsRect().topLeft() + QPoint((contentsRect().width() - kPreviewWidth) / 2,
                                                            (contentsRect().height() - kPreviewHeight) / 2);
    return origin + QPoint(pageX / kScale, pageY / kScale);
}

void CItvPagePreview::setPage(const interactive::CITVWizard& wizard,
                              const std::vector<std::pair<std::string, QString>>& marked,
                              const std::vector<std::string>& taken) {
    wizard_ = &wizard;
    QImage image = ImageOfBitmap(wizard.thumbnail());
    if (image.isNull()) {
        clear();
        return;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    const pages::CPageDoc& page = wizard.page();
    auto rectOf = [&page](int i) {
        const pages::Rect& r = page.frame(i)->rect;
        return QRect(r.left / kScale, r.top / kScale, std::max(1, r.width() / kScale) - 1,
                     std::max(1, r.height() / kScale) - 1);
    };
    // Every frame outlined; those bound elsewhere shaded, as they cannot be bound twice.
    for (int i = 0; i < page.frameCount(); ++i) {
        const std::string& name = page.frame(i)->name;
        const bool isTaken = std::find(taken.begin(), taken.end(), name) != taken.end();
        if (isTaken) p.fillRect(rectOf(i), QColor(0, 0, 0, 140));
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
        p.drawRect(rectOf(i));
    }
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    small.setBold(true);
    p.setFont(small);
    for (const auto& [name, label] : marked)
        for (int i = 0; i < page.frameCount(); ++i) {
            if (page.frame(i)->name != name) continue;
            const QRect r = rectOf(i);
            p.setPen(QPen(QColor(255, 210, 0), 2));
            p.drawRect(r);
            const QRect tag = p.fontMetrics().boundingRect(label).adjusted(-3, -1, 3, 1);
            const QRect at(r.topLeft(), tag.size());
            p.fillRect(at, QColor(255, 210, 0));
            p.setPen(Qt::black);
            p.drawText(at, Qt::AlignCenter, label);
        }
    p.end();
    setPixmap(QPixmap::fromImage(image));
}

void CItvPagePreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = pagePoint(event->position().toPoint());
        emit clickedAt(at);
    }
    QLabel::mousePressEvent(event);
}

void CItvPagePreview::mouseMoveEvent(QMouseEvent* event) {
    // The frame's name under the pointer, so that the operator knows what a click binds.
    if (wizard_) {
        const QPoint at = pagePoint(event->position().toPoint());
        const std::string name = wizard_->FrameAt(at.x(), at.y());
        setToolTip(FromProgramText(name));
        if (!name.empty()) QToolTip::showText(event->globalPosition().toPoint(), FromProgramText(name), this);
        else QToolTip::hideText();
    }
    QLabel::mouseMoveEvent(event);
}

// ---- Step 1 ---------------------------------------------------------------------------------

CPageITV1::CPageITV1(CWizITV& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD);
    setSubTitle(StrLine(IDS_ITVW_SUBTITLE1));
    auto* form = new QGridLayout(this);
    file_ = WithId(new QLineEdit, IDC_FILE);
    form->addWidget(t.label(IDC_LABEL_PAGE, file_), 0, 0);
    file_->setPlaceholderText(StrLine(IDS_ITVW_PAGE_FILE));
    // A typed name is loaded when the operator leaves the field (a relative one is below the
    // pages folder).
    connect(file_, &QLineEdit::editingFinished, this, [this] {
        // Once per name: leaving the field again does not repeat a message.
        if (file_->text().trimmed() == tried_) return;
        std::string typed = ToFilePath(file_->text().trimmed());
        if (typed.empty()) return;
        if (typed.front() != '/') typed = platform::JoinPath(wizard_.pagesFolder(), typed);
        choose(typed);
        tried_ = file_->text().trimmed();
    });
    form->addWidget(file_, 0, 1);
    auto* browse = t.button(IDC_BROWSE);
    browse->setAutoDefault(false);
    form->addWidget(browse, 0, 2);
    answers_ = WithId(new QComboBox, IDC_ANSWERS);
    form->addWidget(t.label(IDC_LABEL_ANSWERS, answers_), 1, 0);
    for (int n = 0; n <= interactive::kItvAnswers; ++n) answers_->addItem(QString::number(n));
    answers_->setCurrentIndex(2);
    auto* row = new QHBoxLayout;
    row->addWidget(answers_);
    row->addStretch(1);
    form->addLayout(row, 1, 1, 1, 2);
    preview_ = WithId(new QLabel, IDC_PREVIEW);
    preview_->setFixedSize(kPreviewWidth + 2, kPreviewHeight + 2);
    preview_->setFrameShape(QFrame::StyledPanel);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setText(StrLine(IDS_ITVW_NO_PAGE));
    preview_->setEnabled(false);
    form->addWidget(preview_, 2, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    form->setColumnStretch(1, 1);
    form->setRowStretch(3, 1);
    connect(browse, &QPushButton::clicked, this, [this] {
        const std::string current = ToFilePath(file_->text());
        std::unique_ptr<QFileDialog> d(MakeFileDialog(this, StrLine(IDS_ITVW_PAGE_TITLE),
                                                      FromFilePath(current.empty() ? wizard_.pagesFolder() : current),
                                                      app::FT_PAGE));
        d->setFileMode(QFileDialog::ExistingFile);
        FileDialogTexts(d.get());
        if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return;
        const std::string chosen = ToFilePath(d->selectedFiles().first());
        d.reset();
        choose(chosen);
    });
    TranslateDialog(IDD, this);
}

bool CPageITV1::choose(const std::string& path) {
    const int code = wizard_.model().LoadPage(path, wizard_.pagesFolder());
    if (code == interactive::IDS_ITV_NO_FRAMES) app::MessageBoxId(code, app::MB_OK | app::MB_ICONERROR);
    else if (code) app::ShowFileResult(code, path);
    if (code) {
        file_->setToolTip(QString());
        preview_->setText(StrLine(IDS_ITVW_NO_PAGE));
        preview_->setEnabled(false);
    } else {
        file_->setText(FromFilePath(path));
        file_->setToolTip(FromFilePath(path));
        const QImage image = ImageOfBitmap(wizard_.model().thumbnail());
        preview_->setEnabled(true);
        preview_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    }
    tried_ = file_->text().trimmed();
    emit completeChanged();
    return code == 0;
}

bool CPageITV1::isComplete() const { return wizard_.model().pageLoaded(); }

bool CPageITV1::validatePage() {
    wizard_.model().SetAnswers(answers_->currentIndex());
    return wizard_.model().pageLoaded();
}

// ---- Steps 2 and 3: the lists ---------------------------------------------------------------

CItvBindPage::CItvBindPage(CWizITV& wizard, int row)
    : wizard_(wizard), row_(row), count_(row == ITV_ROW_OTHER ? ITV_COL_TEMPERATURE + 1 : kItvColumns) {
    const int id = CWizITV::IDD_WIZ_ITV + 2 + (row == ITV_ROW_OTHER ? 1 : 0);
    DialogTexts t(this, id);
    setSubTitle(row == ITV_ROW_OTHER
                    ? StrLine(IDS_ITVW_SUBTITLE_OTHER)
                    : StrFmt(IDS_ITVW_SUBTITLE_BIND, {StrLine(interactive::ItvRowTitleId(row)), row + 1, kBindRows}));
    auto* layout = new QHBoxLayout(this);
    listsBox_ = new QWidget;
    auto* lists = new QFormLayout(listsBox_);
    lists->setContentsMargins(0, 0, 0, 0);
    for (int col = 0; col < count_; ++col) {
        QComboBox*& list = lists_[size_t(col)];
        list = WithId(new QComboBox, IDC_LIST1 + col);
        list->setMinimumContentsLength(14);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        const QString name = row == ITV_ROW_OTHER ? OtherName(col) : StrFmt(IDS_ITVW_ANSWER_N, {col + 1});
        // A label of its own id, its text a string with the number put in.
        labels_[size_t(col)] = WithId(new QLabel(StrFmt(IDS_ITVW_LABEL, {name})), IDC_LABEL1 + col);
        labels_[size_t(col)]->setBuddy(list);
        lists->addRow(labels_[size_t(col)], list);
        connect(list, &QComboBox::currentIndexChanged, this, [this] {
            store();
            refreshPreview();
        });
    }
    auto* left = new QVBoxLayout;
    left->addWidget(listsBox_);
    left->addStretch(1);
    layout->addLayout(left);
    preview_ = WithId(new CItvPagePreview, IDC_PREVIEW);
    layout->addWidget(preview_, 0, Qt::AlignTop);
    connect(preview_, &CItvPagePreview::clickedAt, this, [this](QPoint at) { pickAt(at.x(), at.y()); });
    TranslateDialog(id, this);
}

void CItvBindPage::initializePage() {
    const interactive::CITVWizard& m = wizard_.model();
    const std::vector<std::string> names = m.FrameNames();
    for (int col = 0; col < count_; ++col) {
        QComboBox* list = lists_[size_t(col)];
        const QSignalBlocker block(list);
        list->clear();
        list->addItem(QString());
        for (const std::string& n : names) list->addItem(FromProgramText(n));
        const bool enabled = m.Bindable(row_, col);
        list->setEnabled(enabled);
        labels_[size_t(col)]->setEnabled(enabled);
        const std::string& bound = m.Binding(row_, col);
        int index = 0;
        for (size_t i = 0; i < names.size() && enabled && !bound.empty(); ++i)
            if (names[i] == bound) index = int(i) + 1;
        list->setCurrentIndex(index);
    }
    refreshPreview();
    for (int col = 0; col < count_; ++col)
        if (lists_[size_t(col)]->isEnabled()) {
            lists_[size_t(col)]->setFocus();
            break;
        }
}

void CItvBindPage::store() {
    interactive::CITVWizard& m = wizard_.model();
    const std::vector<std::string> names = m.FrameNames();
    for (int col = 0; col < count_; ++col) {
        if (!m.Bindable(row_, col)) continue;
        const int index = lists_[size_t(col)]->currentIndex();
        m.Bind(row_, col, index >= 1 && index <= int(names.size()) ? names[size_t(index - 1)] : std::string());
    }
}

void CItvBindPage::refreshPreview() {
    const interactive::CITVWizard& m = wizard_.model();
    std::vector<std::pair<std::string, QString>> marked;
    std::vector<std::string> taken;
    for (int row = 0; row < interactive::kItvRows; ++row)
        for (int col = 0; col < kItvColumns; ++col) {
            const std::string& name = m.Binding(row, col);
            if (name.empty() || !m.Bindable(row, col)) continue;
            if (row != row_) taken.push_back(name);
            else marked.emplace_back(name, row == ITV_ROW_OTHER ? OtherName(col) : QString::number(col + 1));
        }
    preview_->setPage(m, marked, taken);
}

void CItvBindPage::pickAt(int pageX, int pageY) {
    const std::string name = wizard_.model().FrameAt(pageX, pageY);
    if (name.empty()) return;
    int target = -1;
    for (int col = 0; col < count_ && target < 0; ++col)
        if (lists_[size_t(col)]->isEnabled() && lists_[size_t(col)]->hasFocus()) target = col;
    // No list has the focus: the first empty one, else the first.
    for (int col = 0; col < count_ && target < 0; ++col)
        if (lists_[size_t(col)]->isEnabled() && lists_[size_t(col)]->currentIndex() <= 0) target = col;
    for (int col = 0; col < count_ && target < 0; ++col)
        if (lists_[size_t(col)]->isEnabled()) target = col;
    if (target < 0) return;
    QComboBox* list = lists_[size_t(target)];
    const int index = list->findText(FromProgramText(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) return;
    list->setCurrentIndex(index);
    for (int col = target + 1; col < count_; ++col)
        if (lists_[size_t(col)]->isEnabled()) {
            lists_[size_t(col)]->setFocus();
            return;
        }
    // The last list: on to the step's button.
    if (QAbstractButton* next = wizard_.button(wizard_.nextId() < 0 ? QWizard::FinishButton : QWizard::NextButton))
        next->setFocus();
}

bool CItvBindPage::validatePage() {
    store();
    return true;
}

// ---- Step 3 ---------------------------------------------------------------------------------

CPageITV3::CPageITV3(CWizITV& wizard) : CItvBindPage(wizard, ITV_ROW_OTHER) {
    const interactive::CITVDoc& s = wizard.model().settings();
    DialogTexts t(this, CWizITV::IDD_WIZ_ITV + 3);
    auto* box = t.group(IDC_SETTINGS);
    auto* form = new QFormLayout(box);
    fullScale_ = WithId(new QSpinBox, IDC_FULL_SCALE);
    fullScale_->setRange(0, INT_MAX);
    fullScale_->setValue(s.fullScale);
    form->addRow(t.label(IDC_LABEL_FULL_SCALE, fullScale_), fullScale_);
    fill_ = t.check(IDC_FILL);
    duplicates_ = t.check(IDC_DUPLICATES);
    seconds_ = t.check(IDC_SECONDS);
    blinking_ = t.check(IDC_BLINKING);
    fill_->setChecked(s.fillWholeScale);
    duplicates_->setChecked(s.ignoreDuplicates);
    seconds_->setChecked(s.clockSeconds);
    blinking_->setChecked(s.blinkingSeparator);
    for (QCheckBox* c : {fill_, duplicates_, seconds_, blinking_}) form->addRow(c);
    // Below the lists, in the same column.
    if (auto* left = qobject_cast<QVBoxLayout*>(layout()->itemAt(0)->layout())) left->insertWidget(1, box);
    TranslateDialog(CWizITV::IDD_WIZ_ITV + 3, this);
}

bool CPageITV3::validatePage() {
    store();
    interactive::CITVWizard& m = wizard_.model();
    interactive::CITVDoc& s = m.settings();
    s.fullScale = fullScale_->value();
    s.fillWholeScale = fill_->isChecked();
    s.ignoreDuplicates = duplicates_->isChecked();
    s.clockSeconds = seconds_->isChecked();
    s.blinkingSeparator = blinking_->isChecked();
    interactive::CITVDoc doc;
    std::string twice;
    if (m.Finish(doc, &twice) != 0) {
        app::MessageBoxId(interactive::IDS_ITV_DUPLICATE_BINDING, app::MB_OK | app::MB_ICONERROR, {twice});
        return false;
    }
    const std::string file = wizard_.askSavePath();
    if (file.empty()) return false;
    if (const int code = doc.Save(file)) {
        app::ShowFileResult(code, file);
        return false;
    }
    wizard_.setSavedPath(file);
    LogMessage("CWizITV: %s saved, %d answers", file.c_str(), doc.answers);
    return true;
}

// ---- The wizard -----------------------------------------------------------------------------

CWizITV::CWizITV(pages::CFontManager& fonts, std::string pagesFolder, std::string itvFolder, QWidget* parent)
    : QWizard(parent), model_(fonts), pagesFolder_(std::move(pagesFolder)), itvFolder_(std::move(itvFolder)) {
    DialogTexts t(this, IDD_WIZ_ITV);
    WizardTexts(this);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    page1_ = new CPageITV1(*this);
    addPage(page1_);
    for (int row = 0; row < kBindRows; ++row) {
        bindPages_[size_t(row)] = new CItvBindPage(*this, row);
        addPage(bindPages_[size_t(row)]);
    }
    page3_ = new CPageITV3(*this);
    addPage(page3_);
    TranslateDialog(IDD_WIZ_ITV, this);
}

CWizITV::~CWizITV() = default;

std::string CWizITV::askSavePath() {
    const std::string& folder = itvFolder_;
    if (askSave_) return askSave_(folder);
    // The page's name, as a start.
    std::string start = folder;
    const std::string& page = model_.settings().pagePath;
    if (!page.empty()) {
        std::string name = platform::FileNameOf(page);
        if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
        start = platform::JoinPath(folder, name + app::ExtensionOf(app::FT_ITV));
    }
    std::unique_ptr<QFileDialog> dialog(
        MakeFileDialog(this, StrLine(IDS_ITVW_SAVE_TITLE), FromFilePath(start), app::FT_ITV));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    FileDialogTexts(dialog.get());
    dialog->setDefaultSuffix(QString::fromLatin1(app::ExtensionOf(app::FT_ITV)).mid(1));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return ToFilePath(dialog->selectedFiles().first());
}

std::string RunItvWizard(QWidget* parent) {
    pages::CFontManager* fonts = pages::CFontManager::Instance();
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    if (!fonts || !theApp) return {};
    CWizITV wizard(*fonts, theApp->GetPath(app::FOLDER_PAGES), theApp->GetPath(app::FOLDER_ITV), parent);
    if (wizard.exec() != QDialog::Accepted) return {};
    return wizard.savedPath();
}

}  // namespace ui

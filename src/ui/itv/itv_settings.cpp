#include "ui/itv/itv_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/strings.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

// The pages of the sheet, each a dialog of its own; their captions (the tabs) are strings.
enum : int {
    IDD_ITV_PAGE_QUESTION = 1181,
    IDC_ITVQ_LABEL_QUESTION = 1000,
    IDC_ITVQ_LABEL_FULL_SCALE = 1001,
    IDC_ITVQ_FILL = 1002,
    IDC_ITVQ_DUPLICATES = 1003,
    IDC_ITVQ_LABEL_DECIMALS = 1004,
    IDD_ITV_PAGE_ANSWERS = 1182,
    IDD_ITV_PAGE_KEYWORDS = 1183,
    IDC_ITVA_LABEL_FIRST = 1000,  // .. 1007
    IDD_ITV_PAGE_LINES = 1184,
    IDC_ITVL_LINE_FIRST = 1000,  // .. 1007
    IDS_QUESTION = 18113,
    IDS_ANSWERS = 18107,
    IDS_KEYWORDS = 18108,
    IDS_LINES = 18114,
    IDS_LABEL = 34400,      // "%1:"
    IDS_LINE_N = 34401,     // "Line %1"
    IDS_ITEM_PART = 34412,  // "%1 - %2"
};

// An answer's name in the lines' lists: "Answer #n", then " - " and the text and " - " and the
// keyword where these are not empty.
QString AnswerItem(int n, const QString& text, const QString& keyword) {
    QString item = StrFmt(CITVSettingsSheet::IDS_ANSWER_N, {n});
    if (!text.isEmpty()) item = StrFmt(IDS_ITEM_PART, {item, text});
    if (!keyword.isEmpty()) item = StrFmt(IDS_ITEM_PART, {item, keyword});
    return item;
}

}  // namespace

CITVSettingsSheet::CITVSettingsSheet(const interactive::CITVDoc& doc, Apply apply, QWidget* parent)
    : QDialog(parent), doc_(doc), apply_(std::move(apply)) {
    setWindowTitle(StrLine(IDS_ITV_SETTINGS));
    auto* outer = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    outer->addWidget(tabs_);
    const int answers = std::clamp(doc.answers, 0, interactive::kItvAnswers);

    // Question.
    auto* q = new QWidget;
    DialogTexts qt(q, IDD_ITV_PAGE_QUESTION);
    auto* qf = new QFormLayout(q);
    question_ = new QPlainTextEdit(FromProgramText(doc.question));
    question_->setTabChangesFocus(true);
    question_->setMinimumHeight(60);
    qf->addRow(qt.label(IDC_ITVQ_LABEL_QUESTION, question_), question_);
    fullScale_ = new QSpinBox;
    fullScale_->setRange(0, INT_MAX);
    fullScale_->setValue(std::max(doc.fullScale, 0));
    qf->addRow(qt.label(IDC_ITVQ_LABEL_FULL_SCALE, fullScale_), fullScale_);
    fill_ = qt.check(IDC_ITVQ_FILL);
    fill_->setChecked(doc.fillWholeScale);
    qf->addRow(fill_);
    duplicates_ = qt.check(IDC_ITVQ_DUPLICATES);
    duplicates_->setChecked(doc.ignoreDuplicates);
    qf->addRow(duplicates_);
    decimals_ = new QComboBox;
    decimals_->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    decimals_->setCurrentIndex(std::clamp(doc.decimals, 0, 2));
    qf->addRow(qt.label(IDC_ITVQ_LABEL_DECIMALS, decimals_), decimals_);
    TranslateDialog(IDD_ITV_PAGE_QUESTION, q);
    tabs_->addTab(q, StrLine(IDS_QUESTION));

    // Answers and keywords.
    auto* a = new QWidget;
    SetDialogId(a, IDD_ITV_PAGE_ANSWERS);
    auto* af = new QFormLayout(a);
    auto* k = new QWidget;
    SetDialogId(k, IDD_ITV_PAGE_KEYWORDS);
    auto* kf = new QFormLayout(k);
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        // "Answer #n:", the number put in: a label of its own id, its text a string.
        const QString label = StrFmt(IDS_LABEL, {AnswerItem(i + 1, {}, {})});
        answers_[size_t(i)] = new QLineEdit(FromProgramText(doc.answerTexts[size_t(i)]));
        keywords_[size_t(i)] = new QLineEdit(FromProgramText(doc.keywords[size_t(i)]));
        answers_[size_t(i)]->setEnabled(i < answers);
        keywords_[size_t(i)]->setEnabled(i < answers);
        auto* al = new QLabel(label);
        auto* kl = new QLabel(label);
        SetResourceId(al, IDC_ITVA_LABEL_FIRST + i);
        SetResourceId(kl, IDC_ITVA_LABEL_FIRST + i);
        al->setBuddy(answers_[size_t(i)]);
        kl->setBuddy(keywords_[size_t(i)]);
        af->addRow(al, answers_[size_t(i)]);
        kf->addRow(kl, keywords_[size_t(i)]);
    }
    tabs_->addTab(a, StrLine(IDS_ANSWERS));
    tabs_->addTab(k, StrLine(IDS_KEYWORDS));

    // Phone lines: a checked line counts for the answer its list names.
    auto* l = new QWidget;
    SetDialogId(l, IDD_ITV_PAGE_LINES);
    auto* lg = new QGridLayout(l);
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        auto* check = new QCheckBox(StrFmt(IDS_LINE_N, {i + 1}));
        SetResourceId(check, IDC_ITVL_LINE_FIRST + i);
        auto* list = new QComboBox;
        list->setMinimumContentsLength(24);
        lines_[size_t(i)] = check;
        lineAnswers_[size_t(i)] = list;
        const int value = doc.lineTable[size_t(i)];
        check->setChecked(value >= 1 && value <= interactive::kItvAnswers);
        list->setEnabled(check->isChecked());
        connect(check, &QCheckBox::toggled, list, &QWidget::setEnabled);
        lg->addWidget(check, i, 0);
        lg->addWidget(list, i, 1);
    }
    lg->setColumnStretch(1, 1);
    tabs_->addTab(l, StrLine(IDS_LINES));
    fillLineLists();
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        const int value = doc.lineTable[size_t(i)];
        if (value >= 1 && value <= lineAnswers_[size_t(i)]->count())
            lineAnswers_[size_t(i)]->setCurrentIndex(value - 1);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 3) fillLineLists();
    });

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(box);
}

void CITVSettingsSheet::fillLineLists() {
    const int answers = std::clamp(doc_.answers, 0, interactive::kItvAnswers);
    // At least one item, so that a checked line always names an answer.
    const int items = std::max(answers, 1);
    for (QComboBox* list : lineAnswers_) {
        const int current = std::max(list->currentIndex(), 0);
        list->clear();
        for (int n = 0; n < items; ++n)
            list->addItem(
                AnswerItem(n + 1, answers_[size_t(n)]->text().trimmed(), keywords_[size_t(n)]->text().trimmed()));
        list->setCurrentIndex(std::min(current, items - 1));
    }
}

interactive::CITVDoc CITVSettingsSheet::edited() const {
    interactive::CITVDoc d = doc_;
    d.question = ToProgramText(question_->toPlainText());
    d.fullScale = fullScale_->value();
    d.fillWholeScale = fill_->isChecked();
    d.ignoreDuplicates = duplicates_->isChecked();
    d.decimals = decimals_->currentIndex();
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        d.answerTexts[size_t(i)] = ToProgramText(answers_[size_t(i)]->text());
        d.keywords[size_t(i)] = ToProgramText(keywords_[size_t(i)]->text());
        d.lineTable[size_t(i)] = lines_[size_t(i)]->isChecked() ? lineAnswers_[size_t(i)]->currentIndex() + 1 : 0;
    }
    return d;
}

void CITVSettingsSheet::accept() {
    if (apply_ && !apply_(edited())) return;
    QDialog::accept();
}

}  // namespace ui

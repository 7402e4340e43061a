#include "ui/mainframe/translation_dlg.h"

#include <QBitmap>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

// One picture: the kind's glyph in colour with a green tick when translated, in grey without.
QPixmap DrawIcon(int kind, bool translated) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    const QColor ink = translated ? QColor(0x1F, 0x4E, 0x9A) : QColor(0x80, 0x80, 0x80);
    const QColor paper = translated ? QColor(0xF4, 0xF7, 0xFF) : QColor(0xE6, 0xE6, 0xE6);
    p.setPen(ink);
    switch (kind) {
        case 0:  // a menu: a bar and three items
            p.fillRect(1, 1, 13, 3, ink);
            p.fillRect(3, 4, 9, 10, paper);
            p.drawRect(3, 4, 9, 10);
            for (int y : {6, 9, 12}) p.drawLine(5, y, 10, y);
            break;
        case 1:  // a dialog: a window with its title bar and a button
            p.fillRect(1, 2, 14, 12, paper);
            p.drawRect(1, 2, 13, 11);
            p.fillRect(1, 2, 14, 3, ink);
            p.drawRect(8, 9, 5, 3);
            break;
        default:  // a string: lines of text
            p.fillRect(2, 1, 11, 14, paper);
            p.drawRect(2, 1, 10, 13);
            for (int y : {4, 7, 10}) p.drawLine(4, y, 10, y);
            break;
    }
    if (translated) {
        p.setPen(QPen(QColor(0x1E, 0x9E, 0x3A), 2));
        p.drawLine(9, 12, 11, 14);
        p.drawLine(11, 14, 15, 9);
    }
    p.end();
    QPixmap pm = QPixmap::fromImage(img);
    pm.setMask(pm.createMaskFromColor(QColor(255, 0, 255)));
    return pm;
}

}  // namespace

std::vector<QIcon> TranslationIcons() {
    std::vector<QIcon> icons;
    for (int kind = 0; kind < 3; ++kind) {
        icons.emplace_back(DrawIcon(kind, true));
        icons.emplace_back(DrawIcon(kind, false));
    }
    return icons;
}

CTranslationDlg::CTranslationDlg(const i18n::LangTable& base, const i18n::LangTable& language, QWidget* parent)
    : QDialog(parent), model_(base, language), icons_(TranslationIcons()) {
    DialogTexts t(this, IDD_TRANSLATION);
    auto* grid = new QGridLayout(this);
    list = t(new QListWidget, IDC_TR_LIST);
    list->setIconSize(QSize(16, 16));
    list->setUniformItemSizes(true);
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QString(28, 'M')));
    original = t(new QPlainTextEdit, IDC_TR_ORIGINAL);
    original->setReadOnly(true);
    translation = t(new QPlainTextEdit, IDC_TR_TRANSLATION);
    reset = t.button(IDC_TR_RESET);
    note = t(new QLabel, IDC_TR_NOTE);
    note->setWordWrap(true);
    note->setStyleSheet("color: #B3261E");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTranslationDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    grid->addWidget(list, 0, 0, 6, 1);
    grid->addWidget(t.label(IDC_TR_LABEL_ORIGINAL, original), 0, 1);
    grid->addWidget(original, 1, 1);
    grid->addWidget(t.label(IDC_TR_LABEL_TRANSLATION, translation), 2, 1);
    grid->addWidget(translation, 3, 1);
    grid->addWidget(note, 4, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(reset);
    row->addStretch();
    row->addWidget(buttons);
    grid->addLayout(row, 5, 1);
    grid->setColumnStretch(1, 1);

    for (size_t i = 0; i < model_.size(); ++i) {
        auto* item = new QListWidgetItem(list);
        item->setText(FromProgramText(model_.rowText(i)));
    }
    for (size_t i = 0; i < model_.size(); ++i) refreshRow(int(i));
    connect(list, &QListWidget::currentRowChanged, this, [this](int r) {
        storeRow();
        showRow(r);
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        if (row_ < 0) return;
        model_.reset(size_t(row_));
        refreshRow(row_);
        showRow(row_);
    });
    TranslateDialog(IDD_TRANSLATION, this);
    resize(760, 460);
    if (model_.size()) list->setCurrentRow(0);
    else showRow(-1);
}

void CTranslationDlg::refreshRow(int r) {
    if (r < 0 || size_t(r) >= model_.size()) return;
    QListWidgetItem* item = list->item(r);
    item->setIcon(icons_[size_t(model_.icon(size_t(r)))]);
    // A translation the program will not use stands out.
    item->setForeground(model_.markersDiffer(size_t(r)) ? QBrush(QColor(0xB3, 0x26, 0x1E)) : QBrush());
}

void CTranslationDlg::storeRow() {
    if (row_ < 0 || size_t(row_) >= model_.size()) return;
    model_.store(size_t(row_), ToProgramText(translation->toPlainText().replace('\n', "\r\n")));
    refreshRow(row_);
}

void CTranslationDlg::showRow(int r) {
    row_ = r;
    const bool valid = r >= 0 && size_t(r) < model_.size();
    // The fields show line ends as the editor keeps them (CR LF); Qt shows those as one break.
    auto shown = [](const std::string& s) { return FromProgramText(s).replace("\r\n", "\n"); };
    original->setPlainText(valid ? shown(model_.originalField(size_t(r))) : QString());
    translation->setPlainText(valid ? shown(model_.translationField(size_t(r))) : QString());
    translation->setEnabled(valid);
    reset->setEnabled(valid);
    note->setText(valid && model_.markersDiffer(size_t(r)) ? Str(IDS_TR_MARKERS_DIFFER) : QString());
}

void CTranslationDlg::accept() {
    storeRow();
    QDialog::accept();
}

}  // namespace ui

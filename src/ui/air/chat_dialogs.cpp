#include "ui/air/chat_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "sms/chat_model.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

// A program text (lines ending in LF or CR LF) for the field.
QString FieldText(const std::string& text) {
    QString s = FromProgramText(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

bool IsEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

}  // namespace

// ---- CChatEditDialog

CChatEditDialog::CChatEditDialog(const std::string& text, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_CHAT_EDIT);
    field_ = WithId(new QPlainTextEdit, IDC_CHAT_EDIT_TEXT);
    field_->setTabChangesFocus(true);
    field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 56);
    field_->setFixedHeight(field_->fontMetrics().lineSpacing() * 5 + 12);
    field_->installEventFilter(this);
    counter_ = WithId(new QLabel, IDC_CHAT_EDIT_COUNT);
    auto* hint = t.label(IDC_CHAT_EDIT_HINT);
    QPalette grey = hint->palette();
    grey.setColor(QPalette::WindowText, grey.color(QPalette::Disabled, QPalette::WindowText));
    hint->setPalette(grey);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* notes = new QHBoxLayout;
    notes->addWidget(hint, 1);
    notes->addWidget(counter_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addLayout(notes);
    layout->addWidget(buttons);

    setting_ = true;
    // A text from outside (the modem's) longer than the field is shown as it fits.
    std::string start = text.substr(0, sms::kChatTextMax);
    last_ = FieldText(start);
    field_->setPlainText(last_);
    field_->moveCursor(QTextCursor::End);
    setting_ = false;
    counter_->setText(StrFmt(IDS_CHAT_EDIT_COUNT, {ToProgramText(last_).size(), sms::kChatTextMax}));
    connect(field_, &QPlainTextEdit::textChanged, this, &CChatEditDialog::edited);
    TranslateDialog(IDD_CHAT_EDIT, this);
    field_->setFocus();
}

std::string CChatEditDialog::text() const { return ToProgramText(field_->toPlainText()); }

void CChatEditDialog::edited() {
    if (setting_) return;
    const QString typed = field_->toPlainText();
    const std::string program = ToProgramText(typed);
    QTextCursor c = field_->textCursor();
    int pos = c.position();
    QString keep;
    if (program.size() > sms::kChatTextMax) {
        // Refused whole: the field goes back to what it held, the caret where the typing began.
        QApplication::beep();
        keep = last_;
        pos = std::max(0, pos - int(typed.size() - last_.size()));
    } else {
        // A character the code page does not have shows as it will go on air.
        keep = FieldText(program);
    }
    if (keep != typed) {
        setting_ = true;
        field_->setPlainText(keep);
        c = field_->textCursor();
        c.setPosition(std::min(pos, int(keep.size())));
        field_->setTextCursor(c);
        setting_ = false;
    }
    last_ = keep;
    counter_->setText(StrFmt(IDS_CHAT_EDIT_COUNT, {ToProgramText(keep).size(), sms::kChatTextMax}));
}

bool CChatEditDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key)) {
            if (key->modifiers() & Qt::ShiftModifier) field_->insertPlainText(QStringLiteral("\n"));
            else accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CChatEditDialog::Edit(QWidget* parent, std::string& text) {
    CChatEditDialog dlg(text, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    text = dlg.text();
    return true;
}

// ---- CChatFilterDialog

CChatFilterDialog::CChatFilterDialog(const sms::CChatFilter& filter, Apply apply, QWidget* parent)
    : QDialog(parent), filter_(filter), apply_(std::move(apply)) {
    DialogTexts t(this, IDD_CHAT_FILTER);
    list_ = WithId(new QListWidget, IDC_FILTER_LIST);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(220, 220);
    list_->installEventFilter(this);
    word_ = WithId(new QLineEdit, IDC_FILTER_WORD);
    word_->setMaxLength(int(sms::kFilterWordMax) + 16);  // trimmed before it is judged
    word_->setPlaceholderText(StrLine(IDS_FILTER_NEW_WORD));
    word_->installEventFilter(this);
    add_ = t.button(IDC_FILTER_ADD);
    delete_ = t.button(IDC_FILTER_DELETE);
    for (QPushButton* b : {add_, delete_}) b->setAutoDefault(false);
    whole_ = t.check(IDC_FILTER_WHOLE);
    deleteWord_ = t.check(IDC_FILTER_DELETE_WORD);
    whole_->setChecked(!filter_.partial);
    deleteWord_->setChecked(filter_.deleteWord);
    hint_ = WithId(new QLabel, IDC_FILTER_HINT);
    hint_->setWordWrap(true);
    hint_->setMinimumHeight(hint_->fontMetrics().lineSpacing() * 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChatFilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(list_, 0, 0, 4, 1);
    grid->addWidget(word_, 0, 1);
    grid->addWidget(add_, 1, 1);
    grid->addWidget(delete_, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(hint_);
    layout->addWidget(whole_);
    layout->addWidget(deleteWord_);
    layout->addWidget(buttons);

    connect(add_, &QPushButton::clicked, this, &CChatFilterDialog::AddWord);
    connect(delete_, &QPushButton::clicked, this, &CChatFilterDialog::DeleteWord);
    connect(list_, &QListWidget::currentRowChanged, this, &CChatFilterDialog::refreshButtons);
    connect(word_, &QLineEdit::textEdited, hint_, &QLabel::clear);
    fill(filter_.words().empty() ? -1 : 0);
    TranslateDialog(IDD_CHAT_FILTER, this);
    word_->setFocus();
}

void CChatFilterDialog::fill(int select) {
    list_->clear();
    for (const std::string& w : filter_.words()) list_->addItem(FromProgramText(w));
    if (select >= 0 && select < list_->count()) {
        list_->setCurrentRow(select);
        list_->scrollToItem(list_->item(select));
    }
    refreshButtons();
}

void CChatFilterDialog::refreshButtons() { delete_->setEnabled(list_->currentRow() >= 0); }

bool CChatFilterDialog::AddWord() {
    const size_t before = filter_.words().size();
    const int at = filter_.Add(ToProgramText(word_->text()));
    if (at < 0) {
        QApplication::beep();
        hint_->setText(StrFmt(IDS_FILTER_WORD_RULE, {sms::kFilterWordMax}));
        word_->setFocus();
        return false;
    }
    fill(at);
    hint_->setText(filter_.words().size() == before ? StrFmt(IDS_FILTER_WORD_THERE, {filter_.words()[size_t(at)]})
                                                    : QString());
    word_->clear();
    word_->setFocus();
    return true;
}

void CChatFilterDialog::DeleteWord() {
    const int row = list_->currentRow();
    if (row < 0) return;
    fill(filter_.Delete(row));
    hint_->clear();
}

void CChatFilterDialog::accept() {
    filter_.partial = !whole_->isChecked();
    filter_.deleteWord = deleteWord_->isChecked();
    // A file that cannot be written has been reported: the dialog stays, to try again or cancel.
    if (apply_ && !apply_(filter_)) return;
    QDialog::accept();
}

bool CChatFilterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter in the word field adds the word rather than closing the dialog.
        if (watched == word_ && IsEnter(key) && key->modifiers() == Qt::NoModifier) {
            AddWord();
            return true;
        }
        if (watched == list_ && key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteWord();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ui

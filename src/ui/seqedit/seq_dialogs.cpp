#include "ui/seqedit/seq_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

using namespace air;

namespace {

QDate qDate(const SeqDate& d) { return IsValidDate(d) ? QDate(d.year, d.month, d.day) : QDate::currentDate(); }
SeqDate seqDate(const QDate& d) { return SeqDate{uint16_t(d.year()), uint8_t(d.month()), uint8_t(d.day())}; }

QDateEdit* dateEdit(const SeqDate& d) {
    auto* e = new QDateEdit(qDate(d));
    e->setCalendarPopup(true);
    e->setDisplayFormat("dd.MM.yyyy");
    e->setMinimumDate(QDate(1, 1, 1));
    e->setMaximumDate(QDate(9999, 12, 31));
    return e;
}

QDialogButtonBox* okCancel(QDialog* d) {
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(b);
    QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return b;
}

}  // namespace

// ---- "Action"

CActionDialog::CActionDialog(bool loaded, const QString& pageName, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_SEQ_ACTION);
    auto* layout = new QVBoxLayout(this);
    auto* name = t(new QLabel, IDC_ACTION_PAGE);
    name->setText(pageName);
    if (!loaded) name->setStyleSheet("color: red");
    layout->addWidget(name);
    group_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        buttons_[i] = t.radio(IDC_ACTION_FIRST + i);
        group_->addButton(buttons_[i], i);
        layout->addWidget(buttons_[i]);
    }
    buttons_[loaded ? EDIT_PAGE : REPLACE_PAGE]->setChecked(true);
    layout->addWidget(okCancel(this));
    TranslateDialog(IDD_SEQ_ACTION, this);
}

int CActionDialog::choice() const { return group_->checkedId(); }

// ---- "Set show date"

CShowDateDialog::CShowDateDialog(const ShowDateEdit& edit, const SeqDate& today, QWidget* parent)
    : QDialog(parent), edit_(edit), today_(today) {
    DialogTexts t(this, IDD_SHOW_DATE);
    auto* layout = new QVBoxLayout(this);
    restrict_ = t.check(IDC_SHOWDATE_RESTRICT);
    restrict_->setTristate(edit_.useDate < 0);
    restrict_->setCheckState(edit_.useDate < 0 ? Qt::PartiallyChecked : edit_.useDate ? Qt::Checked : Qt::Unchecked);
    layout->addWidget(restrict_);

    auto* dates = new QFormLayout;
    start_ = dateEdit(edit_.from);
    end_ = dateEdit(edit_.to);
    dates->addRow(t.label(IDC_SHOWDATE_LABEL_START, start_), start_);
    dates->addRow(t.label(IDC_SHOWDATE_LABEL_END, end_), end_);
    layout->addLayout(dates);

    auto* show = t.group(IDC_SHOWDATE_DAYS);
    auto* showLayout = new QHBoxLayout(show);
    total_ = t(new QLabel, IDC_SHOWDATE_TOTAL);
    left_ = t(new QLabel, IDC_SHOWDATE_LEFT);
    showLayout->addWidget(total_);
    showLayout->addWidget(left_);
    layout->addWidget(show);

    auto* week = t.group(IDC_SHOWDATE_WEEKDAYS);
    auto* weekLayout = new QGridLayout(week);
    for (int i = 0; i < 7; ++i) {
        days_[i] = t.check(IDC_SHOWDATE_MONDAY + i);
        // Undetermined boxes stay so until the operator sets them.
        days_[i]->setTristate(edit_.weekday[i] < 0);
        days_[i]->setCheckState(edit_.weekday[i] < 0 ? Qt::PartiallyChecked
                                : edit_.weekday[i]   ? Qt::Checked
                                                     : Qt::Unchecked);
        weekLayout->addWidget(days_[i], i % 4, i / 4);
        connect(days_[i], &QCheckBox::stateChanged, this, [this, i](int s) {
            if (updating_) return;
            days_[i]->setTristate(false);
            edit_.weekday[i] = s == Qt::PartiallyChecked ? -1 : s == Qt::Checked;
            refresh();
        });
    }
    layout->addWidget(week);
    layout->addWidget(okCancel(this));

    connect(restrict_, &QCheckBox::stateChanged, this, [this](int s) {
        if (updating_) return;
        restrict_->setTristate(false);
        edit_.useDate = s == Qt::PartiallyChecked ? -1 : s == Qt::Checked;
        refresh();
    });
    auto dateChanged = [this] {
        if (updating_) return;
        edit_.from = seqDate(start_->date());
        edit_.to = seqDate(end_->date());
        // Both ends count once one is set: the range is the one shown.
        edit_.datesSet = true;
        if (edit_.to < edit_.from) {
            edit_.to = edit_.from;
            updating_ = true;
            end_->setDate(start_->date());
            updating_ = false;
        }
        refresh();
    };
    connect(start_, &QDateEdit::dateChanged, this, dateChanged);
    connect(end_, &QDateEdit::dateChanged, this, dateChanged);
    refresh();
    TranslateDialog(IDD_SHOW_DATE, this);
}

void CShowDateDialog::refresh() {
    const bool on = edit_.useDate != 0;
    start_->setEnabled(on);
    end_->setEnabled(on);
    for (QCheckBox* b : days_) b->setEnabled(on);
    total_->setText(on ? StrFmt(IDS_SHOWDATE_TOTAL, {edit_.totalDays()}) : StrLine(IDS_SHOWDATE_NO_TOTAL));
    left_->setText(on ? StrFmt(IDS_SHOWDATE_LEFT, {edit_.daysLeft(today_)}) : StrLine(IDS_SHOWDATE_NO_LEFT));
}

// ---- "Check pages by date"

CCheckDateDialog::CCheckDateDialog(const CheckByDateSettings& s, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_CHECK_DATE);
    auto* layout = new QGridLayout(this);
    group_ = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        modes_[i] = t.radio(IDC_CHECKDATE_FIRST + i);
        group_->addButton(modes_[i], i);
    }
    layout->addWidget(modes_[CHECK_TODAY], 0, 0);
    layout->addWidget(modes_[CHECK_TOMORROW], 1, 0);
    layout->addWidget(modes_[CHECK_ON_DATE], 2, 0);
    onDate_ = dateEdit(s.onDate);
    layout->addWidget(onDate_, 2, 1, 1, 2);
    layout->addWidget(modes_[CHECK_NOT_EXPIRED], 3, 0);
    layout->addWidget(modes_[CHECK_SPECIFIED], 4, 0);
    auto ops = [](int current) {
        auto* c = new QComboBox;
        for (int op = DATE_ANY; op <= DATE_EQUAL; ++op) c->addItem(StrLine(IDS_DATE_OPERATOR + op));
        c->setCurrentIndex(current);
        return c;
    };
    startOp_ = ops(s.startOp);
    endOp_ = ops(s.endOp);
    startDate_ = dateEdit(s.startDate);
    endDate_ = dateEdit(s.endDate);
    layout->addWidget(t.label(IDC_CHECKDATE_LABEL_START, startOp_), 5, 0, Qt::AlignRight);
    layout->addWidget(startOp_, 5, 1);
    layout->addWidget(startDate_, 5, 2);
    layout->addWidget(t.label(IDC_CHECKDATE_LABEL_END, endOp_), 6, 0, Qt::AlignRight);
    layout->addWidget(endOp_, 6, 1);
    layout->addWidget(endDate_, 6, 2);
    layout->addWidget(okCancel(this), 7, 0, 1, 3);
    modes_[std::clamp(s.mode, 0, 4)]->setChecked(true);
    connect(group_, &QButtonGroup::idToggled, this, [this] { enableControls(); });
    connect(startOp_, &QComboBox::currentIndexChanged, this, [this] { enableControls(); });
    connect(endOp_, &QComboBox::currentIndexChanged, this, [this] { enableControls(); });
    enableControls();
    TranslateDialog(IDD_CHECK_DATE, this);
}

void CCheckDateDialog::enableControls() {
    const int m = group_->checkedId();
    onDate_->setEnabled(m == CHECK_ON_DATE);
    const bool specified = m == CHECK_SPECIFIED;
    startOp_->setEnabled(specified);
    endOp_->setEnabled(specified);
    startDate_->setEnabled(specified && startOp_->currentIndex() != DATE_ANY);
    endDate_->setEnabled(specified && endOp_->currentIndex() != DATE_ANY);
}

CheckByDateSettings CCheckDateDialog::settings() const {
    CheckByDateSettings s;
    s.mode = std::max(group_->checkedId(), 0);
    s.onDate = seqDate(onDate_->date());
    s.startOp = startOp_->currentIndex();
    s.startDate = seqDate(startDate_->date());
    s.endOp = endOp_->currentIndex();
    s.endDate = seqDate(endDate_->date());
    return s;
}

}  // namespace ui

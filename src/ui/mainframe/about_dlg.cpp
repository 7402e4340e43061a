#include "ui/mainframe/about_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/mainframe/artwork.h"
#include "ui/resources.h"
#include "ui/translate.h"

#ifndef ZX_VERSION
#define ZX_VERSION ""
#endif

namespace ui {

const char* BuildDate() { return __DATE__; }

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_ABOUTBOX);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(20, 20, 20, 14);
    grid->setHorizontalSpacing(18);

    auto* mark = new QLabel;
    QPixmap pm(72 * 2, 72 * 2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    PaintLogoMark(p, QRectF(0, 0, pm.width(), pm.height()));
    p.end();
    pm.setDevicePixelRatio(2);
    mark->setPixmap(pm);
    mark->setAlignment(Qt::AlignTop);
    grid->addWidget(mark, 0, 0, 4, 1);

    // The program's name stays as it is in every language.
    auto* name = new QLabel("Zentrix");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    SetResourceId(name, IDC_ABOUT_NAME);
    grid->addWidget(name, 0, 1);

    auto* version = t(new QLabel, IDC_ABOUT_VERSION);
    version->setText(StrFmt(IDS_VERSION, {ZX_VERSION}));
    grid->addWidget(version, 1, 1);

    date_ = new QLabel(BuildDate());
    date_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetResourceId(date_, IDC_ABOUT_DATE);
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(6);
    auto* dateLabel = t.label(IDC_ABOUT_DATE_LABEL);
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(date_);
    dateRow->addStretch();
    grid->addLayout(dateRow, 2, 1);

    auto* text = t.label(IDC_ABOUT_TEXT);
    grid->addWidget(text, 3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    ButtonTexts(buttons);
    grid->addWidget(buttons, 4, 0, 1, 2);
    TranslateDialog(IDD_ABOUTBOX, this);
    setFixedSize(sizeHint());
}

}  // namespace ui

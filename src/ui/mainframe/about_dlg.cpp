#include "ui/mainframe/about_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/mainframe/artwork.h"
#include "ui/translate.h"

#ifndef ZX_VERSION
#define ZX_VERSION ""
#endif

namespace ui {

const char* BuildDate() { return __DATE__; }

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Zentrix");
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

    auto* name = new QLabel("Zentrix");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    SetResourceId(name, IDC_ABOUT_NAME);
    grid->addWidget(name, 0, 1);

    auto* version = new QLabel(QString("Version %1").arg(ZX_VERSION));
    SetResourceId(version, IDC_ABOUT_VERSION);
    grid->addWidget(version, 1, 1);

    date_ = new QLabel(BuildDate());
    date_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetResourceId(date_, IDC_ABOUT_DATE);
    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(6);
    auto* dateLabel = new QLabel("Build date:");
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(date_);
    dateRow->addStretch();
    grid->addLayout(dateRow, 2, 1);

    auto* text = new QLabel(
        "On-air graphics for television:\npages, sequences, Live and Automation modes,\ncaptions, SMS chat and "
        "viewers' voting.");
    SetResourceId(text, IDC_ABOUT_TEXT);
    grid->addWidget(text, 3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    SetResourceId(buttons->button(QDialogButtonBox::Ok), 1);  // IDOK
    grid->addWidget(buttons, 4, 0, 1, 2);
    setFixedSize(sizeHint());
    TranslateDialog(IDD_ABOUTBOX, this);
}

}  // namespace ui

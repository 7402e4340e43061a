#include "ui/monitor/device_panel.h"
#include "ui/resources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ui {

namespace {
enum : int {
    IDS_PANEL_PLAY = 34250,
    IDS_PANEL_PAUSE = 34251,
    IDS_PANEL_STOP = 34252,
    IDS_PANEL_DISPLAY_TIP = 34253,
    IDS_PANEL_ITEM_TIP = 34254,
};
}  // namespace

CDevicePanel::CDevicePanel(std::function<bool(int, std::string&)> press, std::function<int()> display, QWidget* parent)
    : QWidget(parent), press_(std::move(press)), read_(std::move(display)), timer_(new QTimer(this)) {
    // Two rows, so that the panel fits the monitor at its smallest: the transport keys and the
    // display above, the ten item keys sharing the width below.
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    // The keys as the Device's panel names them.
    top->addWidget(addKey(StrLine(IDS_PANEL_PLAY), KEY_PLAY));
    top->addWidget(addKey(StrLine(IDS_PANEL_PAUSE), KEY_PAUSE));
    top->addWidget(addKey(StrLine(IDS_PANEL_STOP), KEY_STOP));
    top->addStretch(1);
    display_ = new QLabel;
    display_->setMinimumWidth(40);
    display_->setAlignment(Qt::AlignCenter);
    display_->setStyleSheet(QStringLiteral("background: black; color: #40ff40; font-family: monospace; padding: 2px"));
    display_->setToolTip(StrLine(IDS_PANEL_DISPLAY_TIP));
    top->addWidget(display_);
    rows->addLayout(top);
    auto* items = new QHBoxLayout;
    items->setSpacing(2);
    for (int n = 1; n <= 10; ++n) {
        QPushButton* b = addKey(QString::number(n), ItemCode(n));
        b->setMinimumWidth(20);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        b->setToolTip(StrFmt(IDS_PANEL_ITEM_TIP, {n}));
        items->addWidget(b);
    }
    rows->addLayout(items);
    connect(timer_, &QTimer::timeout, this, &CDevicePanel::Refresh);
    timer_->start(200);
    Refresh();
}

QPushButton* CDevicePanel::addKey(const QString& text, int code) {
    auto* b = new QPushButton(text);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setProperty("deviceCode", code);
    connect(b, &QPushButton::clicked, this, [this, code] {
        std::string why;
        if (!press_ || !press_(code, why)) setToolTip(QString::fromStdString(why));
        Refresh();
    });
    keys_.push_back(b);
    return b;
}

QPushButton* CDevicePanel::key(int code) const {
    for (QPushButton* b : keys_)
        if (b->property("deviceCode").toInt() == code) return b;
    return nullptr;
}

void CDevicePanel::Refresh() {
    const int v = read_ ? read_() : -1;
    display_->setText(v < 0 ? QStringLiteral("--") : QString::number(v));
}

}  // namespace ui

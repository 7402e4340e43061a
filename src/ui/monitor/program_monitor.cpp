#include "ui/monitor/program_monitor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "app/zentrix_app.h"
#include "device/program_feed.h"

namespace ui {

namespace {

constexpr int kWidth = 720, kHeight = 576;
constexpr int kPollMs = 40;  // the Device's fields come in pairs of 20 ms: one frame

app::Profile* Settings() {
    app::CZentrixApp* a = app::CZentrixApp::Instance();
    return a && !a->iniPath().empty() ? &a->profile() : nullptr;
}

}  // namespace

CProgramMonitor::CProgramMonitor(device::ProgramFeed& feed, QWidget* parent)
    : QWidget(parent, Qt::Window),
      feed_(feed),
      timer_(new QTimer(this)),
      showAction_(new QAction("&Program monitor", this)) {
    setWindowTitle("Program");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kWidth / 4, kHeight / 4);
    if (app::Profile* ini = Settings())
        backdrop_ = ini->getInt("Monitor", "Backdrop", Checkerboard) == Black ? Black : Checkerboard;
    resize(kWidth, kHeight);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (isVisible()) Poll();
    });
    timer_->start(kPollMs);
    connect(showAction_, &QAction::triggered, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

QSize CProgramMonitor::sizeHint() const { return {kWidth, kHeight}; }

bool CProgramMonitor::Poll() {
    int w = 0, h = 0;
    if (!feed_.take(seen_, rgba_, w, h)) return false;
    image_ = QImage(rgba_.data(), w, h, w * 4, QImage::Format_RGBA8888);
    ++frames_;
    update();
    return true;
}

void CProgramMonitor::SetBackdrop(Backdrop b) {
    backdrop_ = b;
    if (app::Profile* ini = Settings()) ini->putInt("Monitor", "Backdrop", int(b));
    update();
}

void CProgramMonitor::SetZoom(int percent) {
    // The window's frame is the window manager's; the picture area is what is sized.
    resize(kWidth * percent / 100, kHeight * percent / 100);
}

QRect CProgramMonitor::pictureRect() const {
    // The whole picture, as large as fits, in its own proportions.
    const QSize s = QSize(kWidth, kHeight).scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
}

void CProgramMonitor::paintBackdrop(QPainter& p, const QRect& r) const {
    if (backdrop_ == Black) {
        p.fillRect(r, Qt::black);
        return;
    }
    // Squares of 16 picture pixels, drawn once into a tile.
    const int cell = std::max(4, 16 * r.width() / kWidth);
    QPixmap tile(2 * cell, 2 * cell);
    tile.fill(QColor(0xA0, 0xA0, 0xA0));
    QPainter t(&tile);
    t.fillRect(0, 0, cell, cell, QColor(0xFF, 0xFF, 0xFF));
    t.fillRect(cell, cell, cell, cell, QColor(0xFF, 0xFF, 0xFF));
    t.end();
    p.drawTiledPixmap(r, tile, QPoint(0, 0));
}

void CProgramMonitor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x20, 0x20, 0x20));
    const QRect r = pictureRect();
    paintBackdrop(p, r);
    if (image_.isNull()) {
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, "No picture from the Device yet");
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, r.size() != image_.size());
    p.drawImage(r, image_);
}

QImage CProgramMonitor::Composed() const {
    QImage out(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&out);
    paintBackdrop(p, out.rect());
    if (!image_.isNull()) p.drawImage(out.rect(), image_);
    return out;
}

void CProgramMonitor::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* checker = menu.addAction("&Checkerboard behind transparent parts");
    QAction* black = menu.addAction("&Black behind transparent parts");
    checker->setCheckable(true);
    black->setCheckable(true);
    checker->setChecked(backdrop_ == Checkerboard);
    black->setChecked(backdrop_ == Black);
    menu.addSeparator();
    QAction* z50 = menu.addAction("50 %");
    QAction* z100 = menu.addAction("100 %");
    QAction* z200 = menu.addAction("200 %");
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == checker) SetBackdrop(Checkerboard);
    else if (chosen == black) SetBackdrop(Black);
    else if (chosen == z50) SetZoom(50);
    else if (chosen == z100) SetZoom(100);
    else if (chosen == z200) SetZoom(200);
}

}  // namespace ui

#include "ui/monitor/program_monitor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "app/zentrix_app.h"
#include "device/program_feed.h"
#include "ui/resources.h"
#include "ui/translate.h"

namespace ui {

namespace {

enum : int {
    IDR_MONITOR_CONTEXT = 136,
    ID_MONITOR_CHECKER = 34240,
    ID_MONITOR_BLACK = 34241,
    ID_MONITOR_ZOOM_50 = 34242,
    ID_MONITOR_ZOOM_100 = 34243,
    ID_MONITOR_ZOOM_200 = 34244,
    IDS_MONITOR_COMMAND = 34245,
    IDS_MONITOR_TITLE = 34246,
    IDS_MONITOR_NO_PICTURE = 34247,
};

constexpr int kWidth = 720, kHeight = 576;
constexpr int kPollMs = 40;  // the Device's fields come in pairs of 20 ms: one frame
constexpr int kGap = 8;      // between the monitor and the main window or the screen's edge
constexpr int kTitle = 30;   // room for the window manager's title bar above the picture

app::Profile* Settings() {
    app::CZentrixApp* a = app::CZentrixApp::Instance();
    return a && !a->iniPath().empty() ? &a->profile() : nullptr;
}

}  // namespace

CProgramMonitor::CProgramMonitor(device::ProgramFeed& feed, QWidget* parent)
    // A tool window of the main window: above it, never lost behind it.
    : QWidget(parent, parent ? Qt::Tool : Qt::Window),
      feed_(feed),
      timer_(new QTimer(this)),
      showAction_(new QAction(StrLine(IDS_MONITOR_COMMAND), this)) {
    // The Window menu reads its text again from the string when the language changes.
    SetResourceId(showAction_, IDS_MONITOR_COMMAND);
    setWindowTitle(StrLine(IDS_MONITOR_TITLE));
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
        if (!placed_ && parentWidget()) PlaceBeside(parentWidget()->window());
        show();
        raise();
        activateWindow();
    });
}

QRect CProgramMonitor::InitialGeometry(const QWidget* mainWindow) const {
    if (app::Profile* ini = Settings(); ini && ini->hasKey("Monitor", "Width")) {
        const QRect kept(ini->getInt("Monitor", "Left", 0), ini->getInt("Monitor", "Top", 0),
                         std::max(ini->getInt("Monitor", "Width", kWidth), minimumWidth()),
                         std::max(ini->getInt("Monitor", "Height", kHeight), minimumHeight()));
        // A place on a screen that is no longer there is forgotten.
        for (QScreen* s : QGuiApplication::screens()) {
            const QRect common = s->availableGeometry().intersected(kept);
            if (common.width() >= 64 && common.height() >= 32) return kept;
        }
    }
    QScreen* screen = mainWindow && mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const bool fills = !mainWindow || mainWindow->isMaximized() || mainWindow->isFullScreen() ||
                       (mainWindow->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect main = !mainWindow ? work : fills ? work : mainWindow->frameGeometry();
    auto sized = [](int width) { return QSize(width, width * kHeight / kWidth); };
    // Beside the main window, as large as the room there allows (up to full size).
    const int right = work.right() - main.right() - 2 * kGap, left = main.left() - work.left() - 2 * kGap;
    const int room = std::max(right, left);
    if (!fills && room >= kWidth / 3) {
        QSize size = sized(std::min(kWidth, room));
        if (size.height() > work.height() - kTitle - kGap)
            size = sized((work.height() - kTitle - kGap) * kWidth / kHeight);
        const int x = right >= left ? main.right() + 1 + kGap : main.left() - kGap - size.width();
        const int y = std::clamp(main.top() + kTitle, work.top() + kTitle,
                                 std::max(work.top() + kTitle, work.bottom() - size.height()));
        return QRect(QPoint(x, y), size);
    }
    // Over the lower right corner of the document area, clear of the menu, the toolbars (the
    // modes' and the on-air frame's transport buttons) and the status bar.
    QRect area = main;
    if (auto* mw = qobject_cast<const QMainWindow*>(mainWindow); mw && mw->centralWidget() && !fills) {
        const QWidget* c = mw->centralWidget();
        area = QRect(c->mapToGlobal(QPoint(0, 0)), c->size());
    } else if (fills) {
        area = work.adjusted(0, 120, 0, -32);  // below menu and toolbars, above the status bar
    }
    const QSize size = sized(kWidth / 2);
    return QRect(QPoint(area.right() - kGap - size.width(), area.bottom() - kGap - size.height()), size);
}

void CProgramMonitor::PlaceBeside(const QWidget* mainWindow) {
    setGeometry(InitialGeometry(mainWindow));
    placed_ = true;
}

void CProgramMonitor::SaveGeometry() {
    app::Profile* ini = Settings();
    if (!ini || !placed_) return;
    const QRect r = geometry();
    app::Profile::Batch batch(*ini);
    ini->putInt("Monitor", "Left", r.left());
    ini->putInt("Monitor", "Top", r.top());
    ini->putInt("Monitor", "Width", r.width());
    ini->putInt("Monitor", "Height", r.height());
}

void CProgramMonitor::hideEvent(QHideEvent* event) {
    // Hidden by its close button or with the main window: its place is kept for the next start.
    if (!event->spontaneous()) SaveGeometry();
    QWidget::hideEvent(event);
}

QSize CProgramMonitor::sizeHint() const { return {kWidth, kHeight + panelHeight()}; }

int CProgramMonitor::panelHeight() const { return panel_ ? panel_->sizeHint().height() : 0; }

void CProgramMonitor::SetPanel(QWidget* panel) {
    delete panel_;
    panel_ = panel;
    if (!panel_) return;
    panel_->setParent(this);
    panel_->setAutoFillBackground(true);
    resize(width(), height() + panelHeight());
    panel_->setGeometry(0, height() - panelHeight(), width(), panelHeight());
    panel_->show();
}

void CProgramMonitor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (panel_) panel_->setGeometry(0, height() - panelHeight(), width(), panelHeight());
}

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
    resize(kWidth * percent / 100, kHeight * percent / 100 + panelHeight());
}

QRect CProgramMonitor::pictureRect() const {
    // The whole picture, as large as fits, in its own proportions.
    const QSize room(width(), height() - panelHeight());
    const QSize s = QSize(kWidth, kHeight).scaled(room, Qt::KeepAspectRatio);
    return QRect(QPoint((room.width() - s.width()) / 2, (room.height() - s.height()) / 2), s);
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
        p.drawText(r, Qt::AlignCenter, StrLine(IDS_MONITOR_NO_PICTURE));
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
    BuildPopupMenu(IDR_MONITOR_CONTEXT, &menu);
    TranslateMenu(IDR_MONITOR_CONTEXT, &menu);
    QAction* checker = FindCommand(&menu, ID_MONITOR_CHECKER);
    QAction* black = FindCommand(&menu, ID_MONITOR_BLACK);
    checker->setCheckable(true);
    black->setCheckable(true);
    checker->setChecked(backdrop_ == Checkerboard);
    black->setChecked(backdrop_ == Black);
    QAction* z50 = FindCommand(&menu, ID_MONITOR_ZOOM_50);
    QAction* z100 = FindCommand(&menu, ID_MONITOR_ZOOM_100);
    QAction* z200 = FindCommand(&menu, ID_MONITOR_ZOOM_200);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == checker) SetBackdrop(Checkerboard);
    else if (chosen == black) SetBackdrop(Black);
    else if (chosen == z50) SetZoom(50);
    else if (chosen == z100) SetZoom(100);
    else if (chosen == z200) SetZoom(200);
}

}  // namespace ui

#include "ui/mainframe/splash_wnd.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "ui/mainframe/artwork.h"

namespace ui {

CSplashWnd::CSplashWnd(bool is400M) : QSplashScreen(SplashPixmap(is400M, qApp->devicePixelRatio())) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void CSplashWnd::start() {
    if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
    show();
    QTimer::singleShot(kSplashTimerMs, this, &QWidget::close);
    // Painted now: start-up goes on without the event loop for a while.
    QCoreApplication::processEvents();
}

}  // namespace ui

// The splash window shown while the program starts: it closes itself after two seconds.
#pragma once

#include <QSplashScreen>

namespace ui {

enum : int { IDD_SPLASH = 130, IDB_SPLASH = 1114, kSplashTimerMs = 2000 };

class CSplashWnd : public QSplashScreen {
    Q_OBJECT
public:
    explicit CSplashWnd(bool is400M);
    // Shows it centred on the desktop and starts the timer that closes it.
    void start();
};

}  // namespace ui

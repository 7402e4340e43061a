// The Qt application object the widget tests need (offscreen), made once for the program.
#pragma once

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <string>

namespace zxtest {

inline void EnsureQtApp() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "zx_tests_ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the whole test program
}

// Saves a picture of the widget when ZX_SCREENSHOTS names a folder (for looking at dialogs).
inline void SaveScreenshot(QWidget& w, const std::string& name) {
    const char* dir = std::getenv("ZX_SCREENSHOTS");
    if (!dir || !*dir) return;
    w.adjustSize();
    w.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

}  // namespace zxtest

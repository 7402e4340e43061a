// One QApplication for every GUI test (offscreen platform, set by the test runner).
#include <QApplication>
#include <QTimer>

#include "ui_fixture.h"

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qgetenv("QT_QPA_PLATFORM").size()) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zx_tests_ui";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setApplicationName("Zentrix");
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

namespace zxtest {

void Later(std::function<void()> fn, int ms) { QTimer::singleShot(ms, qApp, std::move(fn)); }

namespace {
void whenModal(std::function<void(QWidget*)> fn, int triesLeft) {
    if (QWidget* w = QApplication::activeModalWidget()) {
        fn(w);
        return;
    }
    if (triesLeft > 0) Later([fn = std::move(fn), triesLeft] { whenModal(fn, triesLeft - 1); }, 5);
}
}  // namespace

void WhenModal(std::function<void(QWidget*)> fn) { whenModal(std::move(fn), 2000); }

}  // namespace zxtest

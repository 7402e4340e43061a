// zentrix: the operator's program.
#include <QApplication>
#include <QMainWindow>

#include "app/zentrix_app.h"
#include "ui/qt_message_boxes.h"

namespace {

class Shell final : public app::AppShell {
public:
    bool createMainFrame() override {
        window_ = std::make_unique<QMainWindow>();
        window_->setWindowTitle(app::CZentrixApp::Instance()->is400M() ? "Zentrix #2" : "Zentrix");
        window_->resize(800, 600);
        window_->show();
        return true;
    }

private:
    std::unique_ptr<QMainWindow> window_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Zentrix");

    ui::QtMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);

    app::CZentrixApp theApp;
    Shell shell;
    theApp.setShell(&shell);
    app::StartResult r = theApp.InitInstance(app::CommandLine::Parse(argc, argv));
    if (r == app::StartResult::SecondInstance) return 0;
    if (r != app::StartResult::Started) return 1;
    int status = QApplication::exec();
    theApp.ExitInstance();
    app::SetMessageBoxes(nullptr);
    return status;
}

#include "ui/qt_message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSplashScreen>
#include <QThread>

#include "app/msgbox_watcher.h"
#include "ui/qt_timer_service.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

QtMessageBoxes::QtMessageBoxes()
    : ownTimers_(std::make_unique<QtTimerService>()), clock_(platform::SystemClock::instance()), timers_(*ownTimers_) {}

QtMessageBoxes::QtMessageBoxes(platform::Clock& clock, platform::TimerService& timers)
    : clock_(clock), timers_(timers) {}

QtMessageBoxes::~QtMessageBoxes() = default;

int QtMessageBoxes::show(const std::string& text, unsigned style) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        // Widgets live on the GUI thread only.
        int answer = app::IDCANCEL;
        QMetaObject::invokeMethod(
            app, [&] { answer = showHere(text, style); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    return showHere(text, style);
}

int QtMessageBoxes::showHere(const std::string& text, unsigned style) {
    // Over the active window, but never over the splash, which goes away by itself.
    QWidget* parent = QApplication::activeWindow();
    if (qobject_cast<QSplashScreen*>(parent)) parent = nullptr;
    // The box may lose its parent while it waits (a mode frame destroyed meanwhile).
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowTitle(QApplication::applicationName());
    box->setText(FromProgramText(text));
    switch (style & app::MB_ICONMASK) {
        case app::MB_ICONERROR: box->setIcon(QMessageBox::Critical); break;
        case app::MB_ICONQUESTION: box->setIcon(QMessageBox::Question); break;
        case app::MB_ICONWARNING: box->setIcon(QMessageBox::Warning); break;
        case app::MB_ICONINFORMATION: box->setIcon(QMessageBox::Information); break;
        default: break;
    }
    using B = QMessageBox::StandardButton;
    switch (style & app::MB_TYPEMASK) {
        case app::MB_OKCANCEL: box->setStandardButtons(B::Ok | B::Cancel); break;
        case app::MB_ABORTRETRYIGNORE: box->setStandardButtons(B::Abort | B::Retry | B::Ignore); break;
        case app::MB_YESNOCANCEL: box->setStandardButtons(B::Yes | B::No | B::Cancel); break;
        case app::MB_YESNO: box->setStandardButtons(B::Yes | B::No); break;
        case app::MB_RETRYCANCEL: box->setStandardButtons(B::Retry | B::Cancel); break;
        default: box->setStandardButtons(B::Ok); break;
    }
    const std::pair<B, int> texts[] = {{B::Ok, IDS_BUTTON_OK},        {B::Cancel, IDS_BUTTON_CANCEL},
                                       {B::Yes, IDS_BUTTON_YES},      {B::No, IDS_BUTTON_NO},
                                       {B::Abort, IDS_BUTTON_ABORT},  {B::Retry, IDS_BUTTON_RETRY},
                                       {B::Ignore, IDS_BUTTON_IGNORE}};
    for (const auto& [which, id] : texts)
        if (QAbstractButton* b = box->button(which)) b->setText(StrLine(id));
    if (style & app::MB_DEFBUTTON2) {
        switch (style & app::MB_TYPEMASK) {
            case app::MB_OKCANCEL:
            case app::MB_RETRYCANCEL: box->setDefaultButton(B::Cancel); break;
            case app::MB_ABORTRETRYIGNORE: box->setDefaultButton(B::Retry); break;
            case app::MB_YESNOCANCEL:
            case app::MB_YESNO: box->setDefaultButton(B::No); break;
            default: break;
        }
    }
    std::unique_ptr<app::MsgBoxWatcher> watcher;
    if (app::MessageBoxAutoCloses(style)) {
        watcher = std::make_unique<app::MsgBoxWatcher>(
            clock_, timers_, [box] { return box && box->isVisible(); },
            [box] {
                if (box) box->done(QMessageBox::Ok);
            });
    }
    int result = box->exec();
    watcher.reset();
    if (!box) return app::MessageBoxAutoCloses(style) ? app::IDOK : app::IDCANCEL;
    delete box.data();
    switch (result) {
        case B::Ok: return app::IDOK;
        case B::Cancel: return app::IDCANCEL;
        case B::Abort: return app::IDABORT;
        case B::Retry: return app::IDRETRY;
        case B::Ignore: return app::IDIGNORE;
        case B::Yes: return app::IDYES;
        case B::No: return app::IDNO;
        default: return app::IDCANCEL;
    }
}

}  // namespace ui

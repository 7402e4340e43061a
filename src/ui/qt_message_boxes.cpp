#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/text.h"

namespace ui {

int QtMessageBoxes::show(const std::string& text, unsigned style) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QApplication::applicationName());
    box.setText(FromProgramText(text));
    switch (style & app::MB_ICONMASK) {
        case app::MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case app::MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case app::MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
        case app::MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    using B = QMessageBox::StandardButton;
    switch (style & app::MB_TYPEMASK) {
        case app::MB_OKCANCEL: box.setStandardButtons(B::Ok | B::Cancel); break;
        case app::MB_ABORTRETRYIGNORE: box.setStandardButtons(B::Abort | B::Retry | B::Ignore); break;
        case app::MB_YESNOCANCEL: box.setStandardButtons(B::Yes | B::No | B::Cancel); break;
        case app::MB_YESNO: box.setStandardButtons(B::Yes | B::No); break;
        case app::MB_RETRYCANCEL: box.setStandardButtons(B::Retry | B::Cancel); break;
        default: box.setStandardButtons(B::Ok); break;
    }
    switch (box.exec()) {
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

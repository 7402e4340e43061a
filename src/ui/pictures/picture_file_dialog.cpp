#include "ui/pictures/picture_file_dialog.h"

#include <QFile>
#include <QFileDialog>

#include "app/file_types.h"
#include "app/folders.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {

QString pictureFilter() {
    const int types[4] = {app::FT_BMP, app::FT_TGA, -1, -1};
    return FromProgramText(QtFilterOf(app::BuildFilter(types, true)));
}

}  // namespace

std::string AskOpenPicture(QWidget* parent, const std::string& startFile) {
    const std::string start = startFile.empty() ? FolderPath(app::FOLDER_LAST_PICTURES) : startFile;
    QFileDialog d(parent, StrLine(IDS_OPEN_PICTURE), QFile::decodeName(start.c_str()), pictureFilter());
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setFileMode(QFileDialog::ExistingFile);
    FileDialogTexts(&d);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    const std::string path = QFile::encodeName(d.selectedFiles().first()).toStdString();
    RememberFolder(app::FOLDER_LAST_PICTURES, path);
    return path;
}

std::string AskSaveTga(QWidget* parent, const std::string& proposed) {
    const std::string path = AskSaveFile(parent, StrLine(IDS_SAVE_PICTURE), proposed, app::FT_TGA);
    if (!path.empty()) RememberFolder(app::FOLDER_LAST_PICTURES, path);
    return path;
}

}  // namespace ui

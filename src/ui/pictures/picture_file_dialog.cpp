#include "ui/pictures/picture_file_dialog.h"

#include <QFile>
#include <QFileDialog>

#include "app/file_types.h"
#include "app/folders.h"
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
    const QString chosen =
        QFileDialog::getOpenFileName(parent, "Open picture", QFile::decodeName(start.c_str()), pictureFilter());
    if (chosen.isEmpty()) return {};
    const std::string path = QFile::encodeName(chosen).toStdString();
    RememberFolder(app::FOLDER_LAST_PICTURES, path);
    return path;
}

std::string AskSaveTga(QWidget* parent, const std::string& proposed) {
    const std::string path = AskSaveFile(parent, "Save picture", proposed, app::FT_TGA);
    if (!path.empty()) RememberFolder(app::FOLDER_LAST_PICTURES, path);
    return path;
}

}  // namespace ui

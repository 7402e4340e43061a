#include "ui/pictures/picture_file_dialog.h"

#include <QFile>
#include <QFileDialog>

#include "app/file_types.h"
#include "app/zentrix_app.h"
#include "platform/files.h"
#include "ui/text.h"

namespace ui {

std::string QtFilterOf(const std::string& programFilter) {
    // Pairs of "display name|patterns|"; Qt wants "display name (patterns);;..." and, on a
    // case-sensitive file system, the upper-case extensions of files made on Windows as well.
    std::string out;
    size_t i = 0;
    while (i < programFilter.size()) {
        const size_t bar = programFilter.find('|', i);
        if (bar == std::string::npos) break;
        size_t end = programFilter.find('|', bar + 1);
        if (end == std::string::npos) end = programFilter.size();
        std::string name = programFilter.substr(i, bar - i);
        const std::string patterns = programFilter.substr(bar + 1, end - bar - 1);
        i = end + 1;
        if (const size_t paren = name.find(" ("); paren != std::string::npos) name.resize(paren);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        std::string qt, upper;
        size_t p = 0;
        while (p <= patterns.size()) {
            size_t semi = patterns.find(';', p);
            if (semi == std::string::npos) semi = patterns.size();
            const std::string one = patterns.substr(p, semi - p);
            if (!one.empty()) {
                qt += (qt.empty() ? "" : " ") + one;
                const std::string up = platform::ToUpperAscii(one);
                if (up != one) upper += " " + up;
            }
            p = semi + 1;
        }
        if (!out.empty()) out += ";;";
        out += name + " (" + qt + upper + ")";
    }
    return out;
}

namespace {

QString pictureFilter() {
    const int types[4] = {app::FT_BMP, app::FT_TGA, -1, -1};
    return FromProgramText(QtFilterOf(app::BuildFilter(types, true)));
}

std::string lastPictureFolder() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->GetPath(app::FOLDER_LAST_PICTURES) : std::string();
}

void rememberFolder(const std::string& file) {
    if (app::CZentrixApp* theApp = app::CZentrixApp::Instance()) theApp->SetLastPath(app::FOLDER_LAST_PICTURES, file);
}

}  // namespace

std::string AskOpenPicture(QWidget* parent, const std::string& startFile) {
    const std::string start = startFile.empty() ? lastPictureFolder() : startFile;
    const QString chosen =
        QFileDialog::getOpenFileName(parent, "Open picture", QFile::decodeName(start.c_str()), pictureFilter());
    if (chosen.isEmpty()) return {};
    const std::string path = QFile::encodeName(chosen).toStdString();
    rememberFolder(path);
    return path;
}

std::string AskSaveTga(QWidget* parent, const std::string& proposed) {
    const int types[4] = {app::FT_TGA, -1, -1, -1};
    QFileDialog dialog(parent, "Save picture", QFile::decodeName(proposed.c_str()),
                       FromProgramText(QtFilterOf(app::BuildFilter(types, false))));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString(app::ExtensionOf(app::FT_TGA)).mid(1));
    dialog.selectFile(QFile::decodeName(proposed.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const std::string path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    rememberFolder(path);
    return path;
}

}  // namespace ui

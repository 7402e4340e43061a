#include "ui/file_dialogs.h"

#include <QFile>
#include <QFileDialog>

#include "app/file_types.h"
#include "app/zentrix_app.h"
#include "platform/files.h"
#include "ui/text.h"

namespace ui {

namespace {

QString decoded(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

std::string FolderPath(int folder) {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->GetPath(folder) : std::string();
}

void RememberFolder(int folder, const std::string& file) {
    if (app::CZentrixApp* theApp = app::CZentrixApp::Instance()) theApp->SetLastPath(folder, file);
}

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

QString FilterOf(int type) {
    const int types[4] = {type, -1, -1, -1};
    return FromProgramText(QtFilterOf(app::BuildFilter(types, false)));
}

std::string AskOpenFile(QWidget* parent, const QString& title, int folder, int type) {
    const QString chosen = QFileDialog::getOpenFileName(parent, title, decoded(FolderPath(folder)), FilterOf(type));
    return chosen.isEmpty() ? std::string() : encoded(chosen);
}

std::vector<std::string> AskOpenFiles(QWidget* parent, const QString& title, int folder, int type) {
    std::vector<std::string> out;
    for (const QString& f : QFileDialog::getOpenFileNames(parent, title, decoded(FolderPath(folder)), FilterOf(type)))
        out.push_back(encoded(f));
    return out;
}

std::string AskSaveFile(QWidget* parent, const QString& title, const std::string& proposed, int type) {
    QFileDialog d(parent, title, decoded(proposed), FilterOf(type));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QString(app::ExtensionOf(type)).mid(1));
    d.selectFile(decoded(proposed));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return encoded(d.selectedFiles().first());
}

}  // namespace ui

#include "ui/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <memory>

#include "app/file_types.h"
#include "app/zentrix_app.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/files.h"
#include "ui/air/air_pictures.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {

// The Type column names the program's files as the file-type table does, not "unknown".
class CFileTypes final : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override {
        if (info.isFile())
            if (const int t = app::FileTypeOf(ToFilePath(info.fileName())); t >= 0 && t != app::FT_LINK)
                if (const std::string name = app::FileTypeName(t); !name.empty()) return FromProgramText(name);
        return QFileIconProvider::type(info);
    }
};

constexpr const char* kThumbnailName = "zxThumbnail";
constexpr int kThumbWidth = 180, kThumbHeight = 144;  // half the page's thumbnail

void showThumbnail(QLabel* pane, const QString& path) {
    pane->setPixmap({});
    pane->setText(StrLine(IDS_FILE_NO_PREVIEW));
    if (app::FileTypeOf(ToFilePath(path)) != app::FT_PAGE || !QFileInfo(path).isFile()) return;
    // Only the summary and the thumbnail are read: no fonts are needed.
    pages::CFontManager noFonts;
    pages::CPageDoc doc(noFonts);
    pages::CPageImage image;
    if (doc.Load(pages::LOAD_SUMMARY | pages::LOAD_THUMBNAIL, ToFilePath(path), image) != 0 || image.thumbnail.empty())
        return;
    pane->setPixmap(QPixmap::fromImage(ImageOfBitmap(image.thumbnail))
                        .scaled(kThumbWidth, kThumbHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

QFileDialog* MakeFileDialog(QWidget* parent, const QString& title, const QString& start, int type) {
    static CFileTypes types;
    auto* d = new QFileDialog(parent, title, start, FilterOf(type));
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setIconProvider(&types);
    d->setViewMode(QFileDialog::Detail);
    d->resize(type == app::FT_PAGE ? 900 : 720, 480);
    FileDialogTexts(d);
    if (auto* list = d->findChild<QTreeView*>("treeView")) {
        // Name takes what is left; size, type and date as wide as their texts.
        QHeaderView* h = list->header();
        h->setStretchLastSection(false);
        h->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < h->count(); ++c) h->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    if (type == app::FT_PAGE)
        if (auto* grid = qobject_cast<QGridLayout*>(d->layout())) {
            auto* pane = new QLabel(StrLine(IDS_FILE_NO_PREVIEW));
            pane->setObjectName(kThumbnailName);
            pane->setAlignment(Qt::AlignCenter);
            pane->setFixedSize(kThumbWidth + 8, kThumbHeight + 8);
            pane->setFrameShape(QFrame::StyledPanel);
            grid->addWidget(pane, 1, grid->columnCount(), 1, 1, Qt::AlignTop);
            QObject::connect(d, &QFileDialog::currentChanged, pane,
                             [pane](const QString& p) { showThumbnail(pane, p); });
        }
    return d;
}

void FileDialogTexts(QFileDialog* d) {
    d->setLabelText(QFileDialog::LookIn, StrLine(IDS_FILE_LOOK_IN));
    d->setLabelText(QFileDialog::FileName, StrLine(IDS_FILE_NAME));
    d->setLabelText(QFileDialog::FileType, StrLine(IDS_FILE_TYPE));
    d->setLabelText(QFileDialog::Reject, StrLine(IDS_BUTTON_CANCEL));
    const int accept = d->fileMode() == QFileDialog::Directory      ? IDS_FILE_CHOOSE
                       : d->acceptMode() == QFileDialog::AcceptSave ? IDS_FILE_SAVE
                                                                    : IDS_FILE_OPEN;
    d->setLabelText(QFileDialog::Accept, StrLine(accept));
}

QLabel* ThumbnailOf(const QFileDialog& dialog) { return dialog.findChild<QLabel*>(kThumbnailName); }

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
    std::unique_ptr<QFileDialog> d(MakeFileDialog(parent, title, FromFilePath(FolderPath(folder)), type));
    d->setFileMode(QFileDialog::ExistingFile);
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return {};
    return ToFilePath(d->selectedFiles().first());
}

std::vector<std::string> AskOpenFiles(QWidget* parent, const QString& title, int folder, int type) {
    std::unique_ptr<QFileDialog> d(MakeFileDialog(parent, title, FromFilePath(FolderPath(folder)), type));
    d->setFileMode(QFileDialog::ExistingFiles);
    FileDialogTexts(d.get());
    std::vector<std::string> out;
    if (d->exec() != QDialog::Accepted) return out;
    for (const QString& f : d->selectedFiles()) out.push_back(ToFilePath(f));
    return out;
}

std::string AskSaveFile(QWidget* parent, const QString& title, const std::string& proposed, int type) {
    std::unique_ptr<QFileDialog> d(MakeFileDialog(parent, title, FromFilePath(proposed), type));
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setDefaultSuffix(QString(app::ExtensionOf(type)).mid(1));
    d->selectFile(FromFilePath(proposed));
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return {};
    return ToFilePath(d->selectedFiles().first());
}

namespace {

QStringList askPaths(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                     QFileDialog::FileMode mode, bool save) {
    QFileDialog d(parent, title, start, filter);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setFileMode(mode);
    if (save) d.setAcceptMode(QFileDialog::AcceptSave);
    FileDialogTexts(&d);
    if (d.exec() != QDialog::Accepted) return {};
    return d.selectedFiles();
}

}  // namespace

QString AskPathToOpen(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
    return askPaths(parent, title, start, filter, QFileDialog::ExistingFile, false).value(0);
}

QStringList AskPathsToOpen(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
    return askPaths(parent, title, start, filter, QFileDialog::ExistingFiles, false);
}

QString AskPathToSave(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
    return askPaths(parent, title, start, filter, QFileDialog::AnyFile, true).value(0);
}

}  // namespace ui

#include "ui/mainframe/folder_browser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "app/folders.h"
#include "app/strings.h"
#include "platform/files.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

bool FolderHasFile(const std::string& folder, const std::string& file) {
    if (folder.empty() || file.empty()) return false;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (it->is_regular_file(fec) && platform::EqualsNoCase(it->path().filename().string(), file)) return true;
    }
    return false;
}

CFolderBrowser::CFolderBrowser(const QString& title, const QString& start, const QString& requiredFile, QWidget* parent)
    : QDialog(parent), required_(requiredFile) {
    DialogTexts t(this, IDD_FOLDER_BROWSER);
    auto* top = new QVBoxLayout(this);
    auto* prompt = t(new QLabel, IDC_FB_PROMPT);
    prompt->setText(title);
    prompt->setWordWrap(true);
    top->addWidget(prompt);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath("/");
    tree_ = new QTreeView;
    tree_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
    tree_->header()->hide();
    tree_->setMinimumSize(360, 320);
    top->addWidget(tree_, 1);

    path_ = t(new QLabel, IDC_FB_PATH);
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(path_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons_);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        current_ = model_->filePath(index);
        updateOk();
    });
    select(start.isEmpty() ? QDir::homePath() : start);
    TranslateDialog(IDD_FOLDER_BROWSER, this);
}

void CFolderBrowser::select(const QString& folder) {
    QModelIndex index = model_->index(folder);
    if (index.isValid()) {
        tree_->setCurrentIndex(index);
        tree_->scrollTo(index);
    }
    current_ = index.isValid() ? model_->filePath(index) : QString();
    updateOk();
}

bool CFolderBrowser::canAccept() const {
    if (current_.isEmpty()) return false;
    return required_.isEmpty() ||
           FolderHasFile(QFile::encodeName(current_).toStdString(), QFile::encodeName(required_).toStdString());
}

void CFolderBrowser::updateOk() {
    path_->setText(current_);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(canAccept());
}

bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& requiredFile, int titleId) {
    std::string start = path;
    while (start.size() > 1 && (start.back() == '/' || start.back() == '\\')) start.pop_back();
    CFolderBrowser dlg(Str(titleId), QFile::decodeName(platform::NormaliseDataName(start).c_str()),
                       QFile::decodeName(requiredFile.c_str()), parent);
    if (dlg.exec() != QDialog::Accepted || !dlg.canAccept()) return false;
    // Paths are kept in the file system's own encoding.
    path = app::WithSlash(QFile::encodeName(dlg.folder()).toStdString());
    return true;
}

}  // namespace ui

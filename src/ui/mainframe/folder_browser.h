// The folder browser of the settings dialogs: file-system folders only, with a string as its
// prompt, and, when a required file is named, OK only while the chosen folder holds that file.
#pragma once

#include <QDialog>
#include <string>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace ui {

// True when folder holds a file of that name (letter case aside, as names from Windows
// installations come in any case).
bool FolderHasFile(const std::string& folder, const std::string& file);

enum : int { IDD_FOLDER_BROWSER = 1160, IDC_FB_PROMPT = 1000, IDC_FB_PATH = 1001 };

class CFolderBrowser : public QDialog {
    Q_OBJECT
public:
    CFolderBrowser(const QString& title, const QString& start, const QString& requiredFile, QWidget* parent = nullptr);
    QString folder() const { return current_; }
    // Chooses a folder as a click in the tree would.
    void select(const QString& folder);
    bool canAccept() const;

private:
    void updateOk();

    QFileSystemModel* model_;
    QTreeView* tree_;
    QLabel* path_;
    QDialogButtonBox* buttons_;
    QString required_;
    QString current_;
};

// Opens the browser on path (its trailing separator removed first). On OK path becomes the
// chosen folder with a trailing '/', and the answer is true.
bool BrowseForFolder(QWidget* parent, std::string& path, const std::string& requiredFile, int titleId);

}  // namespace ui

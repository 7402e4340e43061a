// The file dialogs of the editors: open and save dialogs for one of the program's file types,
// starting in one of its data folders, and the last folder used remembered for the next time.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QFileDialog;
class QLabel;
class QWidget;

namespace ui {

// The path of a data folder (app::FOLDER_...) of the running program; "" without one.
std::string FolderPath(int folder);
// Makes the folder of a chosen file the one the last-used folder (app::FOLDER_LAST_...) names.
void RememberFolder(int folder, const std::string& file);

// The program's filter "name (*.ext)|*.ext|..." as a Qt file dialog filter.
std::string QtFilterOf(const std::string& programFilter);
// The Qt filter of one file type (app::FT_...).
QString FilterOf(int type);

// The program's own file dialog (Qt's, not the desktop's): the types of the file-type table in
// its Type column, the size column wide enough for its numbers, and for pages a thumbnail of
// the chosen page beside the list.
QFileDialog* MakeFileDialog(QWidget* parent, const QString& title, const QString& start, int type);
// The labels and buttons of a Qt file dialog in the program's texts (by its accept and file
// mode, so after those are set).
void FileDialogTexts(QFileDialog* dialog);
// The thumbnail pane of such a dialog (nullptr for types other than pages).
QLabel* ThumbnailOf(const QFileDialog& dialog);

// An open dialog for a file of the type in the data folder: the file, "" when cancelled.
std::string AskOpenFile(QWidget* parent, const QString& title, int folder, int type);
// The same for several files at once: none when cancelled.
std::vector<std::string> AskOpenFiles(QWidget* parent, const QString& title, int folder, int type);
// A save dialog for a file of the type, proposing a full path; the type's extension is added
// to a name typed without one. "" when cancelled.
std::string AskSaveFile(QWidget* parent, const QString& title, const std::string& proposed, int type);

// The same for any filter in Qt's form ("Name (*.ext);;..."), paths as Qt has them: the file,
// "" when cancelled (Open: an existing file; Save: any name).
QString AskPathToOpen(QWidget* parent, const QString& title, const QString& start, const QString& filter);
QStringList AskPathsToOpen(QWidget* parent, const QString& title, const QString& start, const QString& filter);
QString AskPathToSave(QWidget* parent, const QString& title, const QString& start, const QString& filter);

}  // namespace ui

// The "BMP -> TGA converter": the operator names one artwork drawn on a white and on a black
// background, and the program stores the picture with transparency made from the two as a TGA.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QDialogButtonBox;
class QLineEdit;
class QPushButton;

namespace ui {

enum : int { IDD_BMP_TO_TGA = 1111, IDC_B2T_LABEL_WHITE = 1000, IDC_B2T_LABEL_BLACK = 1001 };

class BmpToTgaDialog final : public QDialog {
    Q_OBJECT
public:
    explicit BmpToTgaDialog(QWidget* parent = nullptr);

    // What the "..." buttons do after the file dialog: set the field and, when the other field
    // is empty, fill it with the partner's name.
    void chooseWhite(const std::string& path);
    void chooseBlack(const std::string& path);

    std::string whitePath() const;
    std::string blackPath() const;
    QLineEdit* whiteField() const { return white_; }
    QLineEdit* blackField() const { return black_; }
    QPushButton* okButton() const;

private:
    void browse(bool white);
    void updateOk();

    QLineEdit* white_;
    QLineEdit* black_;
    QDialogButtonBox* buttons_;
};

// Asks where to save, proposing a name; "" = cancelled.
using AskSavePath = std::function<std::string(const std::string& proposed)>;

// One conversion after OK: reads both pictures (messages on failure, 22080 when their sizes
// differ), combines them, asks for the file name (the black picture's name with ".tga") and
// writes the TGA ("Error saving file" when that fails). True when a file was written.
bool ConvertPicturePair(const std::string& onWhite, const std::string& onBlack, const AskSavePath& askSavePath);

// The tool: the dialog opens again, empty, after each conversion until it is cancelled.
void RunBmpToTgaConverter(QWidget* parent);

}  // namespace ui

// The "Import picture" dialog: where a background picture that is not of the page's size goes,
// by one of nine anchors or by hand.
#pragma once

#include <QDialog>

#include "pages/background_placement.h"

class QLabel;
class QRadioButton;
class QSpinBox;

namespace ui {

enum : int {
    IDD_IMPORT_PICTURE = 1110,
    IDC_IMPORT_LABEL_SIZE = 1000,
    IDC_IMPORT_POSITION = 1001,
    IDC_IMPORT_ANCHOR_FIRST = 1002,  // 1002-1010: the anchors in their order
    IDC_IMPORT_MANUAL = 1011,
    IDC_IMPORT_LABEL_X = 1012,
    IDC_IMPORT_LABEL_Y = 1013,
    IDC_IMPORT_SIZE = 1014,
    IDS_IMPORT_ANCHOR_TIP = 33770,  // 33770-33778
};

class ImportPictureDialog final : public QDialog {
    Q_OBJECT
public:
    ImportPictureDialog(int32_t pictureWidth, int32_t pictureHeight, int32_t pageWidth, int32_t pageHeight,
                        QWidget* parent = nullptr);

    // Preselects a choice (the centre anchor when nothing is set).
    void setPosition(const pages::BackgroundPosition& position);
    pages::BackgroundPosition position() const;

    QLabel* sizeLabel() const { return size_; }
    QRadioButton* anchorButton(int anchor) const { return anchors_[anchor]; }  // ANCHOR_TL .. ANCHOR_MANUAL
    QSpinBox* xBox() const { return x_; }
    QSpinBox* yBox() const { return y_; }

private:
    void updateManual();

    QLabel* size_;
    QRadioButton* anchors_[pages::ANCHOR_MANUAL + 1];
    QSpinBox* x_;
    QSpinBox* y_;
};

// The question of ImportBackgroundPicture, asked with the dialog.
pages::AskBackgroundPosition AskWithImportPictureDialog(QWidget* parent, int32_t pageWidth, int32_t pageHeight);

}  // namespace ui

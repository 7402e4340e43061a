#include "ui/pictures/bmp_to_tga_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "pages/file_result.h"
#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

std::string pathOf(const QLineEdit* field) { return QFile::encodeName(field->text()).toStdString(); }

}  // namespace

BmpToTgaDialog::BmpToTgaDialog(QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_BMP_TO_TGA);
    setModal(true);
    white_ = new QLineEdit(this);
    black_ = new QLineEdit(this);
    white_->setObjectName("whitePicture");
    black_->setObjectName("blackPicture");
    auto* grid = new QGridLayout;
    int row = 0;
    for (bool white : {true, false}) {
        QLineEdit* field = white ? white_ : black_;
        auto* label = t.label(white ? IDC_B2T_LABEL_WHITE : IDC_B2T_LABEL_BLACK, field);
        auto* browseButton = new QPushButton("...", this);
        browseButton->setFixedWidth(browseButton->fontMetrics().horizontalAdvance("...") + 24);
        connect(browseButton, &QPushButton::clicked, this, [this, white] { browse(white); });
        connect(field, &QLineEdit::textChanged, this, [this] { updateOk(); });
        grid->addWidget(label, row++, 0, 1, 2);
        grid->addWidget(field, row, 0);
        grid->addWidget(browseButton, row++, 1);
    }
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (okButton()->isEnabled()) accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons_);
    setMinimumWidth(460);
    updateOk();
    TranslateDialog(IDD_BMP_TO_TGA, this);
}

QPushButton* BmpToTgaDialog::okButton() const { return buttons_->button(QDialogButtonBox::Ok); }

std::string BmpToTgaDialog::whitePath() const { return pathOf(white_); }
std::string BmpToTgaDialog::blackPath() const { return pathOf(black_); }

void BmpToTgaDialog::chooseWhite(const std::string& path) {
    white_->setText(FromFilePath(path));
    if (black_->text().isEmpty()) black_->setText(FromFilePath(pages::ConverterPartner(path, true)));
}

void BmpToTgaDialog::chooseBlack(const std::string& path) {
    black_->setText(FromFilePath(path));
    if (white_->text().isEmpty()) white_->setText(FromFilePath(pages::ConverterPartner(path, false)));
}

void BmpToTgaDialog::browse(bool white) {
    const std::string current = white ? whitePath() : blackPath();
    const std::string path = AskOpenPicture(this, current);
    if (path.empty()) return;
    if (white) chooseWhite(path);
    else chooseBlack(path);
}

void BmpToTgaDialog::updateOk() { okButton()->setEnabled(!white_->text().isEmpty() && !black_->text().isEmpty()); }

bool ConvertPicturePair(const std::string& onWhite, const std::string& onBlack, const AskSavePath& askSavePath) {
    pages::CBitmap32 combined;
    if (!pages::CombinePairFilesWithMessages(onWhite, onBlack, false, combined)) return false;
    const std::string ext = platform::ExtensionOfPath(onBlack);
    const std::string proposed = onBlack.substr(0, onBlack.size() - ext.size()) + app::ExtensionOf(app::FT_TGA);
    const std::string path = askSavePath(proposed);
    if (path.empty()) return false;
    if (pages::WriteTGA(combined, path) != pages::FILE_OK) {
        // Saying nothing here would leave the operator believing the picture exists.
        app::ShowFileResult(pages::FILE_SAVE_ERROR, path);
        return false;
    }
    LogMessage("BMP -> TGA: %s + %s -> %s", onBlack.c_str(), onWhite.c_str(), path.c_str());
    return true;
}

void RunBmpToTgaConverter(QWidget* parent) {
    for (;;) {
        BmpToTgaDialog dialog(parent);
        if (dialog.exec() != QDialog::Accepted) return;
        ConvertPicturePair(dialog.whitePath(), dialog.blackPath(),
                           [parent](const std::string& proposed) { return AskSaveTga(parent, proposed); });
    }
}

}  // namespace ui

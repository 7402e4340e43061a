#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "pages/picture_test_util.h"
#include "platform/files.h"
#include "ui/pictures/bmp_to_tga_dialog.h"
#include "ui/pictures/import_picture_dialog.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

using Px = std::array<uint8_t, 4>;

class PictureDialogs : public zxtest::UiTest {
protected:
    void writePicture(const std::string& name, int w, int h, uint8_t v) {
        ASSERT_TRUE(platform::WriteFileAtomic(home.file(name), zxtest::MakeBmp(w, h, 24, false, [v](int, int) {
                                                  return Px{v, v, v, 0};
                                              })));
    }
};

TEST_F(PictureDialogs, ConverterFillsThePartnerAndNeedsBothNames) {
    BmpToTgaDialog d;
    EXPECT_EQ(d.windowTitle(), "BMP -> TGA converter");
    EXPECT_FALSE(d.okButton()->isEnabled());
    d.chooseBlack("/p/logo.bmp");
    EXPECT_EQ(d.whitePath(), "/p/logo_w.bmp");  // lower case in this tool
    EXPECT_TRUE(d.okButton()->isEnabled());
    d.chooseBlack("/p/other.bmp");  // the white field is taken: left alone
    EXPECT_EQ(d.whitePath(), "/p/logo_w.bmp");

    BmpToTgaDialog e;
    e.chooseWhite("/p/sun_W.bmp");
    EXPECT_EQ(e.blackPath(), "/p/sun.bmp");
    BmpToTgaDialog f;
    f.chooseWhite("/p/sun.bmp");  // no "_w": nothing to fill
    EXPECT_EQ(f.blackPath(), "");
    EXPECT_FALSE(f.okButton()->isEnabled());
    f.blackField()->setText("/p/typed.bmp");
    EXPECT_TRUE(f.okButton()->isEnabled());
}

TEST_F(PictureDialogs, ConvertingAPair) {
    writePicture("a.bmp", 4, 3, 64);
    writePicture("a_w.bmp", 4, 3, 191);
    writePicture("b_w.bmp", 3, 3, 191);
    std::string proposed;
    const std::string out = home.file("out.tga");
    auto ask = [&](const std::string& p) {
        proposed = p;
        return out;
    };
    ASSERT_TRUE(ConvertPicturePair(home.file("a_w.bmp"), home.file("a.bmp"), ask));
    EXPECT_EQ(proposed, home.file("a.tga"));
    pages::CBitmap32 b;
    ASSERT_EQ(pages::ReadPictureFile(out, false, b), pages::PICTURE_OK);
    EXPECT_EQ(zxtest::PixelOf(b, 3, 2), (Px{127, 127, 127, 127}));
    EXPECT_EQ(boxes.count(), 0);

    proposed.clear();
    EXPECT_FALSE(ConvertPicturePair(home.file("b_w.bmp"), home.file("a.bmp"), ask));
    EXPECT_EQ(proposed, "");  // no save question after the message
    EXPECT_EQ(boxes.lastText(), "Picture size on black and white background are not the same!\n\n" +
                                    home.file("a.bmp") + "\n" + home.file("b_w.bmp"));
    EXPECT_FALSE(ConvertPicturePair(home.file("none_w.bmp"), home.file("a.bmp"), ask));
    EXPECT_EQ(boxes.lastText(), "Error opening picture file:\n\n" + home.file("none_w.bmp"));
    // A file that cannot be written is reported, not passed over.
    EXPECT_FALSE(ConvertPicturePair(home.file("a_w.bmp"), home.file("a.bmp"),
                                    [&](const std::string&) { return home.file("no/folder/x.tga"); }));
    EXPECT_EQ(boxes.lastText().rfind("Error saving file:", 0), 0u) << boxes.lastText();
    EXPECT_EQ(boxes.count(), 3);
}

// Runs fn with the modal dialog of type T once one is open; a dialog that never comes fails
// the test and closes whatever is modal, so that nothing waits forever.
template <class T>
void whenModalOf(std::function<void(T*)> fn, int triesLeft = 2000) {
    if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
        fn(w);
        return;
    }
    if (triesLeft == 0) {
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " came";
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        return;
    }
    zxtest::Later([fn = std::move(fn), triesLeft] { whenModalOf<T>(fn, triesLeft - 1); }, 5);
}

TEST_F(PictureDialogs, ConverterOpensAgainUntilCancelled) {
    start("", false);
    writePicture("c.bmp", 2, 2, 10);
    writePicture("c_w.bmp", 2, 2, 10);
    const std::string out = home.file("saved.tga");
    int rounds = 0;
    whenModalOf<BmpToTgaDialog>([&](BmpToTgaDialog* d) {
        ++rounds;
        d->chooseBlack(home.file("c.bmp"));
        whenModalOf<QFileDialog>([&](QFileDialog* save) {
            save->selectFile(QString::fromStdString(out));
            whenModalOf<BmpToTgaDialog>([&](BmpToTgaDialog* again) {
                ++rounds;
                EXPECT_EQ(again->blackPath(), "");  // empty again
                again->reject();
            });
            static_cast<QDialog*>(save)->accept();  // QFileDialog::accept checks the name
        });
        d->okButton()->click();
    });
    RunBmpToTgaConverter(nullptr);
    EXPECT_EQ(rounds, 2);
    pages::CBitmap32 b;
    ASSERT_EQ(pages::ReadPictureFile(out, false, b), pages::PICTURE_OK);
    EXPECT_EQ(zxtest::PixelOf(b, 0, 0), (Px{9, 9, 9, 0}));
}

TEST_F(PictureDialogs, ImportPictureOffersNineAnchorsAndManual) {
    ImportPictureDialog d(300, 200, 720, 576);
    EXPECT_EQ(d.windowTitle(), "Import picture");
    EXPECT_EQ(d.sizeLabel()->text(), "300 x 200");
    EXPECT_TRUE(d.anchorButton(pages::ANCHOR_C)->isChecked());
    EXPECT_EQ(d.anchorButton(pages::ANCHOR_TR)->text(), "TR");
    EXPECT_FALSE(d.xBox()->isEnabled());
    EXPECT_EQ(d.xBox()->maximum(), 718);
    EXPECT_EQ(d.yBox()->maximum(), 574);
    d.anchorButton(pages::ANCHOR_BL)->setChecked(true);
    EXPECT_EQ(d.position().anchor, pages::ANCHOR_BL);
    d.anchorButton(pages::ANCHOR_MANUAL)->setChecked(true);
    EXPECT_TRUE(d.xBox()->isEnabled());
    d.xBox()->setValue(900);
    d.yBox()->setValue(40);
    const pages::BackgroundPosition p = d.position();
    EXPECT_EQ(p.anchor, pages::ANCHOR_MANUAL);
    EXPECT_EQ(p.x, 718);
    EXPECT_EQ(p.y, 40);
}

TEST(PictureFileDialog, ProgramFilterBecomesQtFilter) {
    EXPECT_EQ(QtFilterOf("All supported types |*.bmp;*.tga|BMP picture files (*.bmp)|*.bmp|"),
              "All supported types (*.bmp *.tga *.BMP *.TGA);;BMP picture files (*.bmp *.BMP)");
}

}  // namespace

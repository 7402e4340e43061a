#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <vector>

#include "air_qt_app.h"
#include "ui/air/effect_dialog.h"
#include "ui/air/effect_pictures.h"

using namespace air;
using ui::CEffectDialog;

namespace {

PageMotion scrolling() {
    PageMotion m;
    m.movingType = 1;
    m.flags = PageMotion::FLAG_MOVING;
    m.stripLength = 500;
    m.right = 700;
    m.bottom = 40;
    return m;
}

TEST(EffectDialog, ControlsFollowTheEffectType) {
    zxtest::EnsureQtApp();
    ShowParams p;
    PageMotion page;
    CEffectDialogModel model(p, &page, false, false);
    CEffectDialog dlg(model);
    const auto& in = dlg.inGroup();
    EXPECT_EQ(in.list->count(), 19);
    EXPECT_EQ(in.list->currentRow(), 0);
    EXPECT_FALSE(in.speed->isEnabled());
    EXPECT_FALSE(in.newMoves->isEnabled());
    EXPECT_FALSE(in.oldMoves->isEnabled());
    EXPECT_EQ(in.duration->text(), "0.0");
    EXPECT_FALSE(dlg.outGroup().box->isEnabled());
    EXPECT_FALSE(dlg.scrollingGroup()->isEnabled());
    EXPECT_FALSE(dlg.variableTime()->isEnabled());
    EXPECT_TRUE(dlg.fixedTime()->isChecked());

    in.list->setCurrentRow(1);  // wipe: both moving boxes, speed
    EXPECT_EQ(model.value(SP_IN_TYPE), 1);
    EXPECT_TRUE(in.speed->isEnabled());
    EXPECT_TRUE(in.newMoves->isEnabled());
    EXPECT_TRUE(in.oldMoves->isEnabled());
    EXPECT_EQ(in.duration->text(), "14.4");
    in.speed->setValue(9);
    EXPECT_EQ(in.speedValue->text(), "10");
    EXPECT_EQ(in.duration->text(), "1.4");
    in.fade->click();
    EXPECT_EQ(model.apply(p, &page).inFade, 1);
}

TEST(EffectDialog, VariableTimeOfAScrollingPage) {
    zxtest::EnsureQtApp();
    ShowParams p;
    p.outType = 2;
    PageMotion page = scrolling();
    CEffectDialogModel model(p, &page, true, true);
    CEffectDialog dlg(model);
    EXPECT_TRUE(dlg.variableTime()->isChecked());
    EXPECT_FALSE(dlg.showTime()->isEnabled());
    EXPECT_EQ(dlg.showTime()->value(), 24);
    EXPECT_TRUE(dlg.plusTime()->isEnabled());
    dlg.plusTime()->setValue(5);
    EXPECT_EQ(dlg.showTime()->value(), 29);
    EXPECT_TRUE(dlg.outGroup().box->isEnabled());
    EXPECT_TRUE(dlg.outGroup().oldMoves->isEnabled());
    EXPECT_EQ(dlg.outGroup().oldMoves->text(), "Page is moving");

    dlg.fixedTime()->click();
    EXPECT_TRUE(dlg.showTime()->isEnabled());
    EXPECT_FALSE(dlg.plusTime()->isEnabled());
    EXPECT_EQ(model.timeChoice(), CEffectDialogModel::TimeChoice::Fixed);
    zxtest::SaveScreenshot(dlg, "effect_dialog");
}

TEST(EffectDialog, SeveralPagesShowUndeterminedValues) {
    zxtest::EnsureQtApp();
    ShowParams a, b, c;
    a.stopScrolling = 1;
    b.inType = 4;
    b.timeMode = 1;
    c = b;
    c.showTime = 20;
    std::vector<ShowParams> items{a, b, c};
    std::vector<PageMotion> pages{scrolling(), scrolling(), scrolling()};
    CEffectDialogModel model = CEffectDialogModel::ForPages(items, pages, false);
    CEffectDialog dlg(model);
    EXPECT_EQ(dlg.stopScrolling()->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(dlg.fixedTime()->isChecked());
    EXPECT_FALSE(dlg.variableTime()->isChecked());
    EXPECT_EQ(dlg.inGroup().list->currentRow(), -1);
    EXPECT_EQ(dlg.inGroup().duration->text(), "");
    EXPECT_EQ(dlg.inGroup().fade->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(dlg.inGroup().speedValue->text(), "");
    EXPECT_EQ(dlg.showTime()->text(), " ");  // the fixed pages differ: 10 and 20 s
    zxtest::SaveScreenshot(dlg, "effect_dialog_several");

    // A click settles the box; the undetermined state is not offered again.
    dlg.stopScrolling()->click();
    EXPECT_EQ(dlg.stopScrolling()->checkState(), Qt::Checked);
    EXPECT_FALSE(dlg.stopScrolling()->isTristate());
    EXPECT_EQ(model.value(SP_STOP_SCROLLING), 1);
    // Choosing an effect settles the whole in-effect group.
    dlg.inGroup().list->setCurrentRow(3);
    EXPECT_EQ(dlg.inGroup().fade->checkState(), Qt::Unchecked);
    EXPECT_EQ(model.value(SP_IN_SPEED), 0);
    EXPECT_EQ(model.apply(b, &pages[1]).inType, 3);
}

TEST(EffectPictures, EveryTypeIsDrawnAndTheyDiffer) {
    zxtest::EnsureQtApp();
    std::vector<QImage> images;
    for (int t = 0; t < kEffectTypes; ++t) {
        QImage img = ui::EffectPicture(t, QSize(40, 32)).toImage();
        ASSERT_EQ(img.size(), QSize(40, 32));
        EXPECT_FALSE(ui::EffectName(t).isEmpty());
        for (const QImage& other : images) EXPECT_NE(img, other) << t;
        images.push_back(img);
    }
    // Small sizes for list columns still draw.
    EXPECT_FALSE(ui::EffectPicture(11, QSize(16, 13)).isNull());

    // A sheet of all pictures, large and small, to look at.
    QWidget sheet;
    sheet.resize(5 * 130, 4 * 106 + 24);
    QPixmap big(sheet.size());
    big.fill(Qt::white);
    QPainter p(&big);
    for (int t = 0; t < kEffectTypes; ++t) {
        p.drawPixmap(10 + (t % 5) * 130, 10 + (t / 5) * 106, ui::EffectPicture(t, QSize(120, 96)));
        p.drawPixmap(10 + t * 22, 4 * 106 + 4, ui::EffectPicture(t, QSize(20, 16)));
    }
    p.end();
    if (const char* dir = std::getenv("ZX_SCREENSHOTS")) big.save(QString(dir) + "/effect_pictures.png");
}

}  // namespace

// The embedded Device's panel under the program monitor: each key sends its request code, the
// display shows the program's last answer, and the picture keeps its whole size above the panel.
#include <QLabel>
#include <QPushButton>

#include "air_qt_app.h"
#include "device/program_feed.h"
#include "ui/monitor/device_panel.h"
#include "ui/monitor/program_monitor.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class DevicePanel : public zxtest::UiTest {};

TEST_F(DevicePanel, KeysSendTheirCodesAndTheDisplayShowsTheReply) {
    start("", false);
    std::vector<int> pressed;
    int shown = -1;
    auto* panel = new CDevicePanel(
        [&](int code, std::string& why) {
            pressed.push_back(code);
            why = "refused";
            return code != 3;
        },
        [&] { return shown; });
    EXPECT_EQ(panel->display()->text(), "--");
    // Items 1-8 are codes 8-15, items 9 and 10 codes 6 and 7.
    for (int n : {1, 8, 9, 10}) {
        QPushButton* k = panel->key(CDevicePanel::ItemCode(n));
        ASSERT_NE(k, nullptr) << n;
        EXPECT_EQ(k->text(), QString::number(n));
        k->click();
    }
    panel->key(CDevicePanel::KEY_PLAY)->click();
    EXPECT_EQ(pressed, (std::vector<int>{8, 15, 6, 7, 1}));
    shown = 8;
    panel->Refresh();
    EXPECT_EQ(panel->display()->text(), "8");
    panel->key(CDevicePanel::KEY_STOP)->click();
    EXPECT_EQ(panel->toolTip(), "refused");

    device::ProgramFeed feed;
    CProgramMonitor m(feed);
    m.SetPanel(panel);
    EXPECT_EQ(m.panel(), panel);
    EXPECT_EQ(m.height(), 576 + panel->sizeHint().height()) << "the picture keeps its size";
    EXPECT_EQ(panel->geometry().top(), 576);
    m.SetZoom(50);
    EXPECT_EQ(m.height(), 288 + panel->sizeHint().height());
}

}  // namespace

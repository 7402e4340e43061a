// The remote control in the operator's program, offscreen: a title rendered from the interface is
// chosen in Live mode's tree and its texts show in the view's fields; outside Live mode only the
// transport answers; the server's calls run on the GUI thread; [Control] starts the server or
// says why not, and its dialog changes it at once.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <atomic>
#include <thread>

#include "air/air_fakes.h"
#include "air/effect_dialog_model.h"
#include "air/seq_doc.h"
#include "app/control_settings.h"
#include "control/air_port.h"
#include "device/engine.h"
#include "live_view_fixture.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/page_test_util.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/titr_view.h"
#include "ui/control/control_dialog.h"
#include "ui/control/control_link.h"
#include "ui/mainframe/gui_shell.h"

using namespace ui;

namespace {

struct ControlLinkTest : zxtest::LiveViewTest {
    int slot = app::VIEW_LIVE;

    void SetUp() override {
        showWindow = false;
        LiveViewTest::SetUp();
        makeTitle("Lower third");
    }
    CGuiControlHost::Finder finder() {
        return {[this] { return wnd.get(); }, [this] { return slot; }};
    }
    void makeTitle(const std::string& name) {
        pages::CPageDoc doc(fonts);
        doc.NewPage();
        const char* frames[2] = {"Name", "Role"};
        for (int k = 0; k < 2; ++k) {
            pages::TextFormat tf;
            tf.setFontName("Grid");
            tf.colour = 0x00FFFFFF;
            const int i =
                doc.CreateFrame({60, 420 + k * 40, 660, 456 + k * 40}, {}, pages::ParaFormat{}, tf, frames[k]);
            doc.frame(i)->InsertText(frames[k], fonts);
            doc.frame(i)->ResetView();
        }
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);
        ASSERT_EQ(doc.Save(home.file("Pages/" + name + ".zxg"), img), 0);
        air::CSeqDoc s(a.folders(), platform::SystemClock::instance());
        s.AppendPage(home.file("Pages/" + name + ".zxg"), air::ShowParams{});
        ASSERT_EQ(s.SaveSequence(home.file("Titr/" + name + ".zxs")), 0);
    }
};

}  // namespace

TEST_F(ControlLinkTest, ARemoteRenderIsChosenInLiveModesTreeAndShowsInItsFields) {
    open();
    CGuiControlHost host(a, fonts, finder());
    control::TitleInfo info;
    ASSERT_EQ(host.TitleFields("Titr/Lower third.zxs", info).status, 200);
    ASSERT_EQ(info.fields.size(), 2u);
    EXPECT_EQ(info.fields[1].label, "Role");

    const control::OpResult r =
        host.RenderTitle("titr\\lower third.zxs", {{"Name", -1, "  ANNA "}, {{}, 1, "Editor"}}, false, info);
    ASSERT_EQ(r.status, 200) << r.message;
    EXPECT_EQ(info.summary, "[Name]:[ANNA],[Role]:[Editor]");
    // The operator sees what the remote chose: the title selected in the tree, its texts in the
    // fields.
    ASSERT_NE(view->tree()->currentItem(), nullptr);
    EXPECT_EQ(view->tree()->currentItem()->text(0), "Lower third");
    EXPECT_EQ(view->field(0)->text(), "ANNA");
    EXPECT_EQ(view->field(1)->text(), "Editor");
    EXPECT_EQ(cmds->last().code, device::CMD_LOAD_RECT);
    finish();
    const control::AirSnapshot s = host.Snapshot();
    EXPECT_EQ(s.frame.state, air::AIR_CUED);
    EXPECT_EQ(s.mode, "live");
    EXPECT_EQ(s.content, "title");
    EXPECT_EQ(s.file, "Titr/Lower third.zxs");
    // Effect from the remote changes the cued title's show time without a dialog on the
    // operator's screen (a dialog would wait here for a press that never comes).
    const control::EffectChanges longer{{air::CEffectDialogModel::SHOW_TIME, 7}};
    air::ShowParams applied;
    ASSERT_EQ(host.Action(air::ACTION_EFFECT, &longer, &applied).status, 200);
    EXPECT_EQ(applied.showTime, 7);
    EXPECT_EQ(wnd->controller().showParams().showTime, 7);
    EXPECT_EQ(host.Action(air::ACTION_PLAY, nullptr, nullptr).status, 200);
    EXPECT_EQ(cmds->last().code, device::CMD_IN_EFFECT);
    EXPECT_EQ(host.Action(air::ACTION_EFFECT, &longer, nullptr).status, 409);  // on air now
}

TEST_F(ControlLinkTest, OutsideLiveModeOnlyTheTransportAnswers) {
    CGuiControlHost host(a, fonts, finder());
    EXPECT_FALSE(host.Snapshot().frameOpen);
    EXPECT_EQ(host.Action(air::ACTION_PLAY, nullptr, nullptr).status, 409);  // no on-air mode open
    open();
    slot = app::VIEW_PREVIEW;
    control::TitleInfo info;
    const control::OpResult r = host.RenderTitle("Titr/Lower third.zxs", {}, false, info);
    EXPECT_EQ(r.status, 409);
    EXPECT_NE(r.message.find("Live mode"), std::string::npos);
    EXPECT_EQ(host.Play("Titr/Lower third.zxs", false).status, 409);
    const control::OpResult play = host.Action(air::ACTION_PLAY, nullptr, nullptr);
    EXPECT_EQ(play.status, 409);  // nothing is cued: remembered
    EXPECT_EQ(wnd->controller().State().delayedAction, air::ACTION_PLAY);
    EXPECT_EQ(host.Snapshot().mode, "preview");
}

TEST_F(ControlLinkTest, TheServersCallsRunOnTheGuiThread) {
    open();
    CGuiControlHost host(a, fonts, finder());
    control::AirPort port(host.target(), 10000);
    std::atomic<bool> done{false};
    std::thread::id where;
    control::AirSnapshot seen;
    std::thread server([&] {
        port.call([&] {
            where = std::this_thread::get_id();
            seen = host.Snapshot();
        });
        done = true;
    });
    while (!done) QApplication::processEvents(QEventLoop::AllEvents, 10);
    server.join();
    EXPECT_EQ(where, std::this_thread::get_id());
    EXPECT_TRUE(seen.frameOpen);
    EXPECT_TRUE(seen.frame.linkUp);
}

TEST_F(ControlLinkTest, ControlSettingsStartTheServerOrSayWhyNot) {
    CGuiShell shell(a);
    {
        CControlLink off(a, fonts, shell, {});
        EXPECT_FALSE(off.running());
        EXPECT_TRUE(off.status().isEmpty());
        std::unique_ptr<QLabel> lamp(off.makeLamp(nullptr));
        EXPECT_TRUE(lamp->isHidden());
    }
    app::ControlSettings s;
    s.enabled = true;
    s.listen = "127.0.0.1:0";
    ASSERT_TRUE(app::SaveControlSettings(a.profile(), s));
    {
        CControlLink on(a, fonts, shell, {});
        EXPECT_TRUE(on.running());
        EXPECT_TRUE(on.status().startsWith("Remote control: http://127.0.0.1:")) << on.status().toStdString();
        std::unique_ptr<QLabel> lamp(on.makeLamp(nullptr));
        ASSERT_NE(lamp, nullptr);
        EXPECT_EQ(lamp->toolTip(), on.status());
    }
    s.listen = "0.0.0.0:0";  // beyond loopback without a token
    ASSERT_TRUE(app::SaveControlSettings(a.profile(), s));
    CControlLink refused(a, fonts, shell, {});
    EXPECT_FALSE(refused.running());
    EXPECT_NE(refused.status().toStdString().find("token"), std::string::npos);
}

// Settings > Remote control...: settings the server would refuse are told and kept out of the
// file; good ones are written and take effect at once, lamp included; switched off, it stops.
TEST_F(ControlLinkTest, TheSettingsDialogChecksWritesAndRestartsAtOnce) {
    CGuiShell shell(a);
    CControlLink link(a, fonts, shell, {});
    std::unique_ptr<QLabel> lamp(link.makeLamp(nullptr));
    ASSERT_TRUE(lamp->isHidden());
    {
        CControlDialog dialog(a.profile(), link);
        auto* enabled = dialog.findChild<QCheckBox*>();
        auto edits = dialog.findChildren<QLineEdit*>();
        ASSERT_NE(enabled, nullptr);
        ASSERT_EQ(edits.size(), 2);
        EXPECT_FALSE(edits[0]->isEnabled());  // nothing to set while it is off
        enabled->setChecked(true);
        edits[0]->setText("0.0.0.0:0");  // beyond this computer, and no token
        edits[1]->clear();
        dialog.accept();
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(boxes.count(), 1);
        EXPECT_NE(boxes.lastText().find("token"), std::string::npos) << boxes.lastText();
        EXPECT_FALSE(app::LoadControlSettings(a.profile()).enabled);
        EXPECT_FALSE(link.running());

        edits[0]->setText("127.0.0.1:0");
        const QString token = CControlDialog::NewToken();
        EXPECT_EQ(token.size(), 32);
        EXPECT_NE(token, CControlDialog::NewToken());
        edits[1]->setText(token);
        dialog.accept();
        EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    }
    const app::ControlSettings s = app::LoadControlSettings(a.profile());
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.listen, "127.0.0.1:0");
    EXPECT_EQ(s.token.size(), 32u);
    EXPECT_TRUE(link.running());
    EXPECT_FALSE(lamp->isHidden());
    EXPECT_EQ(lamp->toolTip(), link.status());
    {
        CControlDialog dialog(a.profile(), link);
        dialog.findChild<QCheckBox*>()->setChecked(false);
        dialog.accept();
    }
    EXPECT_FALSE(link.running());
    EXPECT_TRUE(lamp->isHidden());
    EXPECT_FALSE(app::LoadControlSettings(a.profile()).enabled);
}

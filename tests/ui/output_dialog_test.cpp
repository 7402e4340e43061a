// Settings > Output: an output set up in its dialog is kept in [Output], started and stopped from
// the list, shown by its lamp while it records, and what it recorded plays back.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/output_settings.h"
#include "output/output.h"
#include "output/output_set.h"
#include "ui/output/output_dialog.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class OutputDialog : public zxtest::UiTest {};

std::vector<uint8_t> Grey(uint8_t v) {
    std::vector<uint8_t> p(size_t(720) * 576 * 4, v);
    for (size_t i = 3; i < p.size(); i += 4) p[i] = 255;
    return p;
}

TEST_F(OutputDialog, AnOutputSetUpRecordsWithItsLampAndIsKeptInTheSettings) {
    start("", false);
    output::OutputSet set;
    std::vector<std::pair<bool, int>> taps;
    set.setTapControl([&](bool wanted, int fields) { taps.emplace_back(wanted, fields); });
    COutputs outputs(a.profile(), set, true);
    COutputDialog dialog(outputs);
    COutputLamps lamps(outputs);
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.startButton()->isEnabled()) << "nothing set up yet";
    const std::string file = home.file("show.mov");

    // A codec this build does not have is told in the sink dialog, which stays open.
    zxtest::WhenModal([&](QWidget* modal) {
        auto* d = qobject_cast<COutputSinkDialog*>(modal);
        ASSERT_NE(d, nullptr);
        d->target()->setText(QString::fromStdString(file));
        d->codec()->setCurrentText("nonesuch");
        d->accept();
        EXPECT_TRUE(d->isVisible());
        EXPECT_NE(boxes.lastText().find("unknown video codec nonesuch"), std::string::npos) << boxes.lastText();
        d->codec()->setCurrentText("");
        d->enabled()->setChecked(true);
        d->accept();
    });
    dialog.addButton()->click();
    EXPECT_EQ(a.profile().getString("Output", "Sink1"), file);
    EXPECT_EQ(a.profile().getInt("Output", "Sink1Enabled", 0), 1);
    EXPECT_EQ(dialog.table()->item(0, 0)->text().toStdString(), file);
    EXPECT_EQ(dialog.table()->item(0, 6)->text(), "stopped");

    dialog.table()->selectRow(0);
    ASSERT_TRUE(dialog.startButton()->isEnabled());
    dialog.startButton()->click();
    ASSERT_TRUE(outputs.running(0)) << boxes.lastText();
    EXPECT_EQ(taps.back(), std::make_pair(true, 2));
    EXPECT_EQ(dialog.table()->item(0, 6)->text(), "recording");
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_TRUE(dialog.stopButton()->isEnabled());
    for (int i = 0; i < 10; ++i) set.frame(Grey(uint8_t(20 * i)).data(), 720, 576, uint64_t(2 * i), true);
    lamps.Refresh();
    EXPECT_TRUE(lamps.lampText(0).contains("REC")) << lamps.lampText(0).toStdString();
    EXPECT_TRUE(lamps.lampText(0).contains("show.mov")) << lamps.lampText(0).toStdString();
    dialog.stopButton()->click();
    EXPECT_FALSE(outputs.running(0));
    EXPECT_EQ(taps.back(), std::make_pair(false, 2));
    lamps.Refresh();
    EXPECT_TRUE(lamps.lampText(0).isEmpty());
    std::vector<output::Frame> back;
    std::string error;
    ASSERT_TRUE(output::Decode(file, back, error)) << error;
    EXPECT_GE(back.size(), 1u);
    EXPECT_LE(back.size(), 10u);  // in real time a busy machine may drop some

    // Read again at the next start, it starts with the program; removed, its keys go.
    COutputs again(a.profile(), set, true);
    EXPECT_EQ(again.sinks()[0].target, file);
    EXPECT_TRUE(again.startEnabled().empty());
    EXPECT_TRUE(again.running(0));
    again.stopAll();
    dialog.table()->selectRow(0);
    dialog.removeButton()->click();
    EXPECT_FALSE(a.profile().hasKey("Output", "Sink1"));
    EXPECT_FALSE(dialog.editButton()->isEnabled());
}

TEST_F(OutputDialog, ARelativeFileIsRecordedBelowTheDataRootInAFolderMadeForIt) {
    start("[Output]\r\nSink1=Recordings/Program.mov\r\n", false);
    output::OutputSet set;
    COutputs outputs(a.profile(), set, true, home.path());
    std::string error;
    ASSERT_TRUE(outputs.start(0, error)) << error;
    set.frame(Grey(90).data(), 720, 576, 0, true);
    outputs.stop(0);
    std::vector<output::Frame> back;
    ASSERT_TRUE(output::Decode(home.file("Recordings/Program.mov"), back, error)) << error;
    EXPECT_EQ(outputs.sinks()[0].target, "Recordings/Program.mov") << "the setting stays relative";
}

TEST_F(OutputDialog, WithoutTheEmbeddedDeviceNothingStartsAndTheReasonIsGiven) {
    start("[Output]\r\nSink2=" + home.file("a.mov") + "\r\nSink2Enabled=1\r\n", false);
    output::OutputSet set;
    COutputs outputs(a.profile(), set, false);
    const auto errors = outputs.startEnabled();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("embedded virtual Device"), std::string::npos) << errors[0];
    COutputDialog dialog(outputs);
    dialog.table()->selectRow(1);
    EXPECT_TRUE(dialog.editButton()->isEnabled());
    EXPECT_FALSE(dialog.startButton()->isEnabled());
    EXPECT_FALSE(outputs.running(1));
}

}  // namespace

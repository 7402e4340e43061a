// Shared set-up of the GUI tests: one QApplication for the program, and an application object
// started on a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <string>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "support/temp_dir.h"
#include "ui/mainframe/mode_frames.h"

namespace zxtest {

// A Device link that opens (or fails with result).
struct FakeLink : app::DeviceLink {
    int open(app::LinkKind, int, int) override {
        ++opens;
        return result;
    }
    void close() override { ++closes; }
    int result = 0, opens = 0, closes = 0;
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::ResetEventLog();
        app::SetMessageBoxes(&boxes);
        WriteText(home.file("Fonts/Title.bmf"), "x");
    }
    void TearDown() override {
        ui::Factories() = {};
        app::SetMessageBoxes(nullptr);
        app::ResetEventLog();
    }
    // Writes the settings file and starts the application's settings and hardware.
    void start(const std::string& ini, bool link, std::vector<std::string> args = {}) {
        WriteText(home.file(args.size() && args[0] == "/400M" ? "ZENTRIX_400M.INI" : "ZENTRIX.INI"), ini);
        args.insert(args.begin(), {"--home", home.path()});
        a.InitSettingsOnly(app::CommandLine::Parse(args));
        if (link) a.setDeviceLink(&fakeLink);
        a.StartHardware();
    }
    // Runs the GUI's pending events (deferred closes and the like).
    static void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    TempDir home;
    app::HeadlessMessageBoxes boxes;
    FakeLink fakeLink;
    app::CZentrixApp a;
};

// Runs fn on the GUI thread as soon as the event loop runs again (inside a modal dialog).
void Later(std::function<void()> fn, int ms = 0);
// Runs fn with the modal dialog once one is open (looking every few milliseconds, for a while).
void WhenModal(std::function<void(QWidget* modal)> fn);

}  // namespace zxtest

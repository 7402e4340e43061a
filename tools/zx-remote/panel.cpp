#include "zx-remote/panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/event.h"
#include "video/remote_buttons.h"

namespace zxremote {

namespace {

struct Lamp {
    QPushButton* button;
    std::string query;  // the name whose lamp it shows
    const char* colour;
};

}  // namespace

int RunPanel(int argc, char** argv, RemoteServer& server, bool minimized) {
    QApplication app(argc, argv);
    platform::Event ready;
    std::string error;
    int status = 0;
    server.setOnQuit([] {
        QMetaObject::invokeMethod(
            qApp, [] { QApplication::quit(); }, Qt::QueuedConnection);
    });
    std::thread loop([&] {
        status = server.Run(error, [&] { ready.set(); });
        ready.set();
    });
    ready.wait();
    if (status != 0) {
        loop.join();
        std::fprintf(stderr, "zx-remote: %s\n", error.c_str());
        return status;
    }
    std::printf("zx-remote: \"%s\" ready; control: %s\n", video::kRemoteTitle, server.controlPath().c_str());
    std::fflush(stdout);

    Switcher& sw = server.program().switcher();
    QWidget window;
    window.setWindowTitle(video::kRemoteTitle);
    auto* grid = new QGridLayout(&window);
    std::vector<Lamp> lamps;
    int row = 0;
    auto label = [&](const char* text) { grid->addWidget(new QLabel(text), row, 0); };
    auto button = [&](int column, const char* text, std::string query, const char* colour,
                      std::function<void()> onClick) {
        auto* b = new QPushButton(QString::fromLatin1(text));
        b->setMinimumWidth(56);
        QObject::connect(b, &QPushButton::clicked, b, std::move(onClick));
        grid->addWidget(b, row, column);
        lamps.push_back({b, std::move(query), colour});
    };
    label("Program");
    for (int i = 0; i < video::kRemoteInputCount; ++i) {
        const char* name = video::kRemoteInputs[i];
        button(1 + i, name, video::AirButton(name), "#e04040", [&sw, name] { sw.Press(name); });
    }
    ++row;
    label("Preview");
    for (int i = 0; i < video::kRemoteInputCount; ++i)
        button(1 + i, video::kRemoteInputs[i], video::kRemoteInputs[i], "#40c040", [&sw, i] { sw.SelectPreview(i); });
    ++row;
    label("Transition");
    int column = 1;
    for (const char* name : {"FAST", "CUT", "AUTO", "AIR", "BREAK"})
        button(column++, name, name, "#e0c040", [&sw, name] { sw.Press(name); });
    ++column;
    for (const char* name : video::kRemoteEffects)
        button(column++, name, name, "#e0c040", [&sw, name] { sw.Press(name); });
    ++row;
    label("Lamps");
    column = 1;
    for (const char* name : kToggles) button(column++, name, name, "#4080e0", [&sw, name] { sw.Press(name); });
    button(column++, "PREVIEW", "PREVIEW", "#4080e0", [&sw] { sw.Press("PREVIEW"); });
    ++row;
    auto* remote = new QCheckBox("Remote");
    grid->addWidget(remote, row, 0);
    QObject::connect(remote, &QCheckBox::toggled, remote, [&sw](bool on) { sw.SetRemote(on); });
    auto* last = new QLabel;
    grid->addWidget(last, row, 1, 1, 20);

    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &window, [&] {
        for (const Lamp& l : lamps) {
            const bool on = sw.Apply(video::REMOTE_QUERY, l.query) == 2;
            l.button->setStyleSheet(on ? QString("background:%1").arg(l.colour) : QString());
        }
        const SwitcherState s = sw.State();
        remote->blockSignals(true);
        remote->setChecked(s.remote);
        remote->blockSignals(false);
        const std::vector<LogEntry> log = server.program().Log();
        if (!log.empty())
            last->setText(QString("Last: %1 %2 -> %3")
                              .arg(log.back().action)
                              .arg(QString::fromLatin1(log.back().name.c_str()))
                              .arg(log.back().reply));
    });
    refresh.start(100);
    if (minimized) {
        // Some window managers map a window shown minimized as a normal one; asking again once
        // it is mapped leaves it iconified on all of them.
        window.showMinimized();
        QTimer::singleShot(200, &window, [&window] {
            window.setWindowState(Qt::WindowNoState);
            window.showMinimized();
        });
    } else {
        window.show();
    }
    // ZX_SCREENSHOT=FILE.png: a picture of the panel after a moment, then the end (as zentrix).
    if (const char* shot = std::getenv("ZX_SCREENSHOT"); shot && *shot) {
        const QString file = QString::fromLocal8Bit(shot);
        QTimer::singleShot(1500, &window, [&window, file] {
            window.grab().save(file);
            QApplication::quit();
        });
    }
    QApplication::exec();
    server.Quit();
    loop.join();
    return status;
}

}  // namespace zxremote

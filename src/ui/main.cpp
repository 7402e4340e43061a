// zentrix: the operator's program.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "air/seq_doc.h"
#include "app/zentrix_app.h"
#include "device/embedded_device.h"
#include "device/engine.h"
#include "device/program_feed.h"
#include "gsmsim/embedded.h"
#include "i18n/translation.h"
#include "interactive/interactive.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "ktgsim/server.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "phonesim/embedded.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/control/control_dialog.h"
#include "ui/control/control_link.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/fonts/font_substitution_dialog.h"
#include "ui/mainframe/artwork.h"
#include "ui/mainframe/gui_shell.h"
#include "ui/mainframe/main_frame.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/monitor/device_panel.h"
#include "ui/monitor/program_monitor.h"
#include "ui/output/output_dialog.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_message_target.h"
#include "ui/seqedit/seq_frame.h"
#include "ui/text.h"
#include "ui/translate.h"
#include "ui/video/playlist_dialogs.h"
#include "video/playlist.h"
#include "video/remote_cmd.h"
#include "video/sample_clip.h"
#include "video/video_cmd.h"
#include "video/video_playlist_player.h"
#include "wizards/banner_player.h"
#include "wizards/clock_image.h"

#ifndef ZX_VERSION
#define ZX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    // Answered before anything needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zentrix %s\n", ZX_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "Usage: zentrix [--home DIR] [/400M] [FILE.zxg|FILE.zxs]\n"
                "  --home DIR  the program folder (settings, logs, data folders below it); default:\n"
                "              the program's own folder when it runs from one it may write, else\n"
                "              $XDG_DATA_HOME/zentrix (~/.local/share/zentrix), made at the first start\n"
                "  /400M       the second edition on the same computer\n"
                "  FILE        a page or a sequence to open in its editor\n"
                "  --version   the version\n");
            return 0;
        }
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Zentrix");
    QApplication::setApplicationVersion(ZX_VERSION);
    QGuiApplication::setDesktopFileName("zentrix");
    QApplication::setWindowIcon(ui::AppIcon());

    ui::QtMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);

    // Without a Device address in the settings the links reach the virtual Device in-process.
    // Its program output goes to the program monitor, which draws what lies behind the
    // transparent parts itself, so the Device keys over nothing.
    device::ProgramFeed programFeed;
    ktgsim::EmbeddedOptions embedded;
    embedded.background.kind = ktgsim::Background::None;
    ktgsim::RegisterEmbeddedDevice(std::move(embedded));
    ktgsim::SetEmbeddedFrameCallback(
        [&programFeed](const ktgsim::Picture& p) { programFeed.publish(p.rgba.data(), p.width, p.height); });
    // A serial port set to "sim" reaches the GSM modem simulator in-process.
    gsmsim::RegisterEmbeddedModem();
    // ... or, with a phone-lines adapter ("ITVModel" 0 or 1), the adapter stand-in.
    phonesim::RegisterEmbeddedAdapter();
    ui::RegisterPageEditor();
    // Program output as video: the outputs take the embedded Device's fields while one runs.
    output::OutputSet outputs;
    outputs.setTapControl([&outputs](bool wanted, int fieldsPerFrame) {
        if (!wanted) {
            ktgsim::SetEmbeddedFieldTap(nullptr);
            return;
        }
        ktgsim::SetEmbeddedFieldTap(
            [&outputs](uint64_t field, const ktgsim::Picture& p, bool changed) {
                outputs.frame(p.rgba.data(), p.width, p.height, field, changed);
            },
            fieldsPerFrame);
    });
    int status = 1;
    {
        // The Device link: StartHardware opens it through the engine, exit closes it.
        device::CEngine engine;
        app::CZentrixApp theApp;
        theApp.setDeviceLink(&engine);
        theApp.setInteractiveLink(&interactive::CInteractive::Instance());
        ui::CGuiShell shell(theApp);
        theApp.setShell(&shell);
        app::StartupHooks hooks;
        // Texts of the settings' code page from the first message box on; the base translation
        // file named like this program, and the language chosen last, from its folder.
        i18n::Translation translation;
        hooks.loadTranslation = [&theApp, &translation] {
            ui::SetProgramCodePage(theApp.settings().codePage);
            const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
            // An installed program finds its base file and languages in the install's shared folder.
            translation.start(theApp.GetPath(app::FOLDER_PROGRAM), QFile::encodeName(exe).toStdString(),
                              &theApp.profile(), app::InstalledDataFolder());
            ui::UseTranslation(&translation);
        };
        // The one font list of the program, read again whenever the folders change.
        pages::CFontManager fonts;
        ui::QtFontSubstitution substitution;
        fonts.setSubstitution(&substitution);
        hooks.loadFontList = [&theApp, &fonts] {
            fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
            fonts.Enumerate();
        };
        // The shared documents: the page and the sequence that the editors edit and the air frame
        // plays, and the compiled page of what is on air.
        pages::CPageDoc page(fonts);
        pages::CPageImage pageImage;
        // The one clock object: Live mode loads clock files into it for air.
        wizards::CClockImage clock;
        // The one banner player: banner files in Live mode, and the banners linked to pages
        // (on air, in the sequence editor's preview and "Play page!").
        wizards::CBannerPlayer banner;
        air::CSeqDoc sequence(theApp.folders(), platform::SystemClock::instance());
        // The MPEG players (one zx-player per board, started by the air frame), the air playlist
        // they play, and Live mode's video playlists.
        video::CVideoCmd players;
        video::CPlaylist airPlaylist;
        video::CVideoPlaylistPlayer videoPlaylists(theApp, airPlaylist);
        hooks.createSharedObjects = [&theApp, &page, &sequence, &players, &airPlaylist] {
            page.setBannersFolder(theApp.GetPath(app::FOLDER_BANNERS));
            sequence.NewSequence();
            players.SetProgram(theApp.settings().player);
            airPlaylist.SetRoot(theApp.GetPath(app::FOLDER_ROOT));
        };
        // The switcher's remote-control program: Live and Automation mode start it, the air
        // frame's video playlists drive it.
        video::CRemoteCmd remote;
        ui::Factories().launchRemote = [&remote](const std::string& folder) { return remote.Launch(folder); };
        // "Check" in the Hardware dialog: the sample clip, with the players of the air frame
        // unless an on-air mode holds them (then the check waits for it to close).
        ui::Factories().checkVideo = [&theApp, &remote, &players](QWidget*, int board, int input, const std::string&) {
            if (players.started() > 0) {
                QApplication::beep();
                return;
            }
            video::SampleCheck check;
            check.board = board;
            check.input = input;
            video::CheckSampleClip(theApp, remote, players, check);
        };
        ui::Factories().videoInUse = [&players] { return players.started() > 0; };
        // The playlist editors: "Edit video playlist" on a file of the titles tree, "Edit
        // playlist" on the air playlist.
        videoPlaylists.SetEditor([&theApp](const std::string& path) {
            return ui::EditVideoPlaylist(theApp, path, QApplication::activeWindow());
        });
        ui::Factories().editAirPlaylist = [&theApp, &airPlaylist](QWidget* parent) {
            return ui::EditAirPlaylist(theApp, airPlaylist, parent);
        };
        ui::AirShared air;
        air.engine = &engine;
        air.objects.remote = &remote;
        air.objects.video = &players;
        air.objects.playlist = &airPlaylist;
        air.objects.videoPlaylist = &videoPlaylists;
        air.objects.page = &page;
        air.objects.pageImage = &pageImage;
        air.objects.sequence = &sequence;
        air.objects.clock = &clock;
        air.objects.banner = &banner;
        ui::InstallAirFrame(theApp, air);
        ui::RegisterSequenceEditor(air.objects);
        theApp.setHooks(hooks);
        // Another start of the program hands its file over to this one.
        ui::QtMessageTarget handOverTarget(
            [&theApp](uint32_t msg, uintptr_t w, intptr_t l) { return theApp.OnHandOver(msg, w, l); });
        theApp.setHandOverTarget(&handOverTarget);
        switch (theApp.InitInstance(app::CommandLine::Parse(argc, argv))) {
            case app::StartResult::Started: {
                // The program monitor: open at once when the link goes to the embedded Device,
                // and always reachable from the Window menu. A tool window of the main frame's:
                // it stays above the main window, and closing the main frame still ends the
                // program.
                QPointer<ui::CProgramMonitor> monitor;
                ui::COutputs* videoOutputs = nullptr;
                if (ui::CMainFrame* frame = shell.mainFrame()) {
                    // Settings > Output...: the video outputs, their lamps in the status bar.
                    videoOutputs = new ui::COutputs(theApp.profile(), outputs, device::LinkUsesEmbeddedDevice(theApp),
                                                    theApp.GetPath(app::FOLDER_ROOT), frame);
                    QAction* outputAction = frame->command(ui::ID_SETTINGS_OUTPUT);
                    outputAction->setVisible(true);
                    QObject::connect(outputAction, &QAction::triggered, frame, [frame, videoOutputs] {
                        ui::COutputDialog dialog(*videoOutputs, frame);
                        dialog.exec();
                    });
                    frame->statusBar()->addPermanentWidget(new ui::COutputLamps(*videoOutputs, frame));
                    if (videoOutputs->available())
                        for (const std::string& why : videoOutputs->startEnabled())
                            frame->statusBar()->showMessage(QString::fromStdString(why), 10000);
                    monitor = new ui::CProgramMonitor(programFeed, frame);
                    frame->addWindowCommand(monitor->showAction());
                    if (device::LinkUsesEmbeddedDevice(theApp)) {
                        // The Device's own keys and display under the picture, so that the
                        // bindings of Automation mode can be tried without the unit.
                        monitor->SetPanel(new ui::CDevicePanel(
                            [](int code, std::string& why) {
                                bool ok = false;
                                if (!ktgsim::WithEmbeddedServer(
                                        [&](ktgsim::Server& s) { ok = s.device().press(code, why); }))
                                    why = "the embedded Device does not run";
                                return ok;
                            },
                            [] {
                                int v = -1;
                                ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { v = s.device().display(); });
                                return v;
                            }));
                        monitor->PlaceBeside(frame);
                        monitor->show();
                        frame->activateWindow();  // the operator works in the main window
                    }
                }
                // [Control] Enabled=1: the remote control listens while the program runs.
                ui::CControlLink remoteControl(theApp, fonts, shell, [](pages::CBitmap32& out) {
                    ktgsim::Picture pic;
                    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { s.render(pic); })) return false;
                    out = ktgsim::ToBitmap(pic);
                    return true;
                });
                if (ui::CMainFrame* frame = shell.mainFrame()) {
                    frame->statusBar()->addPermanentWidget(remoteControl.makeLamp(frame));
                    // Settings > Remote control...: [Control], applied at once.
                    QAction* remoteAction = frame->command(ui::ID_SETTINGS_REMOTE);
                    remoteAction->setVisible(true);
                    QObject::connect(remoteAction, &QAction::triggered, frame, [frame, &remoteControl, &theApp] {
                        ui::CControlDialog dialog(theApp.profile(), remoteControl, frame);
                        dialog.exec();
                    });
                }
                // ZX_SCREENSHOT=FILE.png: take a picture of the window a few seconds after the
                // start and end (documentation pictures, checks on a machine without a desktop).
                if (const char* shot = std::getenv("ZX_SCREENSHOT"); shot && *shot) {
                    QString file = QString::fromLocal8Bit(shot);
                    int delay =
                        std::getenv("ZX_SCREENSHOT_DELAY") ? std::atoi(std::getenv("ZX_SCREENSHOT_DELAY")) : 3000;
                    QTimer::singleShot(delay, &qapp, [file, monitor] {
                        if (QWidget* w = QApplication::activeWindow() ? QApplication::activeWindow()
                                                                      : QApplication::topLevelWidgets().value(0))
                            w->window()->grab().save(file);
                        // The program monitor beside it, as FILE-program.png.
                        if (monitor && monitor->isVisible()) {
                            QString name = file;
                            name.insert(name.lastIndexOf('.') > 0 ? name.lastIndexOf('.') : name.size(), "-program");
                            monitor->grab().save(name);
                        }
                        QApplication::closeAllWindows();
                        QApplication::quit();
                    });
                }
                status = QApplication::exec();
                remoteControl.stop();
                if (monitor && monitor->isVisible()) monitor->SaveGeometry();
                // The recordings are finished before the Device and the engine go.
                if (videoOutputs) videoOutputs->stopAll();
                outputs.stopAll();
                theApp.ExitInstance();
                shell.destroyMainFrame();
                break;
            }
            case app::StartResult::SecondInstance: status = 0; break;
            default: status = 1; break;
        }
        ui::UseTranslation(nullptr);
        ui::Factories().launchRemote = nullptr;
        ui::Factories().checkVideo = nullptr;
        ui::Factories().videoInUse = nullptr;
        ui::Factories().editAirPlaylist = nullptr;
        videoPlaylists.SetEditor(nullptr);
    }
    ktgsim::SetEmbeddedFrameCallback(nullptr);
    ktgsim::UnregisterEmbeddedDevice();
    gsmsim::UnregisterEmbeddedModem();
    app::SetMessageBoxes(nullptr);
    return status;
}

#include "ui/control/control_link.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <climits>
#include <cstdlib>

#include "app/control_settings.h"
#include "app/log/event_log.h"
#include "app/mode_manager.h"
#include "app/zentrix_app.h"
#include "device/engine_notes.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/titr_view.h"
#include "ui/mainframe/gui_shell.h"
#include "ui/mainframe/main_frame.h"
#include "ui/qt_message_target.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {
enum : int {
    IDS_CONTROL_LISTENING = 34430,
    IDS_CONTROL_LISTENING_TOKEN = 34431,
    IDS_CONTROL_BAD_LISTEN = 34432,
    IDS_CONTROL_FAILED = 34433,
    IDS_CONTROL_LAMP = 34434,
};

}  // namespace

CGuiControlHost::CGuiControlHost(app::CZentrixApp& app, pages::CFontManager& fonts, Finder finder)
    : LiveControl(app, fonts), finder_(std::move(finder)) {
    target_ = std::make_unique<QtMessageTarget>([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    // The on-air frame comes and goes with the modes: it is looked for, and its state told, at
    // the pace of its own page timer's steps.
    timer_.setInterval(40);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        CAirFrameWnd* w = airWindow();
        if (w != watched_) {
            watched_ = w;
            if (w)
                w->setEngineObserver([this](int code, int value) {
                    if (code == device::NOTE_REQUEST) deviceRequest(value);
                });
        }
        check();
    });
    timer_.start();
}

CGuiControlHost::~CGuiControlHost() {
    timer_.stop();
    if (CAirFrameWnd* w = airWindow(); w && w == watched_) w->setEngineObserver(nullptr);
}

platform::MessageTarget& CGuiControlHost::target() { return *target_; }

CAirFrameWnd* CGuiControlHost::airWindow() const { return finder_.airWindow(); }

CTitrView* CGuiControlHost::liveView() const {
    CAirFrameWnd* w = airWindow();
    if (!w || finder_.shownSlot() != app::VIEW_LIVE) return nullptr;
    return dynamic_cast<CTitrView*>(w->view(app::VIEW_LIVE));
}

air::CAirFrame* CGuiControlHost::frame() {
    CAirFrameWnd* w = airWindow();
    return w ? &w->controller() : nullptr;
}

air::CTitrModel* CGuiControlHost::model() {
    CTitrView* v = liveView();
    return v ? &v->model() : nullptr;
}

std::string CGuiControlHost::mode() {
    switch (finder_.shownSlot()) {
        case app::VIEW_PREVIEW: return "preview";
        case app::VIEW_LIVE: return "live";
        case app::VIEW_AUTOMATION: return "automation";
        case app::VIEW_INTERACTIVE: return "interactive";
        case app::VIEW_CAPTIONS: return "captions";
        case app::VIEW_SMS_CHAT: return "sms chat";
        default: return "air";
    }
}

air::AirFrameWindow* CGuiControlHost::window() { return airWindow(); }

air::CTitrModel::SelectResult CGuiControlHost::select(const air::TitlesNode& node) {
    CTitrView* v = liveView();
    if (!v) return air::CTitrModel::SELECT_REFUSED;
    // Chosen in the view's tree, as the operator chooses: the panel shows it.
    QTreeWidgetItem* item = v->itemOf(node.path);
    if (!item) {
        v->RebuildTree();  // a file added since the tree was read
        item = v->itemOf(node.path);
    }
    if (!item) return v->model().Select(node);
    v->tree()->clearSelection();
    v->tree()->setCurrentItem(item);
    const air::CTitrModel& m = v->model();
    if (m.selectedKind() == node.kind &&
        platform::RealPath(m.selectedPath(), m.selectedPath()) == platform::RealPath(node.path, node.path))
        return air::CTitrModel::SELECT_LOADED;
    return frame()->CanStart() ? air::CTitrModel::SELECT_FAILED : air::CTitrModel::SELECT_REFUSED;
}

bool CGuiControlHost::render() {
    CTitrView* v = liveView();
    if (!v) return false;
    const bool ok = v->model().Render();
    // The fields show what went on air (trimmed).
    if (ok && v->model().selectedKind() == air::TITR_TITLE)
        for (size_t i = 0; i < v->model().titleFields().size() && i < size_t(air::kTitleFieldCount); ++i)
            v->field(int(i))->setText(FromProgramText(v->model().titleFields()[i].text));
    return ok;
}

bool CGuiControlHost::cuePage(const std::string& path) {
    CTitrView* v = liveView();
    return v && v->CueFile(path);
}

void CGuiControlHost::setFieldText(int field, const std::string& text) {
    CTitrView* v = liveView();
    if (!v) return;
    v->model().setFieldText(field, text);
    if (field >= 0 && field < air::kTitleFieldCount) v->field(field)->setText(FromProgramText(text));
}

CControlLink::CControlLink(app::CZentrixApp& app, pages::CFontManager& fonts, CGuiShell& shell,
                           control::ProgramGrabber program)
    : app_(app), fonts_(fonts), shell_(shell), program_(std::move(program)) {
    start();
}

CControlLink::~CControlLink() { stop(); }

void CControlLink::start() {
    status_.clear();
    failed_ = false;
    const app::ControlSettings s = app::LoadControlSettings(app_.profile());
    if (!s.enabled) return;
    control::ServerOptions o;
    std::string why;
    if (!control::ParseListen(s.listen, o.listen, why)) {
        status_ = StrFmt(IDS_CONTROL_BAD_LISTEN, {why});
        failed_ = true;
        return;
    }
    o.token = s.token;
    o.codePage = app_.settings().codePage;
    o.program = program_;
    CGuiControlHost::Finder finder;
    CGuiShell& shell = shell_;
    finder.airWindow = [&shell]() -> CAirFrameWnd* {
        CMainFrame* main = shell.mainFrame();
        return main ? dynamic_cast<CAirFrameWnd*>(main->modes().airFrame()) : nullptr;
    };
    finder.shownSlot = [&shell] {
        CMainFrame* main = shell.mainFrame();
        return main ? main->modes().shownSlot() : int(app::VIEW_NONE);
    };
    host_ = std::make_unique<CGuiControlHost>(app_, fonts_, std::move(finder));
    server_ = std::make_unique<control::ControlServer>(*host_, host_->target(), o);
    if (!server_->start(why)) {
        status_ = StrFmt(IDS_CONTROL_FAILED, {why});
        failed_ = true;
        LogMessage("CControlLink: %s", why.c_str());
        server_.reset();
        host_.reset();
        return;
    }
    host_->attach(&server_->board());
    status_ = StrFmt(o.token.empty() ? IDS_CONTROL_LISTENING : IDS_CONTROL_LISTENING_TOKEN, {server_->url()});
}

void CControlLink::stop() {
    // The server first: its threads may wait for the GUI thread, which does not wait for them.
    if (server_) server_->stop();
    if (host_) host_->attach(nullptr);
    server_.reset();
    host_.reset();
}

void CControlLink::restart() {
    stop();
    start();
    updateLamp();
}

QLabel* CControlLink::makeLamp(QWidget* parent) {
    if (!lamp_) {
        lamp_ = new QLabel(parent);
        lamp_->setObjectName("controlLamp");
    }
    updateLamp();
    return lamp_;
}

void CControlLink::updateLamp() {
    if (!lamp_) return;
    const QString dot = failed_ ? QStringLiteral("<span style='color:#c02020'>&#9679;</span> ")
                                : QStringLiteral("<span style='color:#20a040'>&#9679;</span> ");
    lamp_->setText(dot + StrLine(IDS_CONTROL_LAMP).toHtmlEscaped());
    lamp_->setToolTip(status_);
    lamp_->setVisible(!status_.isEmpty());
}

}  // namespace ui

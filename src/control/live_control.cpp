#include "control/live_control.h"

#include "air/effect_dialog_model.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "control/data_paths.h"
#include "device/embedded_device.h"
#include "device/net_transport.h"
#include "pages/font_manager.h"
#include "platform/files.h"

namespace control {

namespace {

struct ActionName {
    uint16_t action;
    const char* name;
    const char* button;  // as the toolbar names it
};
constexpr ActionName kActions[] = {
    {air::ACTION_PLAY, "play", "Play"},       {air::ACTION_PAUSE, "pause", "Pause"},
    {air::ACTION_NEXT, "next", "Next"},       {air::ACTION_STOP, "stop", "Stop"},
    {air::ACTION_EFFECT, "effect", "Effect"}, {air::ACTION_PREVIOUS, "previous", "Previous"},
};

const char* ButtonOf(uint16_t action) {
    for (const ActionName& a : kActions)
        if (a.action == action) return a.button;
    return "?";
}

// Message boxes of the program while an operation from here runs: the operator is not asked (the
// request did it), and the last text answers the request.
class CapturedBoxes {
public:
    CapturedBoxes() : before_(app::CurrentMessageBoxes()) { app::SetMessageBoxes(&boxes_); }
    ~CapturedBoxes() { app::SetMessageBoxes(&before_); }
    CapturedBoxes(const CapturedBoxes&) = delete;
    CapturedBoxes& operator=(const CapturedBoxes&) = delete;
    std::string last(const std::string& otherwise) const {
        if (!boxes_.count()) return otherwise;
        std::string t = boxes_.lastText();
        for (char& c : t)
            if (c == '\n' || c == '\r') c = ' ';
        // "Error opening file:  /x" reads better with one blank.
        for (size_t p; (p = t.find("  ")) != std::string::npos;) t.erase(p, 1);
        return t;
    }

private:
    app::MessageBoxes& before_;
    app::HeadlessMessageBoxes boxes_;
};

// Forwards the frame's window calls to the window it had, and answers the Effect dialog with the
// changes of the request, made as the dialog makes them (each value kept in its range).
class EffectWindow final : public air::AirFrameWindow {
public:
    EffectWindow(air::AirFrameWindow* inner, const EffectChanges& changes) : inner_(inner), changes_(changes) {}
    void EnableActions(uint16_t a) override {
        if (inner_) inner_->EnableActions(a);
    }
    void ShowTimes(const std::string& f, const std::string& s) override {
        if (inner_) inner_->ShowTimes(f, s);
    }
    void SetIndicator(int pane, int state) override {
        if (inner_) inner_->SetIndicator(pane, state);
    }
    void Beep() override {}
    bool EditEffect(air::ShowParams& params, const air::PageMotion* page, bool outApplies,
                    bool scrollApplies) override {
        using M = air::CEffectDialogModel;
        M m(params, page, outApplies, scrollApplies);
        for (const EffectChange& c : changes_) {
            const int v = c.value;
            switch (c.control) {
                case M::FIXED_TIME: m.setTimeChoice(v ? M::TimeChoice::Fixed : M::TimeChoice::Variable); break;
                case M::VARIABLE_TIME: m.setTimeChoice(v ? M::TimeChoice::Variable : M::TimeChoice::Fixed); break;
                case M::SHOW_TIME: m.setShowTime(v); break;
                case M::PLUS_TIME: m.setPlusTime(v); break;
                case M::SCROLL_SPEED: m.setScrollSpeed(v); break;
                case M::STOP_SCROLLING: m.setStopScrolling(v != 0); break;
                case M::IN_TYPE: m.setInType(v); break;
                case M::IN_SPEED: m.setInSpeed(v); break;
                case M::IN_BORDER: m.setInBorder(v); break;
                case M::IN_FADE: m.setInFade(v != 0); break;
                case M::IN_NEW_MOVES: m.setInNewMoves(v != 0); break;
                case M::IN_OLD_MOVES: m.setInOldMoves(v != 0); break;
                case M::OUT_TYPE: m.setOutType(v); break;
                case M::OUT_SPEED: m.setOutSpeed(v); break;
                case M::OUT_BORDER: m.setOutBorder(v); break;
                case M::OUT_FADE: m.setOutFade(v != 0); break;
                case M::OUT_MOVES: m.setOutMoves(v != 0); break;
                default: break;
            }
        }
        params = m.apply(params);
        return true;
    }
    void RebuildHotkeys(const air::HotkeyTable& t) override {
        if (inner_) inner_->RebuildHotkeys(t);
    }

private:
    air::AirFrameWindow* inner_;
    const EffectChanges& changes_;
};

std::string StemOf(const std::string& path) {
    std::string name = platform::FileNameOf(path);
    return name.substr(0, name.size() - platform::ExtensionOfPath(name).size());
}

}  // namespace

uint16_t ActionOfName(std::string_view name) {
    for (const ActionName& a : kActions)
        if (name == a.name) return a.action;
    return 0;
}

const char* NameOfAction(uint16_t action) {
    for (const ActionName& a : kActions)
        if (a.action == action) return a.name;
    return "";
}

std::string ContentOfKind(uint16_t kind) {
    if (kind & air::KIND_PAGE) return (kind & air::KIND_SINGLE) ? "page" : "sequence";
    if (kind & air::KIND_CLOCK) return "clock";
    if (kind & air::KIND_BANNER) return "banner";
    if (kind & air::KIND_CAPTION) return "caption";
    if (kind & air::KIND_INTERACTIVE) return "interactive";
    if (kind & air::KIND_VIDEO_PLAYLIST) return "video playlist";
    if (kind & air::KIND_VIDEO) return "video";
    return "";
}

LiveControl::LiveControl(app::CZentrixApp& app, pages::CFontManager& fonts) : app_(app), fonts_(fonts) {}

std::string LiveControl::device() const {
    if (device::LinkUsesEmbeddedDevice(app_)) return "embedded";
    return app_.profile().getString(device::kEthernetSection, device::kHostsKey);
}

AirSnapshot LiveControl::Snapshot() {
    AirSnapshot s;
    s.device = device();
    s.root = app_.GetPath(app::FOLDER_ROOT);
    air::CAirFrame* f = frame();
    if (!f) return s;
    s.frameOpen = true;
    s.mode = mode();
    s.frame = f->State();
    s.canStart = f->CanStart();
    s.isOnAir = f->IsOnAir();
    s.pageOnAir = f->airLog().pageOnAir();
    s.content = ContentOfKind(s.frame.kind);
    if (s.frame.kind & air::KIND_PAGE && !(s.frame.kind & air::KIND_SINGLE) && f->playedSequence())
        s.listCount = int(f->playedSequence()->count());
    air::CTitrModel* m = model();
    if (m && m->selectedKind() != air::TITR_NONE) {
        s.file = NameBelowRoot(s.root, m->selectedPath());
        if (m->selectedKind() == air::TITR_TITLE && (s.frame.kind & air::KIND_SINGLE)) s.content = "title";
    } else if (s.frame.kind != 0 && startedKind_ == (s.frame.kind & ~air::KIND_VIDEO_LOOP)) {
        s.file = started_;
    }
    if (s.frame.kind == 0) {
        started_.clear();
        startedKind_ = 0;
    }
    return s;
}

OpResult LiveControl::Action(uint16_t action, const EffectChanges* changes, air::ShowParams* applied) {
    air::CAirFrame* f = frame();
    if (!f) return OpResult::Fail(409, "no on-air mode is open");
    if (action == 0) return OpResult::Fail(404, "no such action");
    const air::AirFrameState st = f->State();
    if (!st.linkUp && !st.emulate) return OpResult::Fail(503, "the Device link is down");
    const bool enabled = (st.actions & action) != 0;
    LogMessage("Control: %s%s", NameOfAction(action), enabled ? "" : " (not enabled)");
    OpResult r;
    if (action == air::ACTION_EFFECT) {
        if (!enabled) return OpResult::Fail(409, "Effect is not enabled now: it edits the cued single page");
        if (!changes || changes->empty())
            return OpResult::Fail(400, "Effect takes the show parameters to change on the cued page");
        air::AirFrameWindow* inner = window();
        EffectWindow w(inner, *changes);
        f->setWindow(&w);
        f->Effect();
        f->setWindow(inner);
    } else {
        f->OnCommand(action == air::ACTION_PLAY    ? air::CMD_PLAY
                     : action == air::ACTION_PAUSE ? air::CMD_PAUSE
                     : action == air::ACTION_NEXT  ? air::CMD_NEXT
                     : action == air::ACTION_STOP  ? air::CMD_STOP
                                                   : air::CMD_PREVIOUS);
        if (!enabled) {
            const bool remembered = f->State().delayedAction == action;
            r = OpResult::Fail(409, std::string(ButtonOf(action)) + " is not enabled now" +
                                        (remembered ? "; it is remembered and carried out as soon as it is" : ""));
        }
    }
    if (applied) *applied = f->showParams();
    changed();
    return r;
}

OpResult LiveControl::resolve(const std::string& name, int folder, std::string& path) const {
    std::string why;
    const std::string root = app_.GetPath(app::FOLDER_ROOT);
    const PathResult r = ResolveDataPath(root, name, path, why);
    if (r == PATH_BAD) return OpResult::Fail(400, name + ": " + why);
    if (r == PATH_MISSING) return OpResult::Fail(404, name + ": " + why);
    if (folder != app::FOLDER_ROOT && !IsInside(app_.GetPath(folder), path))
        return OpResult::Fail(404,
                              name + ": not in the titles folder (" + NameBelowRoot(root, app_.GetPath(folder)) + ")");
    return OpResult::Ok();
}

OpResult LiveControl::canStartNow(air::CAirFrame& f) const {
    const air::AirFrameState st = f.State();
    if (!st.linkUp) return OpResult::Fail(503, "the Device link is down");
    if (!f.CanStart()) return OpResult::Fail(409, "the air frame cannot start now (" + air::AirStateText(st) + ")");
    return OpResult::Ok();
}

OpResult LiveControl::Titles(std::vector<air::TitlesNode>& tree, std::string& root) {
    air::TitlesTreeOptions options;
    options.mpegBoards = (app_.hardwareState() & app::HW_MPEG) != 0;
    if (air::CTitrModel* m = model()) options.playableKinds = m->playableKinds();
    else options.playableKinds = air::TITR_TITLE | air::TITR_SEQUENCE;
    tree = air::BuildTitlesTree(app_.folders(), options);
    root = app_.GetPath(app::FOLDER_ROOT);
    return OpResult::Ok();
}

OpResult LiveControl::TitleFields(const std::string& name, TitleInfo& out) {
    std::string path;
    if (OpResult r = resolve(name, app::FOLDER_TITLES, path); !r.ok()) return r;
    if (!fonts_.HasFonts()) return OpResult::Fail(409, "there are no fonts in " + fonts_.folder());
    air::CSeqDoc seq(app_.folders(), platform::SystemClock::instance());
    pages::CPageDoc page(fonts_);
    pages::CPageImage image;
    const int code = air::LoadTitleTemplate(path, seq, page, image, out.fields);
    if (code == air::TITLE_EMPTY) return OpResult::Fail(400, name + ": the title's sequence is empty");
    if (code != 0) {
        const std::string about = seq.items.empty() ? path : seq.FullPath(seq.items.front());
        std::string text = app::FileResultText(code, about);
        for (char& c : text)
            if (c == '\n' || c == '\r') c = ' ';
        return OpResult::Fail(400, text);
    }
    // The texts Live mode shows for it: those of its last playing, else the template's.
    if (air::CTitrModel* m = model())
        if (const std::vector<std::string>* cached = m->cache().find(path))
            for (size_t i = 0; i < out.fields.size() && i < cached->size(); ++i) out.fields[i].text = (*cached)[i];
    out.path = NameBelowRoot(app_.GetPath(app::FOLDER_ROOT), path);
    out.page = seq.items.front().pageName;
    out.showTime = seq.items.front().ShowTime();
    return OpResult::Ok();
}

OpResult LiveControl::RenderTitle(const std::string& name, const std::vector<FieldValue>& values, bool play,
                                  TitleInfo& out) {
    air::CAirFrame* f = frame();
    if (!f) return OpResult::Fail(409, "no on-air mode is open");
    if (!model()) return OpResult::Fail(409, "titles are rendered in Live mode, which is not open");
    std::string path;
    if (OpResult r = resolve(name, app::FOLDER_TITLES, path); !r.ok()) return r;
    if (OpResult r = canStartNow(*f); !r.ok()) return r;
    CapturedBoxes boxes;
    air::TitlesNode node;
    node.kind = air::TITR_TITLE;
    node.path = path;
    node.text = StemOf(path);
    const air::CTitrModel::SelectResult sel = select(node);
    if (sel == air::CTitrModel::SELECT_REFUSED)
        return OpResult::Fail(409, "the air frame cannot take a title now (" + air::AirStateText(f->State()) + ")");
    if (sel != air::CTitrModel::SELECT_LOADED)
        return OpResult::Fail(400, boxes.last(name + ": the title cannot be read"));
    air::CTitrModel& m = *model();
    // Every text is checked before any is set: a request with a wrong label changes nothing.
    std::vector<int> targets;
    for (const FieldValue& v : values) {
        int i = -1;
        if (!v.label.empty()) {
            for (size_t k = 0; k < m.titleFields().size(); ++k)
                if (m.titleFields()[k].label == v.label) i = int(k);
        } else if (v.index >= 0 && v.index < int(m.titleFields().size())) {
            i = v.index;
        }
        if (i < 0) {
            std::string list;
            for (const air::TitleField& tf : m.titleFields()) list += (list.empty() ? "\"" : ", \"") + tf.label + "\"";
            return OpResult::Fail(400, "the title has no field " +
                                           (v.label.empty() ? std::to_string(v.index + 1) : "\"" + v.label + "\"") +
                                           "; its fields: " + (list.empty() ? "none" : list));
        }
        targets.push_back(i);
    }
    for (size_t k = 0; k < values.size(); ++k) setFieldText(targets[k], values[k].text);
    if (!render()) return OpResult::Fail(409, boxes.last("the title cannot be started now"));
    started_ = NameBelowRoot(app_.GetPath(app::FOLDER_ROOT), path);
    startedKind_ = air::KIND_PAGE | air::KIND_SINGLE;
    if (play) f->OnPlay();  // carried out once the title is cued
    out.path = started_;
    if (!m.sequence().items.empty()) out.page = m.sequence().items.front().pageName;
    out.fields = m.titleFields();
    out.summary = m.lastSummary();
    out.showTime = m.titleParams().showTime;
    changed();
    return OpResult::Ok();
}

OpResult LiveControl::Play(const std::string& name, bool play) {
    air::CAirFrame* f = frame();
    if (!f) return OpResult::Fail(409, "no on-air mode is open");
    if (!model()) return OpResult::Fail(409, "files are started in Live mode, which is not open");
    std::string path;
    if (OpResult r = resolve(name, app::FOLDER_ROOT, path); !r.ok()) return r;
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(path));
    int kind = 0;
    uint16_t frameKind = 0;
    if (ext == ".zxs") kind = air::TITR_SEQUENCE, frameKind = air::KIND_PAGE;
    else if (ext == ".zck") kind = air::TITR_CLOCK, frameKind = air::KIND_CLOCK;
    else if (ext == ".zxa") kind = air::TITR_BANNER, frameKind = air::KIND_BANNER;
    else if (ext == ".zxg") frameKind = air::KIND_PAGE | air::KIND_SINGLE;
    else return OpResult::Fail(400, name + ": plays sequences (.zxs), pages (.zxg), clocks (.zck) and banners (.zxa)");
    if (kind && !(model()->playableKinds() & kind))
        return OpResult::Fail(409, name + ": this program has nothing to play a " + ContentOfKind(frameKind) + " with");
    if (OpResult r = canStartNow(*f); !r.ok()) return r;
    CapturedBoxes boxes;
    if (!kind) {
        if (!cuePage(path)) return OpResult::Fail(400, boxes.last(name + ": the page cannot be started"));
    } else {
        air::TitlesNode node;
        node.kind = kind;
        node.path = path;
        node.text = StemOf(path);
        const air::CTitrModel::SelectResult sel = select(node);
        if (sel == air::CTitrModel::SELECT_REFUSED)
            return OpResult::Fail(409, "the air frame cannot start now (" + air::AirStateText(f->State()) + ")");
        if (sel != air::CTitrModel::SELECT_LOADED)
            return OpResult::Fail(400, boxes.last(name + ": the file cannot be read"));
        // Fast mode has started it on selection already.
        const bool startedBySelect = model()->fastLoad() && !f->CanStart();
        if (!startedBySelect && !render())
            return OpResult::Fail(409, boxes.last(kind == air::TITR_SEQUENCE ? name + ": no page of it is checked"
                                                                             : name + ": it cannot be started now"));
    }
    started_ = NameBelowRoot(app_.GetPath(app::FOLDER_ROOT), path);
    startedKind_ = frameKind;
    if (play) f->OnPlay();  // carried out once the content is cued
    changed();
    return OpResult::Ok();
}

void LiveControl::attach(StateBoard* board) {
    board_ = board;
    airLog_.reset();
    check();
}

void LiveControl::check() {
    if (!board_) return;
    board_->update(Snapshot());
    air::CAirFrame* f = frame();
    if (!f) return;
    const std::string path = f->airLog().path();
    if (!airLog_ || airLog_->path() != path) airLog_ = std::make_unique<LogFollower>(path);
    airLog_->poll([this](std::string_view line) { board_->airLogLine(line); });
}

void LiveControl::deviceRequest(int code) {
    if (board_) board_->deviceRequest(code);
}

bool LiveControl::Preview(pages::CBitmap32& out) {
    air::CTitrModel* m = model();
    if (!m || m->onAirPreview().empty()) return false;
    out = m->onAirPreview();
    return true;
}

}  // namespace control

#include "demo/chat_playout.h"

#include <cstdio>
#include <memory>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "demo/snapshot_writer.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "pages/file_result.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "sms/chat_model.h"
#include "sms/sms_engine.h"

namespace demo {

namespace {

// The list and status as the view would show them, printed.
class PrintPanel final : public sms::ChatPanel {
public:
    PrintPanel(std::ostream& out, const sms::CChatModel& chat, int codePage, std::function<std::string()> when)
        : out_(out), chat_(chat), cp_(codePage), when_(std::move(when)) {}
    void StatusChanged(const std::string& text) override {
        out_ << when_() << "  status: " << cp_.toUtf8(text) << std::endl;
    }
    void CountChanged(int n) override { out_ << when_() << "  total SMS received: " << n << std::endl; }
    void RowAdded(int row) override { print('+', row); }
    void RowChanged(int row) override { print('~', row); }
    void RowRemoved(int row) override { out_ << when_() << "  - row " << row + 1 << std::endl; }

private:
    void print(char what, int row) {
        const auto r = chat_.RowTexts(row);
        out_ << when_() << "  " << what << " #" << r[0] << " " << r[1] << " " << r[2] << " "
             << (r[3].empty() ? std::string("(by hand)") : cp_.toUtf8(r[3])) << ": " << OneLine(cp_.toUtf8(r[4]))
             << std::endl;
    }
    std::ostream& out_;
    const sms::CChatModel& chat_;
    platform::CodePage cp_;
    std::function<std::string()> when_;
};

}  // namespace

CChatPlayout::CChatPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                           platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CChatPlayout::~CChatPlayout() = default;

int CChatPlayout::Run(const ChatPlayOptions& o, std::string& error) {
    snapshots_.clear();
    shown_.clear();
    listed_.clear();
    received_ = 0;
    std::unique_ptr<CSnapshotWriter> writer;
    std::string snapDir;
    if (!o.snapshots.empty()) {
        snapDir = app::WithSlash(o.snapshots);
        if (!platform::MakeDirectories(snapDir)) {
            error = "cannot create the snapshots folder " + o.snapshots;
            return PLAY_OUTPUT_ERROR;
        }
        writer = std::make_unique<CSnapshotWriter>();
    }
    platform::Clock& clock = loop_.clock();
    uint32_t t0 = clock.ticks();
    auto when = [&] {
        char s[32];
        std::snprintf(s, sizeof s, "%7.1f s", (clock.ticks() - t0) / 1000.0);
        return std::string(s);
    };

    int linkError = 0;
    bool cuedOnce = false;
    air::CAirSession session(app_, engine_, fonts_, loop_);
    air::CAirFrame& frame = session.frame();
    sms::EngineOptions engineOptions;
    engineOptions.timeScale = o.timeScale;
    engineOptions.makePort = [this](int index) { return sms::MakeConfiguredPort(app_, index); };
    sms::CSMSEngine smsEngine(engineOptions);
    sms::SmsChatEngine chatEngine(smsEngine);
    sms::CChatModel* current = nullptr;
    // The engine's notifications reach the model on the loop; what is still queued when the
    // run ends is dropped with the target.
    platform::LoopTarget owner(loop_, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        return current ? current->OnMessage(msg, w, l) : 0;
    });
    sms::CChatModel chat(app_, fonts_, frame, session.page(), session.image(), loop_, clock, chatEngine);
    PrintPanel panel(out_, chat, app_.settings().codePage, when);
    chat.setPanel(&panel);
    chat.setOwner(&owner);
    current = &chat;
    session.setEngineObserver([&](int c, int value) {
        if (c == device::NOTE_LINK_ERROR || c == device::NOTE_COMMAND_ERROR) linkError = value;
    });
    session.setViewObserver([&](int c, intptr_t) {
        if (c == air::AIRNOTE_PREVIEW && frame.State().linkUp) cuedOnce = true;
        chat.OnAirNote(c);
    });
    auto finish = [&](int status) {
        chat.Stop();
        current = nullptr;
        chat.setPanel(nullptr);
        if (writer) {
            const std::string failed = writer->finish();
            if (!failed.empty() && status == PLAY_OK) {
                error = "cannot write " + failed;
                return int(PLAY_OUTPUT_ERROR);
            }
            if (status == PLAY_OK) out_ << snapshots_.size() << " snapshots in " << o.snapshots << "\n";
        }
        return status;
    };

    const int code = chat.OpenTemplate(o.templ);
    if (code != 0) {
        error = code == sms::IDS_CHAT_EMPTY || code == sms::IDS_CHAT_NO_FRAMES
                    ? o.templ + ": " + app::LoadString(code)
                    : OneLine(app::FileResultText(code, o.templ));
        return finish(PLAY_FILE_ERROR);
    }
    out_ << "template " << o.templ << ": message frame " << chat.messageFrame() + 1 << ", "
         << chat.showParams().showTime << " s" << (chat.verticalFilter() ? ", filtered" : "") << "; "
         << chat.filter().words().size() << " filter words" << (chat.filter().partial ? ", partial" : "")
         << (chat.filter().deleteWord ? ", deleting" : ", masking") << (chat.fastMode() ? "; fast mode" : "")
         << std::endl;

    session.Open();
    const bool ready = session.RunUntil(
        [&] { return (o.interrupted && o.interrupted->load()) || linkError != 0 || cuedOnce; }, o.linkWaitMs);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted before the start";
        return finish(PLAY_INTERRUPTED);
    }
    if (linkError || !ready) {
        error = linkError ? "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError))
                          : "the Device did not answer";
        return finish(PLAY_LINK_ERROR);
    }

    t0 = clock.ticks();
    chat.Start();
    int32_t lastState = -1;
    std::string onAirText;  // the message taken last
    int lastShow = sms::SHOW_NOTHING;
    size_t seen = 0;
    std::vector<bool> wasShown;
    session.RunUntil(
        [&] {
            if ((o.interrupted && o.interrupted->load()) || linkError) return true;
            // New rows: listed, and queued when told so.
            const auto& list = chat.messages();
            for (; seen < list.size(); ++seen) {
                listed_.push_back(list[seen].text);
                if (o.queueAll && list[seen].state == sms::CHAT_DELAYED) chat.ToggleQueue(int(seen));
            }
            received_ = chat.received();
            const int show = chat.showState();
            // Played and gone (the next one may already be on its way).
            if (lastShow == sms::SHOW_PLAYING && show != sms::SHOW_PLAYING) shown_.push_back(onAirText);
            // The message the timer took since the last look is the one going on air.
            wasShown.resize(list.size(), false);
            for (size_t i = 0; i < list.size(); ++i)
                if (list[i].state == sms::CHAT_SHOWN && !wasShown[i]) {
                    wasShown[i] = true;
                    onAirText = list[i].text;
                }
            lastShow = show;
            const int32_t st = frame.State().state;
            if (st != lastState) {
                lastState = st;
                out_ << when() << "  " << air::AirStateName(st) << std::endl;
                if (writer && grabber_) {
                    pages::CBitmap32 pic;
                    if (grabber_(pic)) {
                        char name[64];
                        std::snprintf(name, sizeof name, "%04zu-%s.png", snapshots_.size() + 1,
                                      air::AirStateName(st).c_str());
                        const bool onAir = frame.IsOnAir() && show == sms::SHOW_PLAYING;
                        snapshots_.push_back({name, onAir ? onAirText : std::string(), onAir});
                        writer->put(snapDir + name, std::move(pic));
                    }
                }
            }
            return int(shown_.size()) >= o.count;
        },
        UINT32_MAX);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted after " + std::to_string(shown_.size()) + " of " + std::to_string(o.count) + " messages";
        return finish(PLAY_INTERRUPTED);
    }
    if (linkError) {
        error = "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError));
        return finish(PLAY_LINK_ERROR);
    }
    const int status = finish(PLAY_OK);
    if (status == PLAY_OK) out_ << shown_.size() << " messages shown" << std::endl;
    LogMessage("CChatPlayout::Run %s: %d messages", o.templ.c_str(), int(shown_.size()));
    return status;
}

}  // namespace demo

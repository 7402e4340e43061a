#include "demo/itv_playout.h"

#include <cstdio>
#include <memory>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "demo/snapshot_writer.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "interactive/adapter_port.h"
#include "interactive/interactive.h"
#include "interactive/itv_model.h"
#include "interactive/itv_result.h"
#include "interactive/usb_engine.h"
#include "pages/file_result.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "sms/serial_settings.h"
#include "sms/sms_engine.h"

namespace demo {

namespace {

using namespace interactive;

// The engines of this run, their times scaled with the Device's.
class PlayoutHardware final : public ItvHardware {
public:
    PlayoutHardware(app::CZentrixApp& app, double scale)
        : app_(app), adapter_(adapterOptions(app, scale)), sms_(smsOptions(app, scale)) {}
    // The settings as they are now: a run may change the hardware between a Stop and a Start.
    int OpenAdapter(platform::MessageTarget* owner) override {
        const app::Settings& s = app_.settings();
        adapter_.Configure(s.itvPortNo, s.useCID != 0, s.cidLength, s.itvModel, s.cidType);
        return adapter_.Open(owner);
    }
    void CloseAdapter() override { adapter_.Close(); }
    bool StartLines(uint8_t lines, uint16_t value) override { return adapter_.StartLines(lines, value); }
    bool WriteVoice(uint8_t lines, uint16_t length, uint8_t* data) override {
        return adapter_.WriteVoiceMessage(lines, length, data);
    }
    bool ReadVoice(uint8_t mask, uint8_t* buffer) override { return adapter_.ReadVoiceMessage(mask, buffer); }
    void AbortVoice() override { adapter_.AbortTransfer(); }
    void OpenSms(platform::MessageTarget* owner, int port, uint32_t baud, bool list, bool del, bool me) override {
        sms_.Open(owner, port, baud, list, del, me);
    }
    void CloseSms() override { sms_.Close(); }
    bool StartUsb(platform::MessageTarget* w, const std::string& library, bool useCID, bool aoh,
                  int cidLength) override {
        CUSBEngine::Instance().SetLibrarySetting(library);
        return CUSBEngine::Instance().Start(w, useCID, aoh, cidLength);
    }
    void StopUsb() override { CUSBEngine::Instance().Stop(); }
    UsbCalls& usbCalls() override { return CUSBEngine::Instance().calls(); }
    uint32_t usbMessage() const override { return CUSBEngine::Message(); }

private:
    // The port as this application's settings name it (the process's application may be another).
    static InteractiveOptions adapterOptions(app::CZentrixApp& app, double scale) {
        InteractiveOptions o;
        o.timeScale = scale;
        o.makePort = [&app, scale](int index, int version, int& result) -> std::unique_ptr<AdapterPort> {
            std::string device = sms::SerialDevice(app.profile(), index);
            if (device == sms::kSimDevice) {
                const EmbeddedAdapter embedded = GetEmbeddedAdapter();
                device = embedded.devicePath ? embedded.devicePath(index, version) : std::string();
            }
            auto port = std::make_unique<SerialAdapterPort>(scale);
            result = device.empty() ? int(ITV_NO_PORT) : port->Open(device, version);
            if (result != ITV_OK) return nullptr;
            return port;
        };
        return o;
    }
    static sms::EngineOptions smsOptions(app::CZentrixApp& app, double scale) {
        sms::EngineOptions o;
        o.timeScale = scale;
        o.makePort = [&app](int index) { return sms::MakeConfiguredPort(app, index); };
        return o;
    }
    app::CZentrixApp& app_;
    CInteractive adapter_;
    sms::CSMSEngine sms_;
};

class PrintPanel final : public ItvPanel {
public:
    PrintPanel(std::ostream& out, int codePage, std::function<std::string()> when)
        : out_(out), cp_(codePage), when_(std::move(when)) {}
    void GsmStatusChanged(const std::string& t) override { out_ << when_() << "  gsm: " << cp_.toUtf8(t) << std::endl; }
    void UsbStatusChanged(const std::string& t) override { out_ << when_() << "  usb: " << cp_.toUtf8(t) << std::endl; }

private:
    std::ostream& out_;
    platform::CodePage cp_;
    std::function<std::string()> when_;
};

}  // namespace

std::unique_ptr<ItvHardware> MakePlayoutHardware(app::CZentrixApp& app, double scale) {
    return std::make_unique<PlayoutHardware>(app, scale);
}

CItvPlayout::CItvPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                         platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CItvPlayout::~CItvPlayout() = default;

int CItvPlayout::Run(const ItvPlayOptions& o, std::string& error) {
    votes_.clear();
    snapshotFiles_.clear();
    counts_.clear();
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
    const platform::CodePage cp(app_.settings().codePage);

    int linkError = 0;
    air::CAirSession session(app_, engine_, fonts_, loop_);
    air::CAirFrame& frame = session.frame();
    const std::unique_ptr<ItvHardware> hardware = MakePlayoutHardware(app_, o.timeScale);
    CITVModel* current = nullptr;
    platform::LoopTarget owner(loop_, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        return current ? current->OnMessage(msg, w, l) : 0;
    });
    CITVModel model(app_, fonts_, frame, loop_, clock, *hardware);
    PrintPanel panel(out_, app_.settings().codePage, when);
    model.setPanel(&panel);
    model.setOwner(&owner);
    current = &model;
    session.setEngineObserver([&](int c, int value) {
        if (c == device::NOTE_LINK_ERROR || c == device::NOTE_COMMAND_ERROR) linkError = value;
    });
    session.setViewObserver([&](int c, intptr_t v) { model.OnMessage(platform::MSG_AIR, uintptr_t(c), v); });
    auto finish = [&](int status) {
        model.Stop();
        current = nullptr;
        model.setPanel(nullptr);
        if (writer) {
            const std::string failed = writer->finish();
            if (!failed.empty() && status == PLAY_OK) {
                error = "cannot write " + failed;
                return int(PLAY_OUTPUT_ERROR);
            }
            if (status == PLAY_OK) out_ << snapshotFiles_.size() << " snapshots in " << o.snapshots << "\n";
        }
        return status;
    };

    const int code = model.Load(o.system);
    if (code != 0) {
        error = code == IDS_ITV_NO_FRAMES || code == IDS_ITV_FRAME_NOT_FOUND
                    ? o.system + ": " + OneLine(app::LoadString(code))
                    : OneLine(app::FileResultText(code, o.system));
        return finish(PLAY_FILE_ERROR);
    }
    const CITVDoc& doc = model.doc();
    out_ << "system " << o.system << ": " << doc.answers << " answers, model "
         << (model.hardwareConfigured() ? std::to_string(app_.settings().itvModel) : std::string("none")) << std::endl;

    session.Open();
    const bool ready = session.RunUntil(
        [&] { return (o.interrupted && o.interrupted->load()) || linkError != 0 || frame.CanStart(); }, o.linkWaitMs);
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
    model.Start();
    int32_t lastState = -1;
    size_t printed = 0;
    session.RunUntil(
        [&] {
            if ((o.interrupted && o.interrupted->load()) || linkError) return true;
            const uint32_t elapsed = clock.ticks() - t0;
            if (o.during && o.during(model, elapsed)) return true;
            const auto& log = model.counter().log();
            for (; printed < log.size(); ++printed) {
                votes_.push_back(model.counter().LogLine(printed));
                out_ << when() << "  vote " << cp.toUtf8(votes_.back()) << std::endl;
            }
            const int32_t st = frame.State().state;
            if (st == air::AIR_CUED && lastState != air::AIR_CUED) frame.OnPlay();
            if (st != lastState) {
                // After each flip (and once on air) the program output as it stands.
                if (st == air::AIR_ITV_RUN && (writer || o.flipped) && grabber_) {
                    pages::CBitmap32 pic;
                    if (grabber_(pic)) {
                        if (o.flipped) o.flipped(pic);
                        if (writer) {
                            char name[64];
                            std::snprintf(name, sizeof name, "%04zu-flip.png", snapshotFiles_.size() + 1);
                            snapshotFiles_.push_back(name);
                            writer->put(snapDir + name, std::move(pic));
                        }
                    }
                }
                if (st < air::AIR_ITV_COPYING || st > air::AIR_ITV_RUN)
                    out_ << when() << "  " << air::AirStateName(st) << std::endl;
                lastState = st;
            }
            return elapsed >= o.forMs;
        },
        UINT32_MAX);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted";
        return finish(PLAY_INTERRUPTED);
    }
    if (linkError) {
        error = "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError));
        return finish(PLAY_LINK_ERROR);
    }
    model.Stop();
    const CVoteCounter& c = model.counter();
    for (int i = 0; i < doc.answers; ++i) {
        counts_.push_back(c.votes(i));
        out_ << "answer " << i + 1 << " " << cp.toUtf8(doc.answerTexts[size_t(i)]) << ": " << c.votes(i) << " ("
             << PercentText(c.percent(i), doc.decimals) << ")" << std::endl;
    }
    total_ = c.total();
    sms_ = c.smsCount();
    out_ << "total " << total_ << ", logged " << c.log().size() << ", SMS received " << sms_ << std::endl;
    if (!o.log.empty() && !model.SaveLog(o.log)) {
        error = "cannot write " + o.log;
        return finish(PLAY_OUTPUT_ERROR);
    }
    return finish(PLAY_OK);
}

}  // namespace demo

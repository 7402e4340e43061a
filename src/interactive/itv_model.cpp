#include "interactive/itv_model.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "air/air_frame.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "interactive/interactive.h"
#include "interactive/itv_result.h"
#include "interactive/usb_engine.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "sms/chat_filter.h"
#include "sms/sms_engine.h"
#include "sms/status_text.h"

namespace interactive {

namespace {

constexpr char kSection[] = "ITV";

std::string SoundKey(int i) { return "SoundFile" + std::to_string(i + 1); }

class PanelProgress final : public pages::CompileProgress {
public:
    explicit PanelProgress(ItvPanel& panel) : panel_(panel) {}
    void SetRange(int steps) override { steps_ = std::max(steps, 1); }
    void Step() override { panel_.StepProgress(std::min(100, ++done_ * 100 / steps_)); }

private:
    ItvPanel& panel_;
    int steps_ = 1;
    int done_ = 0;
};

class ProcessHardware final : public ItvHardware {
public:
    int OpenAdapter(platform::MessageTarget* owner) override { return CInteractive::Instance().Open(owner); }
    void CloseAdapter() override { CInteractive::Instance().Close(); }
    bool StartLines(uint8_t lines, uint16_t value) override {
        return CInteractive::Instance().StartLines(lines, value);
    }
    void OpenSms(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                 bool deleteAfterReading, bool preferPhoneMemory) override {
        sms::CSMSEngine::Instance().Open(owner, portIndex, baudRate, listPeriodically, deleteAfterReading,
                                         preferPhoneMemory);
    }
    void CloseSms() override { sms::CSMSEngine::Instance().Close(); }
    bool StartUsb(platform::MessageTarget* window, bool useCID, bool aoh, int cidLength) override {
        return CUSBEngine::Instance().Start(window, useCID, aoh, cidLength);
    }
    void StopUsb() override { CUSBEngine::Instance().Stop(); }
    UsbCalls& usbCalls() override { return CUSBEngine::Instance().calls(); }
    uint32_t usbMessage() const override { return CUSBEngine::Message(); }
};

}  // namespace

std::unique_ptr<ItvHardware> MakeProcessHardware() { return std::make_unique<ProcessHardware>(); }

// ---- Settings -------------------------------------------------------------------------------

ItvSettings ItvSettings::Load(const app::Profile& ini, const std::string& root) {
    ItvSettings s;
    s.fileName = platform::NormaliseDataName(ini.getString(kSection, "FileName"));
    if (!s.fileName.empty() && s.fileName.front() != '/' && !root.empty())
        s.fileName = platform::JoinPath(root, s.fileName);
    s.logFile = platform::NormaliseDataName(ini.getString(kSection, "LogFile"));
    s.soundFile = platform::NormaliseDataName(ini.getString(kSection, "SoundFile"));
    for (int i = 0; i < kItvAnswers; ++i)
        s.soundFiles[size_t(i)] = platform::NormaliseDataName(ini.getString(kSection, SoundKey(i)));
    s.buttons = ini.getInt(kSection, "Buttons", 1) != 0;
    s.showClock = ini.getInt(kSection, "ShowClock", 1) != 0;
    s.showTemp = ini.getInt(kSection, "ShowTemp", 1) != 0;
    s.lastTemp = ini.getInt(kSection, "LastTemp", kItvDefaultTemperature);
    return s;
}

void ItvSettings::Save(app::Profile& ini) const {
    app::Profile::Batch batch(ini);
    ini.putString(kSection, "FileName", fileName);
    ini.putString(kSection, "LogFile", logFile);
    ini.putString(kSection, "SoundFile", soundFile);
    ini.putInt(kSection, "ShowClock", showClock ? 1 : 0);
    ini.putInt(kSection, "ShowTemp", showTemp ? 1 : 0);
    ini.putInt(kSection, "LastTemp", lastTemp);
}

// ---- SMS votes ------------------------------------------------------------------------------

int SmsAnswer(const CITVDoc& doc, std::string_view text) {
    const std::string upper = sms::ChatUpperText(text);
    const int answers = std::clamp(doc.answers, 0, kItvAnswers);
    for (int i = 0; i < answers; ++i) {
        const std::string& keyword = doc.keywords[size_t(i)];
        if (keyword.empty()) continue;  // it would be found in every message
        if (upper.find(sms::ChatUpperText(keyword)) != std::string::npos) return i;
    }
    return -1;
}

bool SmsVote(const CITVDoc& doc, const sms::SMSRecord& record, CallRecord& out) {
    if (record.kind != sms::SMS_KIND_DELIVER) return false;
    // The record comes from the engine's decoder on another thread: lengths are not taken on trust.
    const size_t length = size_t(std::clamp(record.textLength, 0, sms::kSmsTextSize - 1));
    const int answer = SmsAnswer(doc, std::string_view(record.text, strnlen(record.text, length)));
    if (answer < 0) return false;
    out = CallRecord{};
    out.line = uint8_t(answer);
    const size_t n = strnlen(record.number, std::min(sizeof record.number, sizeof out.number) - 1);
    std::memcpy(out.number, record.number, n);
    out.hasNumber = n > 0 ? 1 : 0;
    return true;
}

// ---- Creation and destruction ---------------------------------------------------------------

CITVModel::CITVModel(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirFrame& frame,
                     platform::TimerService& timers, const platform::Clock& clock, ItvHardware& hardware)
    : app_(app),
      frame_(frame),
      timers_(timers),
      clock_(clock),
      hardware_(hardware),
      settings_(ItvSettings::Load(app.profile(), app.GetPath(app::FOLDER_ROOT))),
      picture_(fonts, clock, doc_, counter_),
      usbTable_(hardware.usbCalls(), *this) {
    picture_.showClock = settings_.showClock;
    picture_.showTemperature = settings_.showTemp;
    picture_.temperature = settings_.lastTemp;
    gsmStatus_ = usbStatus_ = app::LoadString(IDS_ITV_DISCONNECTED);
    LogMessage("CITVView::Create");
}

CITVModel::~CITVModel() {
    Stop();
    if (timerId_) timers_.killTimer(timerId_);
    settings_.Save(app_.profile());
}

bool CITVModel::hardwareConfigured() const { return app_.settings().itv == 1; }

// ---- File -----------------------------------------------------------------------------------

std::string CITVModel::DialogStart() const {
    return settings_.fileName.empty() ? app_.GetPath(app::FOLDER_ITV) : settings_.fileName;
}

bool CITVModel::BeginOpen() {
    if (counter_.total() > 0 || !counter_.log().empty()) {
        if (app::MessageBoxId(IDS_ITV_KEEP_STATISTICS, app::MB_YESNO | app::MB_ICONQUESTION) == app::IDYES) return true;
    }
    if (!CheckLogSaved()) return false;
    counter_.Clear();
    panel_->FormChanged();
    return true;
}

int CITVModel::Load(const std::string& path) {
    loaded_ = false;
    if (timerId_) timers_.killTimer(timerId_);
    timerId_ = 0;
    changed();
    int code = doc_.Load(path);
    if (code) {
        app::ShowFileResult(code, path);
        return code;
    }
    const std::string page = doc_.PageFile(app_.GetPath(app::FOLDER_PAGES));
    std::string missing;
    code = picture_.Load(page, &missing);
    if (code == IDS_ITV_NO_FRAMES) {
        app::MessageBoxId(code, app::MB_OK | app::MB_ICONERROR);
    } else if (code == IDS_ITV_FRAME_NOT_FOUND) {
        app::MessageBoxId(code, app::MB_OK | app::MB_ICONERROR, {missing});
    } else if (code) {
        app::ShowFileResult(code, page);
    }
    if (code) return code;
    path_ = path;
    settings_.fileName = path;
    app_.SetLastPath(app::FOLDER_ITV, path);
    counter_.setRules(rules());
    counter_.Rescale();
    loaded_ = true;
    timerId_ = timers_.setTimer(ITV_TIMER_PERIOD, [this] { Tick(); });
    panel_->ThumbnailChanged(picture_.thumbnail());
    panel_->FormChanged();
    changed();
    LogMessage("CITVView::Load %s: %d answers, page %s", path.c_str(), doc_.answers, page.c_str());
    return 0;
}

bool CITVModel::ApplySettings(const CITVDoc& edited) {
    const int code = edited.Save(path_);
    if (code) {
        app::ShowFileResult(code, path_);
        return false;
    }
    doc_ = edited;
    picture_.Unprepare();
    counter_.setRules(rules());
    counter_.Rescale();
    panel_->FormChanged();
    changed();
    return true;
}

VoteRules CITVModel::rules() const {
    VoteRules r = VoteRules::Of(doc_);
    // The modem's votes name their answer's index: they map through 1-8, while the document's
    // own table stays as it is (the settings sheet would save it into the file).
    if (running_ && model_ == ITV_MODEL_GSM)
        for (int i = 0; i < kItvAnswers; ++i) r.lineTable[size_t(i)] = i + 1;
    return r;
}

// ---- Running --------------------------------------------------------------------------------

void CITVModel::prepareBase() {
    panel_->ShowProgress(app::LoadString(IDS_ITV_RENDERING), 100);
    PanelProgress progress(*panel_);
    picture_.PrepareBase(&progress);
    panel_->ThumbnailChanged(picture_.thumbnail());
    panel_->HideProgress();
}

void CITVModel::play() {
    // Cued already (the operator's Play puts it on air): not cued again.
    const air::AirFrameState st = frame_.State();
    if (st.state == air::AIR_CUED && (st.kind & air::KIND_INTERACTIVE)) return;
    if (frame_.CanStart()) frame_.PlayInteractive(&picture_);
}

void CITVModel::Start() {
    if (!loaded_ || running_ || starting_) return;
    if (!frame_.IsOnAir()) {
        if (!picture_.prepared()) prepareBase();
        play();
    }
    if (!hardwareConfigured() || transfer_) {
        running_ = true;
        model_ = -1;
        changed();
        return;
    }
    const app::Settings& s = app_.settings();
    switch (s.itvModel) {
        case ITV_MODEL_ADAPTER1:
        case ITV_MODEL_ADAPTER2: {
            uint8_t lines = 0;
            for (int i = 0; i < kItvAnswers; ++i)
                if (doc_.lineTable[size_t(i)] != 0) lines = uint8_t(lines | 1 << i);
            const int rc = hardware_.OpenAdapter(owner_);
            if (rc) {
                adapterError(rc);
                return;
            }
            model_ = s.itvModel;
            starting_ = true;
            if (!hardware_.StartLines(lines, 3)) LogMessage("CITVView::OnStart: the adapter is busy");
            break;
        }
        case ITV_MODEL_GSM: {
            model_ = ITV_MODEL_GSM;
            const int baud = app::kBaudRates[std::clamp(s.baudRate, 0, 9)];
            hardware_.OpenSms(owner_, s.itvPortNo, uint32_t(baud), true, true, s.useME != 0);
            setGsmStatus(app::LoadString(IDS_ITV_CONNECTING));
            running_ = true;
            break;
        }
        case ITV_MODEL_USB: {
            setUsbStatus(app::LoadString(IDS_ITV_CONNECTING));
            if (!hardware_.StartUsb(owner_, s.useCID != 0, s.cidType == 0, s.cidLength)) {
                setUsbStatus(app::LoadString(IDS_ITV_DISCONNECTED));
                break;
            }
            UsbLineConfig config;
            config.useCID = s.useCID != 0;
            config.aoh = s.cidType == 0;
            for (int i = 0; i < kItvAnswers; ++i) {
                if (doc_.lineTable[size_t(i)] != 0) config.assigned = uint8_t(config.assigned | 1 << i);
                config.soundFiles[size_t(i)] = settings_.soundFiles[size_t(i)];
            }
            usbTable_.Start(config);
            model_ = ITV_MODEL_USB;
            running_ = true;
            break;
        }
        default:  // an unknown model: votes by hand only
            running_ = true;
            model_ = -1;
            break;
    }
    counter_.setRules(rules());
    LogMessage("CITVView::OnStart model %d%s", s.itvModel, running_ ? ", running" : "");
    changed();
}

void CITVModel::Stop() {
    if (!running_ && !starting_) return;
    switch (model_) {
        case ITV_MODEL_ADAPTER1:
        case ITV_MODEL_ADAPTER2: hardware_.CloseAdapter(); break;
        case ITV_MODEL_GSM:
            hardware_.CloseSms();
            setGsmStatus(app::LoadString(IDS_ITV_DISCONNECTED));
            break;
        case ITV_MODEL_USB:
            hardware_.StopUsb();
            usbTable_.Stop();
            setUsbStatus(app::LoadString(IDS_ITV_DISCONNECTED));
            break;
        default: break;
    }
    running_ = starting_ = false;
    model_ = -1;
    counter_.setRules(rules());
    LogMessage("CITVView::OnStop");
    changed();
}

void CITVModel::adapterError(int result) {
    if (const int id = ItvResultMessageId(result)) app::MessageBoxId(id, app::MB_OK | app::MB_ICONERROR);
    LogMessage("CITVView: adapter error %d", result);
    if (model_ < 0) model_ = app_.settings().itvModel;
    starting_ = true;  // so that Stop closes the adapter
    Stop();
}

intptr_t CITVModel::OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == platform::MSG_INTERACTIVE) {
        if (model_ != ITV_MODEL_ADAPTER1 && model_ != ITV_MODEL_ADAPTER2) return 0;
        switch (wParam) {
            case ITV_NOTE_DONE:
                if (lParam != ITV_OK) {
                    adapterError(int(lParam));
                } else if (starting_) {
                    starting_ = false;
                    running_ = true;
                    changed();
                }
                break;
            case ITV_NOTE_CALL:
                if (lParam) Vote(*reinterpret_cast<const CallRecord*>(lParam));
                break;
            case ITV_NOTE_POLL_STOPPED: adapterError(int(lParam)); break;
            default: break;
        }
    } else if (msg == sms::WM_SMSENGINE_NOTIFY && lParam) {
        if (model_ != ITV_MODEL_GSM) return 0;
        if (wParam == sms::SMS_NOTE_STATUS) OnSmsStatus(*reinterpret_cast<const sms::SMSStatus*>(lParam));
        else if (wParam == sms::SMS_NOTE_RECORD) OnSmsRecord(*reinterpret_cast<const sms::SMSRecord*>(lParam));
    } else if (msg == platform::MSG_AIR) {
        if (wParam == air::AIRNOTE_STATE) changed();
    } else if (msg == hardware_.usbMessage() && msg != 0) {
        if (usbTable_.OnNotify(wParam, lParam)) setUsbStatus(usbTable_.StatusText());
    }
    return 0;
}

void CITVModel::OnSmsStatus(const sms::SMSStatus& status) {
    std::string text = sms::StatusText(status);
    if (!text.empty()) setGsmStatus(std::move(text));
}

void CITVModel::OnSmsRecord(const sms::SMSRecord& record) {
    counter_.countSms();  // status reports too
    panel_->SmsCountChanged(counter_.smsCount());
    CallRecord vote;
    if (SmsVote(doc_, record, vote)) Vote(vote);
}

void CITVModel::OnStatus(const std::string& text) { setUsbStatus(text); }

void CITVModel::Tick() {
    if (!loaded_) return;
    if (counter_.ForgetOld(clock_.ticks(), kItvLastVoteMs)) panel_->FormChanged();
}

int CITVModel::Vote(const CallRecord& record) {
    const int answer = counter_.Add(record, clock_.localTime(), clock_.ticks());
    const VoteEntry& e = counter_.log().back();
    LogMessage("CITVView vote %d: line %d, answer %d%s", int(counter_.log().size()), int(e.call.line), answer,
               e.duplicate ? ", duplicate" : "");
    panel_->FormChanged();
    return answer;
}

int CITVModel::VoteButton(int answer) {
    if (!loaded_ || answer < 1 || answer > kItvAnswers) return 0;
    CallRecord r;
    r.line = uint8_t(kItvButtonLine + answer);
    return Vote(r);
}

// ---- Log ------------------------------------------------------------------------------------

bool CITVModel::CheckLogSaved() {
    if (counter_.logSaved()) return true;
    const int answer = app::MessageBoxId(IDS_ITV_LOG_NOT_SAVED, app::MB_YESNOCANCEL | app::MB_ICONQUESTION);
    if (answer == app::IDCANCEL) return false;
    if (answer == app::IDYES) return SaveLogAsk();
    return true;
}

void CITVModel::ClearLog() {
    if (!CheckLogSaved()) return;
    counter_.Clear();
    panel_->FormChanged();
    changed();
}

bool CITVModel::SaveLogAsk() {
    const std::string start = settings_.logFile.empty() ? app_.GetPath(app::FOLDER_LAST_TEXT) : settings_.logFile;
    const std::string path = panel_->AskLogPath(start);
    if (path.empty()) return false;
    return SaveLog(path);
}

bool CITVModel::SaveLog(const std::string& path) {
    const std::string text = counter_.LogText(doc_, clock_.localTime());
    if (!platform::WriteFileAtomic(path, std::string_view(text))) {
        app::ShowFileResult(pages::FILE_SAVE_ERROR, path);
        return false;
    }
    counter_.markSaved();
    settings_.logFile = path;
    app_.SetLastPath(app::FOLDER_LAST_TEXT, path);
    LogMessage("CITVView::SaveLog %s: %d votes", path.c_str(), int(counter_.log().size()));
    return true;
}

// ---- The mode -------------------------------------------------------------------------------

bool CITVModel::CanClose() {
    if ((running_ && hardwareConfigured() && model_ >= 0) || starting_ || transfer_) {
        panel_->Beep();
        return false;
    }
    return CheckLogSaved();
}

void CITVModel::Reactivate() {
    frame_.ClearAir();
    if (loaded_) {
        const bool wasPrepared = picture_.prepared();
        std::string missing;
        const std::string page = doc_.PageFile(app_.GetPath(app::FOLDER_PAGES));
        const int code = picture_.Load(page, &missing);
        if (code) {
            LogMessage("CITVView::Reactivate: %s cannot be loaded again (%d)", page.c_str(), code);
            loaded_ = false;
            if (timerId_) timers_.killTimer(timerId_);
            timerId_ = 0;
        } else if (wasPrepared) {
            prepareBase();
            play();
        }
    }
    panel_->FormChanged();
    changed();
}

void CITVModel::LiveMode() {
    frame_.ClearAir();
    panel_->SwitchToLive();
}

void CITVModel::SetShowClock(bool on) { settings_.showClock = picture_.showClock = on; }
void CITVModel::SetShowTemperature(bool on) { settings_.showTemp = picture_.showTemperature = on; }

void CITVModel::UpdateTemperature(std::string_view field) {
    const std::string text(field.substr(0, 32));
    settings_.lastTemp = picture_.temperature = std::atoi(text.c_str());
}

void CITVModel::SetTransferRunning(bool on) {
    transfer_ = on;
    changed();
}

void CITVModel::setGsmStatus(std::string text) {
    gsmStatus_ = std::move(text);
    panel_->GsmStatusChanged(gsmStatus_);
}

void CITVModel::setUsbStatus(std::string text) {
    usbStatus_ = std::move(text);
    panel_->UsbStatusChanged(usbStatus_);
}

// ---- What the view shows --------------------------------------------------------------------

ItvButtons CITVModel::Buttons() const {
    ItvButtons b;
    if (transfer_) return b;
    const bool onAir = frame_.IsOnAir();
    const bool busy = running_ || starting_;
    const bool answers = loaded_ && doc_.answers >= 1;
    b.open = !busy && !onAir;
    b.settings = answers && !busy && !onAir;
    b.start = loaded_ && !busy;
    b.stop = busy;
    b.saveLog = b.clearLog = answers && !busy;
    b.liveMode = frame_.CanStart();
    b.vote = loaded_;
    return b;
}

ItvAnswerRow CITVModel::Row(int answer) const {
    ItvAnswerRow r;
    if (!CVoteCounter::valid(answer)) return r;
    r.votes = std::to_string(counter_.votes(answer));
    r.percent = PercentText(counter_.percent(answer), doc_.decimals);
    r.number = counter_.lastNumber(answer);
    r.progress = counter_.scale(answer);
    return r;
}

std::string CITVModel::TotalText() const { return std::to_string(counter_.total()); }
std::string CITVModel::SmsCountText() const { return std::to_string(counter_.smsCount()); }

}  // namespace interactive

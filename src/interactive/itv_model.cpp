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
#include "interactive/voice_message.h"
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
    bool WriteVoice(uint8_t lines, uint16_t length, uint8_t* data) override {
        return CInteractive::Instance().WriteVoiceMessage(lines, length, data);
    }
    bool ReadVoice(uint8_t mask, uint8_t* buffer) override {
        return CInteractive::Instance().ReadVoiceMessage(mask, buffer);
    }
    void AbortVoice() override { CInteractive::Instance().AbortTransfer(); }
    void OpenSms(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                 bool deleteAfterReading, bool preferPhoneMemory) override {
        sms::CSMSEngine::Instance().Open(owner, portIndex, baudRate, listPeriodically, deleteAfterReading,
                                         preferPhoneMemory);
    }
    void CloseSms() override { sms::CSMSEngine::Instance().Close(); }
    bool StartUsb(platform::MessageTarget* window, const std::string& library, bool useCID, bool aoh,
                  int cidLength) override {
        CUSBEngine::Instance().SetLibrarySetting(library);
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

void ItvSettings::SaveSoundFiles(app::Profile& ini) const {
    app::Profile::Batch batch(ini);
    for (int i = 0; i < kItvAnswers; ++i) ini.putString(kSection, SoundKey(i), soundFiles[size_t(i)]);
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
    if (voice_) hardware_.CloseAdapter();  // aborts the transfer; its buffer goes with the job
    Stop();
    if (timerId_) timers_.killTimer(timerId_);
    settings_.Save(app_.profile());
}

bool CITVModel::hardwareConfigured() const { return app_.settings().itv == 1; }

// ---- File -----------------------------------------------------------------------------------

std::string CITVModel::DialogStart() const {
    return settings_.fileName.empty() ? app_.GetPath(app::FOLDER_ITV) : settings_.fileName;
}

std::string CITVModel::VoiceDialogStart() const {
    return settings_.soundFile.empty() ? app_.GetPath(app::FOLDER_ITV) : settings_.soundFile;
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
            const std::string library = app_.profile().getString("Hardware", "VoiceBoardPath");
            if (!hardware_.StartUsb(owner_, library, s.useCID != 0, s.cidType == 0, s.cidLength)) {
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
        if (voice_) {
            onVoiceNote(wParam, lParam);
            return 0;
        }
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

// ---- Voice messages -------------------------------------------------------------------------

int CITVModel::VoiceVersion() const {
    if (!hardwareConfigured()) return -1;
    const int m = app_.settings().itvModel;
    return m == ITV_MODEL_ADAPTER1 ? ITV_VERSION_1 : m == ITV_MODEL_ADAPTER2 ? ITV_VERSION_2 : -1;
}

bool CITVModel::LoadVoice(const std::string& path, std::vector<uint8_t>& out) {
    const int version = VoiceVersion();
    const int error = LoadVoiceWav(path, version < 0 ? ITV_VERSION_2 : version, out);
    if (const int id = WavErrorMessageId(error))
        app::MessageBoxId(id, app::MB_OK | (error == WAV_TOO_LONG ? app::MB_ICONWARNING : app::MB_ICONERROR), {path});
    LogMessage("CITVView: voice message %s: %d samples, error %d", path.c_str(), int(out.size()), error);
    return (error == WAV_OK || error == WAV_TOO_LONG) && !out.empty();
}

bool CITVModel::WriteVoice(VoiceWrite write) {
    const int version = VoiceVersion();
    if (version < 0 || voice_ || running_ || starting_ || write.lines == 0 || write.message.empty()) return false;
    auto job = std::make_unique<VoiceJob>();
    job->version = version;
    job->mask = write.lines;
    job->data = std::move(write.message);
    if (job->data.size() > VoiceSampleLimit(version)) job->data.resize(VoiceSampleLimit(version));
    // The second version keeps its message backwards; clearing it is its two bytes of silence.
    if (version == ITV_VERSION_2 && !IsClearVoiceMessage(job->data.data(), job->data.size()))
        std::reverse(job->data.begin(), job->data.end());
    if (version == ITV_VERSION_1)
        for (int line = 0; line < kItvAnswers; ++line)
            if (write.lines & 1 << line) job->lines.push_back(line);
    const int rc = hardware_.OpenAdapter(owner_);
    if (rc) {
        if (const int id = ItvResultMessageId(rc)) app::MessageBoxId(id, app::MB_OK | app::MB_ICONERROR);
        return false;
    }
    const size_t commands = version == ITV_VERSION_1 ? job->lines.size() : 1;
    voice_ = std::move(job);
    SetTransferRunning(true);
    panel_->ShowProgress("Writing...", int(std::min<size_t>(voice_->data.size() * commands, INT32_MAX)));
    LogMessage("CITVView::OnWriteVoice lines %02X, %d bytes", write.lines, int(voice_->data.size()));
    if (!nextVoiceCommand()) endVoice(ITV_NO_REPLY);
    return true;
}

bool CITVModel::ReadVoice(int line) {
    if (VoiceVersion() != ITV_VERSION_2 || voice_ || running_ || starting_ || line < 0 || line >= kItvAnswers)
        return false;
    auto job = std::make_unique<VoiceJob>();
    job->read = true;
    job->version = ITV_VERSION_2;
    job->mask = uint8_t(1 << line);
    job->data.assign(kVoiceBufferSize, 0);
    const int rc = hardware_.OpenAdapter(owner_);
    if (rc) {
        if (const int id = ItvResultMessageId(rc)) app::MessageBoxId(id, app::MB_OK | app::MB_ICONERROR);
        return false;
    }
    voice_ = std::move(job);
    SetTransferRunning(true);
    panel_->ShowProgress("Reading...", int(kMaxSamplesV2));
    LogMessage("CITVView::OnReadVoice line %d", line + 1);
    if (!nextVoiceCommand()) endVoice(ITV_NO_REPLY);
    return true;
}

bool CITVModel::nextVoiceCommand() {
    VoiceJob& v = *voice_;
    if (v.read) return hardware_.ReadVoice(v.mask, v.data.data());
    const uint16_t length = uint16_t(v.data.size());
    if (v.version == ITV_VERSION_2) return hardware_.WriteVoice(v.mask, length, v.data.data());
    const int line = v.lines.front();
    v.lines.erase(v.lines.begin());
    return hardware_.WriteVoice(uint8_t(line), length, v.data.data());
}

void CITVModel::onVoiceNote(uintptr_t code, intptr_t value) {
    if (code == ITV_NOTE_PROGRESS) {
        panel_->StepProgress(int(std::min<size_t>(voice_->done + size_t(std::max<intptr_t>(value, 0)), INT32_MAX)));
        return;
    }
    if (code != ITV_NOTE_DONE) return;
    if (value == ITV_OK && !voice_->read && !voice_->lines.empty()) {
        voice_->done += voice_->data.size();
        if (nextVoiceCommand()) return;
        value = ITV_NO_REPLY;
    }
    endVoice(int(value));
}

void CITVModel::endVoice(int result) {
    hardware_.CloseAdapter();
    std::unique_ptr<VoiceJob> job = std::move(voice_);
    panel_->HideProgress();
    SetTransferRunning(false);
    LogMessage("CITVView: voice message %s: result %d", job->read ? "read" : "written", result);
    if (result != ITV_OK) {
        if (const int id = ItvResultMessageId(result)) app::MessageBoxId(id, app::MB_OK | app::MB_ICONERROR);
        return;
    }
    if (!job->read) return;
    // The length the adapter reported, which cannot run past the buffer.
    const size_t n = std::min<size_t>(size_t(job->data[0] | job->data[1] << 8), kVoiceBufferSize - 2);
    if (n == 0) {
        app::MessageBoxId(IDS_ITV_NO_VOICE_MESSAGE, app::MB_OK | app::MB_ICONWARNING);
        return;
    }
    std::vector<uint8_t> message(job->data.begin() + 2, job->data.begin() + 2 + long(n));
    std::reverse(message.begin(), message.end());
    const std::string path = panel_->AskVoicePath(app_.GetPath(app::FOLDER_ITV));
    if (path.empty()) return;
    if (!SaveVoiceWav(path, message)) {
        app::ShowFileResult(pages::FILE_SAVE_ERROR, path);
        return;
    }
    LogMessage("CITVView: voice message of %d samples saved to %s", int(n), path.c_str());
}

void CITVModel::CancelVoice() {
    if (voice_) hardware_.AbortVoice();
}

void CITVModel::SetSoundFiles(const std::array<std::string, kItvAnswers>& files) {
    settings_.soundFiles = files;
    settings_.SaveSoundFiles(app_.profile());
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
    // Voice messages: into the phone-lines adapter (read back from the second version only), or
    // the files the USB adapter's lines play.
    const int hardware = hardwareConfigured() ? app_.settings().itvModel : -1;
    b.writeVoice =
        !busy && (hardware == ITV_MODEL_ADAPTER1 || hardware == ITV_MODEL_ADAPTER2 || hardware == ITV_MODEL_USB);
    b.readVoice = !busy && hardware == ITV_MODEL_ADAPTER2;
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

// CITVModel: what the Interactive system view decides. The operator opens an interactive system,
// starts it (the picture goes on air through the air frame, the configured hardware starts
// answering calls or reading SMS), and the votes arrive — from the vote buttons, the phone-lines
// adapter, the USB adapter's ports and the GSM modem — into the counter, the log and the on-air
// picture. The view shows the model and forwards the operator's commands through a small panel
// interface; the model runs on the view's thread, driven by the engines' notifications and its
// own 500 ms timer, so it runs headless and in simulated time as well.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interactive/call_record.h"
#include "interactive/itv_doc.h"
#include "interactive/itv_picture.h"
#include "interactive/itv_votes.h"
#include "interactive/usb_ports.h"
#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/timer_service.h"
#include "sms/sms_types.h"

namespace app {
class CZentrixApp;
class Profile;
}  // namespace app
namespace air {
class CAirFrame;
}
namespace pages {
class CFontManager;
}

namespace interactive {

// "ITVModel": the hardware the votes come from.
enum : int { ITV_MODEL_ADAPTER1 = 0, ITV_MODEL_ADAPTER2 = 1, ITV_MODEL_GSM = 2, ITV_MODEL_USB = 3 };

enum : int {
    IDS_ITV_KEEP_STATISTICS = 18142,  // "Do you want to keep current statistics?"
    IDS_ITV_LOG_NOT_SAVED = 18141,    // "Interactive system log has not been saved.\nDo you want to save?"
    IDS_ITV_RENDERING = 14046,
    IDS_ITV_DISCONNECTED = 18535,
    IDS_ITV_CONNECTING = 18539,
    IDS_ITV_NO_VOICE_MESSAGE = 18335,  // "There's no voice message on this line!"
};

constexpr uint32_t ITV_TIMER_PERIOD = 500;
constexpr uint32_t kItvLastVoteMs = 3000;  // a last caller's number is shown this long
constexpr int kItvDefaultTemperature = 20;

// Section "ITV".
struct ItvSettings {
    std::string fileName;  // the interactive system last opened
    std::string logFile;   // the log last saved
    std::string soundFile;
    std::array<std::string, kItvAnswers> soundFiles;  // "SoundFile1".."SoundFile8": the USB lines' messages
    bool buttons = true;
    bool showClock = true;
    bool showTemp = true;
    int lastTemp = kItvDefaultTemperature;

    // A relative file name is below root.
    static ItvSettings Load(const app::Profile& ini, const std::string& root = {});
    // "FileName", "LogFile", "SoundFile", "ShowClock", "ShowTemp" and "LastTemp" (the view
    // writes them back when it closes).
    void Save(app::Profile& ini) const;
    // "SoundFile1".."SoundFile8", written when the operator chooses them.
    void SaveSoundFiles(app::Profile& ini) const;
};

// The buttons as the model has them.
struct ItvButtons {
    bool open = false, settings = false, start = false, stop = false;
    bool saveLog = false, clearLog = false, liveMode = false, vote = false;
    bool writeVoice = false, readVoice = false;
    bool operator==(const ItvButtons&) const = default;
};

// One answer's line of the form.
struct ItvAnswerRow {
    std::string votes;    // "%d"
    std::string percent;  // by the decimals
    std::string number;   // the last voter's, while it is shown
    int progress = 0;     // the scale, 0-10000
};

// The view's side.
class ItvPanel {
public:
    virtual ~ItvPanel() = default;
    virtual void FormChanged() {}
    virtual void ButtonsChanged() {}
    virtual void GsmStatusChanged(const std::string& /*text*/) {}
    virtual void SmsCountChanged(int /*count*/) {}
    virtual void UsbStatusChanged(const std::string& /*text*/) {}
    virtual void ThumbnailChanged(const pages::CBitmap32& /*thumbnail*/) {}
    virtual void ShowProgress(const std::string& /*text*/, int /*range*/) {}
    virtual void StepProgress(int /*value*/) {}
    virtual void HideProgress() {}
    // The exclamation beep of a refused close.
    virtual void Beep() {}
    // The save dialog for the log (text files, starting at start): the chosen file, "" on Cancel.
    virtual std::string AskLogPath(const std::string& /*start*/) { return {}; }
    // "Live mode": the application switches to Live mode.
    virtual void SwitchToLive() {}
    // Where a voice message read back from the adapter is saved (audio files, starting at
    // start): the chosen file, "" on Cancel.
    virtual std::string AskVoicePath(const std::string& /*start*/) { return {}; }
};

// A voice message for the phone-lines adapter's lines.
struct VoiceWrite {
    uint8_t lines = 0;             // bit n: line n
    std::vector<uint8_t> message;  // in playing order and the adapter's format; ClearVoiceMessage() clears
};

// The hardware the view starts and stops: the process's engines, or stand-ins in tests.
class ItvHardware {
public:
    virtual ~ItvHardware() = default;
    // The phone-lines adapter ("ITVModel" 0 and 1): 0 or an adapter result code.
    virtual int OpenAdapter(platform::MessageTarget* owner) = 0;
    virtual void CloseAdapter() = 0;
    virtual bool StartLines(uint8_t lines, uint16_t value) = 0;
    // Its voice messages, while it is open (the data stay valid until its notification 1):
    // write to a mask of lines (second version) or one line 0-7 (first); read one line's into a
    // kVoiceBufferSize buffer (second version); abort the transfer (it ends with result 4).
    virtual bool WriteVoice(uint8_t lines, uint16_t length, uint8_t* data) = 0;
    virtual bool ReadVoice(uint8_t mask, uint8_t* buffer) = 0;
    virtual void AbortVoice() = 0;
    // The GSM modem (2).
    virtual void OpenSms(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                         bool deleteAfterReading, bool preferPhoneMemory) = 0;
    virtual void CloseSms() = 0;
    // The USB adapter (3) through the library [Hardware] VoiceBoardPath names: true when its
    // device runs; its events arrive as usbMessage().
    virtual bool StartUsb(platform::MessageTarget* window, const std::string& library, bool useCID, bool aoh,
                          int cidLength) = 0;
    virtual void StopUsb() = 0;
    virtual UsbCalls& usbCalls() = 0;
    virtual uint32_t usbMessage() const = 0;
};

// The process's engines (CInteractive, CSMSEngine, CUSBEngine).
std::unique_ptr<ItvHardware> MakeProcessHardware();

// The answer (0-7) an SMS votes for: its text in upper case (code page 1251) holds the
// keyword of the first answer that matches, tried in order; an empty keyword matches nothing.
// -1 for no answer.
int SmsAnswer(const CITVDoc& doc, std::string_view text);
// The vote of a received message (kind 1), as the record the counter takes; false when the
// message votes for no answer.
bool SmsVote(const CITVDoc& doc, const sms::SMSRecord& record, CallRecord& out);

class CITVModel final : private UsbSink {
public:
    // Creation: reads the settings; nothing is loaded yet.
    CITVModel(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirFrame& frame, platform::TimerService& timers,
              const platform::Clock& clock, ItvHardware& hardware);
    // Destruction: Stop, then the settings are written back.
    ~CITVModel() override;
    CITVModel(const CITVModel&) = delete;
    CITVModel& operator=(const CITVModel&) = delete;

    void setPanel(ItvPanel* panel) { panel_ = panel ? panel : &nullPanel_; }
    // Where the engines post their notifications: a target that hands them to OnMessage on this
    // thread (the view's window, a LoopTarget).
    void setOwner(platform::MessageTarget* owner) { owner_ = owner; }

    // ---- File ----
    // "Open file" before its dialog: the statistics kept (18142 answered Yes) or, after the
    // unsaved-log check, cleared. False when the operator cancelled.
    bool BeginOpen();
    // Load: 0 or the code of the message shown (a file result code of the system or its page,
    // IDS_ITV_NO_FRAMES, IDS_ITV_FRAME_NOT_FOUND); a failure leaves no file.
    int Load(const std::string& path);
    // The settings sheet's OK: the edited document is saved to the file (false with the save
    // message when it cannot be) and the base picture is prepared again at the next Start.
    bool ApplySettings(const CITVDoc& edited);
    // Where the open dialog starts.
    std::string DialogStart() const;
    // Where a voice message's file dialog starts: the last voice-message file, else the
    // interactive systems folder.
    std::string VoiceDialogStart() const;

    // ---- Running ----
    void Start();
    void Stop();
    // MSG_INTERACTIVE, MSG_SMS, the USB library's message and MSG_AIR.
    intptr_t OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // The 500 ms timer.
    void Tick();
    // A vote arrives: the answer it counted for, 0 when not counted.
    int Vote(const CallRecord& record);
    // "Vote n" (1-8).
    int VoteButton(int answer);
    void OnSmsRecord(const sms::SMSRecord& record);
    void OnSmsStatus(const sms::SMSStatus& status);

    // ---- Log ----
    // Unsaved-log check: false when the action is to stop.
    bool CheckLogSaved();
    void ClearLog();
    // "Save log" with its dialog; false when cancelled or failed.
    bool SaveLogAsk();
    // Writes the log to a file (atomically): false with the save message on failure.
    bool SaveLog(const std::string& path);

    // ---- The mode ----
    bool CanClose();
    void Reactivate();
    void LiveMode();
    void SetShowClock(bool on);
    void SetShowTemperature(bool on);
    // "Update": the field's number as the temperature.
    void UpdateTemperature(std::string_view field);
    // A voice transfer runs (every button off, Start leaves the hardware alone).
    void SetTransferRunning(bool on);

    // ---- Voice messages ----
    // The adapter version the messages are made for: ITV_VERSION_1 or _2 for "ITVModel" 0 or 1,
    // -1 without a phone-lines adapter.
    int VoiceVersion() const;
    // A WAV file in the adapter's format, its messages shown (too long: a warning, and the first
    // seconds are kept; unreadable or of another format: an error). False when it is no use.
    bool LoadVoice(const std::string& path, std::vector<uint8_t>& out);
    // "Write voice message": opens the adapter and writes the message into the lines (on the
    // first version one line after another), the progress on the panel. False, with the
    // adapter's message, when it cannot start.
    bool WriteVoice(VoiceWrite write);
    // "Read voice message" of one line (second version): when it has arrived it is saved to the
    // WAV file the panel names.
    bool ReadVoice(int line);
    // The operator's Cancel: the transfer ends with result 4.
    void CancelVoice();
    bool transferRunning() const { return transfer_; }
    // The USB lines' messages ("SoundFile1".."SoundFile8"), stored in the settings at once; a
    // running adapter plays them from its next Start.
    void SetSoundFiles(const std::array<std::string, kItvAnswers>& files);
    // The last voice-message file ("SoundFile").
    void SetLastSoundFile(const std::string& path) { settings_.soundFile = path; }
    // Device models that take data without checksums compile with 4096.
    void setNoChecksums(bool on) { picture_.noChecksums = on; }

    // ---- What the view shows ----
    ItvButtons Buttons() const;
    ItvAnswerRow Row(int answer) const;
    std::string TotalText() const;
    std::string SmsCountText() const;
    bool loaded() const { return loaded_; }
    bool running() const { return running_; }
    bool starting() const { return starting_; }
    int model() const { return model_; }
    bool hardwareConfigured() const;
    const std::string& gsmStatus() const { return gsmStatus_; }
    const std::string& usbStatus() const { return usbStatus_; }
    const CITVDoc& doc() const { return doc_; }
    const CVoteCounter& counter() const { return counter_; }
    CITVPicture& picture() { return picture_; }
    const ItvSettings& settings() const { return settings_; }
    const UsbPortTable& usbPorts() const { return usbTable_; }

private:
    void OnCall(const CallRecord& record) override { Vote(record); }
    void OnStatus(const std::string& text) override;
    void prepareBase();
    void play();
    void adapterError(int result);
    void setGsmStatus(std::string text);
    void setUsbStatus(std::string text);
    VoteRules rules() const;
    void changed() { panel_->ButtonsChanged(); }
    // The voice transfer's notifications (MSG_INTERACTIVE while it runs).
    void onVoiceNote(uintptr_t code, intptr_t value);
    bool nextVoiceCommand();
    void endVoice(int result);

    // One voice transfer: its message or read buffer stay here until the engine is done.
    struct VoiceJob {
        bool read = false;
        int version = 0;
        std::vector<int> lines;  // first version: the lines still to write, one command each
        uint8_t mask = 0;
        std::vector<uint8_t> data;
        size_t done = 0;  // bytes of the commands already finished
    };

    app::CZentrixApp& app_;
    air::CAirFrame& frame_;
    platform::TimerService& timers_;
    const platform::Clock& clock_;
    ItvHardware& hardware_;
    platform::MessageTarget* owner_ = nullptr;
    ItvPanel nullPanel_;
    ItvPanel* panel_ = &nullPanel_;

    ItvSettings settings_;
    CITVDoc doc_;
    std::string path_;
    CVoteCounter counter_;
    CITVPicture picture_;
    UsbPortTable usbTable_;
    bool loaded_ = false;
    bool running_ = false;
    bool starting_ = false;  // the adapter is asked to answer; running once it says so
    bool transfer_ = false;
    std::unique_ptr<VoiceJob> voice_;
    int model_ = -1;  // the hardware started, -1 none
    std::string gsmStatus_, usbStatus_;
    int timerId_ = 0;
};

}  // namespace interactive

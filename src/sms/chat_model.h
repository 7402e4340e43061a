// CChatModel: what the SMS Chat view decides. The operator opens a template (a sequence whose
// first page has an unlocked frame), starts the SMS engine and moderates: every received message
// passes the word filter and lands in the list; Queued messages go on air one after the other,
// each as the template page with its message frame's text replaced by the message. The view shows
// the model and forwards the operator's commands; the model runs on the view's thread, driven by
// the engine's notifications, the air frame's and its own 100 ms timer, so it runs headless and
// in simulated time as well.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "air/seq_doc.h"
#include "air/show_params.h"
#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/timer_service.h"
#include "sms/chat_filter.h"
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
class CPageDoc;
class CPageImage;
}  // namespace pages

namespace sms {

class CSMSEngine;

enum ChatState : int { CHAT_DELAYED = 0, CHAT_QUEUED = 1, CHAT_SHOWN = 2 };

// Show states: what of ours the air frame has.
enum ChatShow : int { SHOW_NOTHING = 0, SHOW_LOADING = 1, SHOW_CUED = 2, SHOW_PLAYING = 3 };

enum : int {
    IDS_CHAT_RENDERING = 14046,     // "Rendering..."
    IDS_CHAT_EMPTY = 16024,         // "Sequence is empty!"
    IDS_CHAT_NO_FRAMES = 16039,     // "This page has no frames!"
    IDS_CHAT_DISCONNECTED = 18535,  // "Disconnected"
    IDS_CHAT_CONNECTING = 18539,    // "Connecting..."
    IDS_CHAT_DELETE = 22089,        // "Do you want to delete selected message?"
    IDS_CHAT_COLUMN = 22184,        // "#", "Status", "Sent", "Sender", "Text"
    IDS_CHAT_STATE = 22189,         // "Delayed", "Queued", "Shown"
};

constexpr uint32_t CHAT_TIMER_PERIOD = 100;
constexpr int kChatColumns = 5;
constexpr size_t kChatTextMax = kSmsTextSize - 1;  // bytes of the code page
constexpr size_t kChatSenderMax = kSmsFieldSize - 1;

struct ChatMessage {
    int number = 0;  // SMS received before this one; shown + 1
    SmsTime time;    // the service-centre time stamp, local time for one added by hand
    std::string sender;
    std::string text;  // filtered and trimmed, 8-bit
    int state = CHAT_DELAYED;
};

// Section "SMSChat".
struct ChatSettings {
    std::string fileName;  // "FileName": the template last opened
    bool langDelete = false;
    bool langPartial = false;
    bool fastMode = false;
    std::array<int, kChatColumns> columns{32, 64, 64, 128, 248};  // "ListColumnWidth0"-"4"

    // A relative file name is below root.
    static ChatSettings Load(const app::Profile& ini, const std::string& root = {});
};

// The buttons as the model has them.
struct ChatButtons {
    bool open = false, filter = false, start = false, stop = false;
    bool queue = false, edit = false, remove = false, add = false;
    bool operator==(const ChatButtons&) const = default;
};

// The view's side: what to redraw, and the air frame's progress bar.
class ChatPanel {
public:
    virtual ~ChatPanel() = default;
    virtual void StatusChanged(const std::string& /*text*/) {}
    virtual void CountChanged(int /*received*/) {}
    virtual void RowAdded(int /*row*/) {}
    virtual void RowChanged(int /*row*/) {}
    virtual void RowRemoved(int /*row*/) {}
    virtual void ButtonsChanged() {}
    virtual void ShowProgress(const std::string& /*text*/, int /*range*/) {}
    virtual void StepProgress(int /*value*/) {}
    virtual void HideProgress() {}
};

// The SMS engine as the chat drives it: the process's engine, or a stand-in in tests.
class ChatEngine {
public:
    virtual ~ChatEngine() = default;
    virtual void Open(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                      bool deleteAfterReading, bool preferPhoneMemory) = 0;
    virtual void Close() = 0;
};

class SmsChatEngine final : public ChatEngine {
public:
    explicit SmsChatEngine(CSMSEngine& engine) : engine_(engine) {}
    void Open(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
              bool deleteAfterReading, bool preferPhoneMemory) override;
    void Close() override;

private:
    CSMSEngine& engine_;
};

class CChatModel {
public:
    // page, image: the document and compiled page the air frame plays with PlayPage (the
    // application's); the template is loaded into them. Creation: reads the settings, loads
    // filter.dat, empties the list.
    CChatModel(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirFrame& frame, pages::CPageDoc& page,
               pages::CPageImage& image, platform::TimerService& timers, const platform::Clock& clock,
               ChatEngine& engine);
    // Destruction: Stop, then "FileName" and the column widths are written.
    ~CChatModel();
    CChatModel(const CChatModel&) = delete;
    CChatModel& operator=(const CChatModel&) = delete;

    void setPanel(ChatPanel* panel) { panel_ = panel ? panel : &nullPanel_; }
    // Where the engine posts its notifications: a target that hands them to OnMessage on this
    // thread (the view's window, a LoopTarget).
    void setOwner(platform::MessageTarget* owner) { owner_ = owner; }

    // ---- Open ----
    // Loads the template (the five steps): 0, or the code of the message shown (a sequence or
    // page result code, IDS_CHAT_EMPTY, IDS_CHAT_NO_FRAMES); a failure leaves no template.
    int OpenTemplate(const std::string& path);
    // Where the file dialog starts: "FileName", or the titles folder when it is empty.
    std::string DialogStart() const;

    // ---- Engine ----
    void Start();
    void Stop();
    // MSG_SMS (status, record) and MSG_AIR.
    intptr_t OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void OnEngineStatus(const SMSStatus& status);
    void OnEngineRecord(const SMSRecord& record);
    void OnAirNote(int code);
    // The 100 ms timer.
    void Tick();

    // ---- The list ----
    // Filters the text and appends a message (false: it filtered down to nothing).
    bool FilterAndAdd(std::string_view text, std::string_view sender, const SmsTime& time);
    void ToggleQueue(int row);
    // The "Edit message" dialog's OK: the text replaced (at most kChatTextMax bytes; false for a
    // longer one or a row that is not there).
    bool EditText(int row, std::string_view text);
    // Asks 22089 and removes the row on Yes; true when removed.
    bool Remove(int row);
    // A message typed by hand: the current local time, no sender, through the filter; the
    // received count stays. False for an empty or too long text, or one filtered to nothing.
    bool AddMessage(std::string_view text);
    void SetFastMode(bool on);  // saved at once

    // ---- Language filter ----
    const CChatFilter& filter() const { return filter_; }
    // The dialog's OK: the edited list and flags; "LangDelete", "LangPartial" and filter.dat are
    // written. False (with the file-save message, the old file kept) when filter.dat cannot be.
    bool ApplyFilter(const CChatFilter& edited);
    std::string FilterPath() const;

    // The busy flag (a dialog of the view, an edit of the list): the timer waits meanwhile.
    class Busy {
    public:
        explicit Busy(CChatModel& m) : m_(m), was_(m.busy_) { m_.busy_ = true; }
        ~Busy() { m_.busy_ = was_; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        CChatModel& m_;
        bool was_;
    };

    // ---- What the view shows ----
    ChatButtons Buttons() const;
    const std::vector<ChatMessage>& messages() const { return messages_; }
    int received() const { return received_; }
    bool running() const { return running_; }
    bool templateLoaded() const { return loaded_; }
    bool busy() const { return busy_; }
    int showState() const { return showState_; }
    bool fastMode() const { return settings_.fastMode; }
    const std::string& statusText() const { return status_; }
    const ChatSettings& settings() const { return settings_; }
    std::array<int, kChatColumns>& columns() { return settings_.columns; }
    int messageFrame() const { return frameIndex_; }
    const air::ShowParams& showParams() const { return params_; }
    bool verticalFilter() const { return filtered_; }
    // Device models that take data without checksums compile with 4096.
    void setNoChecksums(bool on) { noChecksums_ = on; }
    // The five columns of a row: number + 1, state, "%02d:%02d:%02d", sender, text (8-bit).
    std::array<std::string, kChatColumns> RowTexts(int row) const;

private:
    void setStatus(std::string text);
    void showMessage(const ChatMessage& m);
    void changed() { panel_->ButtonsChanged(); }

    app::CZentrixApp& app_;
    pages::CFontManager& fonts_;
    air::CAirFrame& frame_;
    pages::CPageDoc& page_;
    pages::CPageImage& image_;
    platform::TimerService& timers_;
    const platform::Clock& clock_;
    ChatEngine& engine_;
    platform::MessageTarget* owner_ = nullptr;
    ChatPanel nullPanel_;
    ChatPanel* panel_ = &nullPanel_;

    ChatSettings settings_;
    CChatFilter filter_;
    std::vector<ChatMessage> messages_;
    int received_ = 0;
    bool running_ = false;
    std::string status_;

    air::CSeqDoc sequence_;
    bool loaded_ = false;
    int frameIndex_ = -1;
    air::ShowParams params_;
    bool filtered_ = false;
    bool noChecksums_ = false;

    int showState_ = SHOW_NOTHING;
    bool busy_ = false;
    int timerId_ = 0;
};

}  // namespace sms

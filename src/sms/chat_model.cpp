#include "sms/chat_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "air/air_frame.h"
#include "air/titr_model.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "platform/files.h"
#include "sms/sms_engine.h"
#include "sms/status_text.h"

namespace sms {

namespace {

constexpr char kSection[] = "SMSChat";

std::string ColumnKey(int i) { return "ListColumnWidth" + std::to_string(i); }

// The compile's steps on the air frame's progress bar.
class PanelProgress final : public pages::CompileProgress {
public:
    explicit PanelProgress(ChatPanel& panel) : panel_(panel) {}
    void SetRange(int steps) override { steps_ = std::max(steps, 1); }
    void Step() override { panel_.StepProgress(std::min(100, ++done_ * 100 / steps_)); }

private:
    ChatPanel& panel_;
    int steps_ = 1;
    int done_ = 0;
};

}  // namespace

ChatSettings ChatSettings::Load(const app::Profile& ini, const std::string& root) {
    ChatSettings s;
    s.fileName = platform::NormaliseDataName(ini.getString(kSection, "FileName"));
    if (!s.fileName.empty() && s.fileName.front() != '/' && !root.empty())
        s.fileName = platform::JoinPath(root, s.fileName);
    s.langDelete = ini.getInt(kSection, "LangDelete", 0) != 0;
    s.langPartial = ini.getInt(kSection, "LangPartial", 0) != 0;
    s.fastMode = ini.getInt(kSection, "FastMode", 0) != 0;
    for (int i = 0; i < kChatColumns; ++i)
        s.columns[size_t(i)] = ini.getInt(kSection, ColumnKey(i), s.columns[size_t(i)]);
    return s;
}

void SmsChatEngine::Open(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                         bool deleteAfterReading, bool preferPhoneMemory) {
    engine_.Open(owner, portIndex, baudRate, listPeriodically, deleteAfterReading, preferPhoneMemory);
}
void SmsChatEngine::Close() { engine_.Close(); }

// ---- Creation and destruction ---------------------------------------------------------------

CChatModel::CChatModel(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirFrame& frame, pages::CPageDoc& page,
                       pages::CPageImage& image, platform::TimerService& timers, const platform::Clock& clock,
                       ChatEngine& engine)
    : app_(app),
      fonts_(fonts),
      frame_(frame),
      page_(page),
      image_(image),
      timers_(timers),
      clock_(clock),
      engine_(engine),
      settings_(ChatSettings::Load(app.profile(), app.GetPath(app::FOLDER_ROOT))),
      sequence_(app.folders(), clock) {
    filter_.setWords(CChatFilter::LoadFile(FilterPath()));
    filter_.deleteWord = settings_.langDelete;
    filter_.partial = settings_.langPartial;
    status_ = app::LoadString(IDS_CHAT_DISCONNECTED);
    LogMessage("CChatView::Create %d filter words", int(filter_.words().size()));
}

CChatModel::~CChatModel() {
    Stop();
    app::Profile& ini = app_.profile();
    app::Profile::Batch batch(ini);
    ini.putString(kSection, "FileName", settings_.fileName);
    for (int i = 0; i < kChatColumns; ++i) ini.putInt(kSection, ColumnKey(i), settings_.columns[size_t(i)]);
}

std::string CChatModel::FilterPath() const { return platform::JoinPath(app_.GetPath(app::FOLDER_ROOT), "filter.dat"); }

// ---- Open -----------------------------------------------------------------------------------

std::string CChatModel::DialogStart() const {
    return settings_.fileName.empty() ? app_.GetPath(app::FOLDER_TITLES) : settings_.fileName;
}

int CChatModel::OpenTemplate(const std::string& path) {
    settings_.fileName = path;
    app_.folders().SetLastPath(app::FOLDER_TITLES, path);
    loaded_ = false;
    frameIndex_ = -1;
    changed();
    // 1. The sequence: a missing page is reported when it is read below.
    int code = sequence_.LoadSequence(path);
    if (code & 0x100) {
        sequence_.items.clear();
        app::ShowFileResult(code, path);
        return code;
    }
    // 2.
    if (sequence_.items.empty()) {
        app::MessageBoxId(IDS_CHAT_EMPTY, app::MB_OK | app::MB_ICONERROR);
        return IDS_CHAT_EMPTY;
    }
    // 3. The first item's page, mode 6.
    const air::SeqItem& first = sequence_.items.front();
    const std::string pagePath = sequence_.FullPath(first);
    code = page_.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, pagePath, image_);
    if (code != pages::FILE_OK) {
        app::ShowFileResult(code, pagePath);
        return code;
    }
    // 4. The message frame: the first unlocked one.
    for (int i = 0; i < page_.frameCount(); ++i)
        if (page_.frame(i)->lock == 0) {
            frameIndex_ = i;
            break;
        }
    if (frameIndex_ < 0) {
        app::MessageBoxId(IDS_CHAT_NO_FRAMES, app::MB_OK | app::MB_ICONERROR);
        return IDS_CHAT_NO_FRAMES;
    }
    // 5.
    params_ = first.showParams;
    filtered_ = (image_.summary.flags & pages::SUMMARY_FILTERED) != 0;
    loaded_ = true;
    LogMessage("CChatView::OnOpen %s: frame %d%s", path.c_str(), frameIndex_, filtered_ ? ", filtered" : "");
    changed();
    return 0;
}

// ---- Engine ---------------------------------------------------------------------------------

void CChatModel::Start() {
    if (running_) return;
    const app::Settings& s = app_.settings();
    const int baud = app::kBaudRates[std::clamp(s.baudRate, 0, 9)];
    engine_.Open(owner_, s.itvPortNo, uint32_t(baud), true, true, s.useME != 0);
    running_ = true;
    setStatus(app::LoadString(IDS_CHAT_CONNECTING));
    timerId_ = timers_.setTimer(CHAT_TIMER_PERIOD, [this] { Tick(); });
    changed();
}

void CChatModel::Stop() {
    if (!running_) return;
    timers_.killTimer(timerId_);
    timerId_ = 0;
    engine_.Close();
    running_ = false;
    setStatus(app::LoadString(IDS_CHAT_DISCONNECTED));
    changed();
}

void CChatModel::setStatus(std::string text) {
    status_ = std::move(text);
    panel_->StatusChanged(status_);
}

intptr_t CChatModel::OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == WM_SMSENGINE_NOTIFY && lParam) {
        if (wParam == SMS_NOTE_STATUS) OnEngineStatus(*reinterpret_cast<const SMSStatus*>(lParam));
        else if (wParam == SMS_NOTE_RECORD) OnEngineRecord(*reinterpret_cast<const SMSRecord*>(lParam));
    } else if (msg == platform::MSG_AIR) {
        OnAirNote(int(wParam));
    }
    return 0;
}

void CChatModel::OnEngineStatus(const SMSStatus& status) {
    std::string text = StatusText(status);
    if (!text.empty()) setStatus(std::move(text));
}

void CChatModel::OnEngineRecord(const SMSRecord& r) {
    if (r.kind != SMS_KIND_DELIVER) return;
    // The record comes from another thread's decoder: its lengths are not taken on trust.
    const size_t length = size_t(std::clamp(r.textLength, 0, int(kChatTextMax)));
    const std::string_view text(r.text, strnlen(r.text, length));
    LogMessage("new SMS received: %d bytes", int(text.size()));
    FilterAndAdd(text, std::string_view(r.number, strnlen(r.number, kChatSenderMax)), r.time);
    ++received_;
    panel_->CountChanged(received_);
}

void CChatModel::OnAirNote(int code) {
    if (code != air::AIRNOTE_STATE || !frame_.CanStart()) return;
    if (showState_ == SHOW_LOADING) showState_ = SHOW_CUED;
    else if (showState_ == SHOW_PLAYING) showState_ = SHOW_NOTHING;
}

void CChatModel::Tick() {
    if (busy_ || !frame_.CanStart()) return;
    switch (showState_) {
        case SHOW_NOTHING: {
            auto it = std::find_if(messages_.begin(), messages_.end(),
                                   [](const ChatMessage& m) { return m.state == CHAT_QUEUED; });
            if (it == messages_.end()) return;
            it->state = CHAT_SHOWN;
            panel_->RowChanged(int(it - messages_.begin()));
            showState_ = SHOW_LOADING;
            showMessage(*it);
            break;
        }
        case SHOW_CUED:
            showState_ = SHOW_PLAYING;
            frame_.OnPlay();
            break;
        default: break;
    }
}

void CChatModel::showMessage(const ChatMessage& m) {
    panel_->ShowProgress(app::LoadString(IDS_CHAT_RENDERING), 100);
    if (pages::CPageFrame* f = page_.frame(frameIndex_)) air::CTitrModel::ReplaceFrameText(*f, m.text);
    PanelProgress progress(*panel_);
    image_.Compile(page_, air::TitleCompileOptions(filtered_, noChecksums_), &progress);
    panel_->HideProgress();
    LogMessage("CChatView::ShowMessage %d", m.number + 1);
    frame_.PlayPage(&params_);
}

// ---- The list -------------------------------------------------------------------------------

bool CChatModel::FilterAndAdd(std::string_view text, std::string_view sender, const SmsTime& time) {
    std::string filtered = filter_.Filter(text);
    if (filtered.empty()) return false;
    ChatMessage m;
    m.number = received_;
    m.time = time;
    m.sender = std::string(sender.substr(0, kChatSenderMax));
    m.text = std::move(filtered);
    m.state = settings_.fastMode ? CHAT_QUEUED : CHAT_DELAYED;
    messages_.push_back(std::move(m));
    panel_->RowAdded(int(messages_.size()) - 1);
    changed();
    return true;
}

void CChatModel::ToggleQueue(int row) {
    if (row < 0 || row >= int(messages_.size())) return;
    Busy busy(*this);
    ChatMessage& m = messages_[size_t(row)];
    if (m.state == CHAT_SHOWN) return;
    m.state = m.state == CHAT_DELAYED ? CHAT_QUEUED : CHAT_DELAYED;
    panel_->RowChanged(row);
}

bool CChatModel::EditText(int row, std::string_view text) {
    if (row < 0 || row >= int(messages_.size()) || text.size() > kChatTextMax) return false;
    messages_[size_t(row)].text = std::string(text);
    panel_->RowChanged(row);
    return true;
}

bool CChatModel::Remove(int row) {
    if (row < 0 || row >= int(messages_.size())) return false;
    Busy busy(*this);
    if (app::MessageBoxId(IDS_CHAT_DELETE, app::MB_YESNO | app::MB_ICONQUESTION) != app::IDYES) return false;
    messages_.erase(messages_.begin() + row);
    panel_->RowRemoved(row);
    changed();
    return true;
}

bool CChatModel::AddMessage(std::string_view text) {
    if (text.empty() || text.size() > kChatTextMax) return false;
    const platform::LocalTime t = clock_.localTime();
    SmsTime time;
    time.year = uint16_t(t.year);
    time.month = uint16_t(t.month);
    time.dayOfWeek = uint16_t(t.dayOfWeek);
    time.day = uint16_t(t.day);
    time.hour = uint16_t(t.hour);
    time.minute = uint16_t(t.minute);
    time.second = uint16_t(t.second);
    time.milliseconds = uint16_t(t.millisecond);
    return FilterAndAdd(text, {}, time);
}

void CChatModel::SetFastMode(bool on) {
    settings_.fastMode = on;
    app_.profile().putInt(kSection, "FastMode", on ? 1 : 0);
}

bool CChatModel::ApplyFilter(const CChatFilter& edited) {
    const std::string path = FilterPath();
    if (!CChatFilter::SaveFile(path, edited.words())) {
        app::ShowFileResult(pages::FILE_SAVE_ERROR, path);
        return false;
    }
    filter_ = edited;
    settings_.langDelete = edited.deleteWord;
    settings_.langPartial = edited.partial;
    app::Profile::Batch batch(app_.profile());
    app_.profile().putInt(kSection, "LangDelete", edited.deleteWord ? 1 : 0);
    app_.profile().putInt(kSection, "LangPartial", edited.partial ? 1 : 0);
    return true;
}

// ---- What the view shows --------------------------------------------------------------------

ChatButtons CChatModel::Buttons() const {
    ChatButtons b;
    b.open = b.filter = !running_;
    b.start = loaded_ && !running_;
    b.stop = loaded_ && running_;
    b.queue = b.edit = b.remove = !messages_.empty();
    b.add = running_;
    return b;
}

std::array<std::string, kChatColumns> CChatModel::RowTexts(int row) const {
    std::array<std::string, kChatColumns> out;
    if (row < 0 || row >= int(messages_.size())) return out;
    const ChatMessage& m = messages_[size_t(row)];
    char time[32];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", m.time.hour, m.time.minute, m.time.second);
    out[0] = std::to_string(m.number + 1);
    out[1] = app::LoadString(IDS_CHAT_STATE + std::clamp(m.state, 0, 2));
    out[2] = time;
    out[3] = m.sender;
    out[4] = m.text;
    return out;
}

}  // namespace sms

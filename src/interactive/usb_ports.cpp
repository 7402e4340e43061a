#include "interactive/usb_ports.h"

#include <cstdio>
#include <cstring>

#include "app/log/event_log.h"
#include "app/strings.h"
#include "voiceboardsim/voiceboard.h"

namespace interactive {

void UsbPortTable::Start(const UsbLineConfig& config) {
    config_ = config;
    ports_.clear();
    running_ = true;
}

void UsbPortTable::Stop() {
    ports_.clear();
    running_ = false;
}

int UsbPortTable::LineOf(int port) {
    int line = port % 100 - 1;
    return line >= 0 && line < kUsbLines ? line : -1;
}

bool UsbPortTable::Assigned(int port) const {
    int line = LineOf(port);
    return line >= 0 && (config_.assigned >> line & 1);
}

UsbPort* UsbPortTable::find(int port) {
    for (auto& p : ports_)
        if (p.port == port) return &p;
    return nullptr;
}

const UsbPort* UsbPortTable::Find(int port) const { return const_cast<UsbPortTable*>(this)->find(port); }

UsbCounts UsbPortTable::Counts() const {
    UsbCounts c;
    c.total = int(ports_.size());
    for (auto& p : ports_) {
        if (p.state == USB_LISTENING) ++c.listening;
        else if (p.state == USB_WAIT_NUMBER) ++c.ringing;
        else if (p.state >= USB_OFF_HOOK) ++c.answering;
    }
    return c;
}

std::string UsbPortTable::StatusText() const {
    UsbCounts c = Counts();
    char buf[160];
    std::snprintf(buf, sizeof buf, app::LoadString(18427).c_str(), c.total, c.listening, c.ringing, c.answering);
    return buf;
}

// Takes the state when its action succeeds. A failed pause goes on to the message, a failed
// message to hanging up, and a failed hang-up is tried again at the port's next event, so that no
// line stays off-hook for good.
void UsbPortTable::enter(UsbPort& p, int state) {
    switch (state) {
        case USB_OFF_HOOK:
            if (calls_.OffHook(p.port) == 0) p.state = USB_OFF_HOOK;
            return;
        case USB_PAUSING:
            if (calls_.Pause(p.port, kUsbPauseMs) == 0) p.state = USB_PAUSING;
            else enter(p, USB_PLAYING);
            return;
        case USB_PLAYING: {
            if (!p.voted) {
                p.voted = true;
                CallRecord r;
                r.line = uint8_t(LineOf(p.port));
                std::memcpy(r.number, p.number, sizeof r.number);
                r.number[sizeof r.number - 1] = 0;
                r.hasNumber = r.number[0] ? 1 : 0;
                sink_.OnCall(r);
            }
            const std::string& file = config_.soundFiles[size_t(LineOf(p.port))];
            if (!file.empty() && calls_.PlayFile(p.port, file) == 0) p.state = USB_PLAYING;
            else enter(p, USB_HANGING_UP);
            return;
        }
        case USB_HANGING_UP:
            if (calls_.Hangup(p.port) == 0) {
                p.state = USB_HANGING_UP;
                p.hangupDue = false;
            } else {
                p.hangupDue = true;
            }
            return;
        default: p.state = state;
    }
}

bool UsbPortTable::OnNotify(uintptr_t wParam, intptr_t lParam) {
    if (!running_) return false;
    int event = int(wParam);
    int port = int(uintptr_t(lParam) >> 16 & 0xFFFF);
    int value = int(lParam & 0xFFFF);
    LogMessage("CITVView::OnVoiceBoardNotify(%d, %d, %d)", event, port, value);
    UsbPort* p = find(port);
    if (event == VB_EVENT_PORT) {
        if (p) return false;
        UsbPort entry;
        entry.port = port;
        ports_.push_back(entry);
        sink_.OnStatus(StatusText());
        return true;
    }
    if (!p) return false;
    const UsbPort before = *p;
    if (event == VB_EVENT_LINE_STATUS && value == VB_LINE_NOT_READY) {
        p->state = USB_NOT_READY;
        p->hangupDue = false;  // the line is down: nothing is left to hang up
    } else if (Assigned(port)) {
        if (p->hangupDue && p->state != USB_HANGING_UP) enter(*p, USB_HANGING_UP);
        switch (event) {
            case VB_EVENT_LINE_STATUS:
                if (value == VB_LINE_IDLE) {
                    if (!p->hangupDue) p->state = USB_LISTENING;
                } else if (value == VB_LINE_INCOMING && p->state == USB_LISTENING) {
                    // A new call: only now is the last call's number forgotten.
                    std::memset(p->number, 0, sizeof p->number);
                    p->voted = false;
                    if (config_.useCID && !config_.aoh) p->state = USB_WAIT_NUMBER;
                    else enter(*p, USB_OFF_HOOK);
                }
                break;
            case VB_EVENT_CALLER_ID: {
                char number[32] = {};
                if (calls_.GetNumber(port, number) == 0) {
                    number[kUsbNumberChars] = 0;
                    std::memcpy(p->number, number, sizeof p->number);
                    if (p->state == USB_WAIT_NUMBER) enter(*p, USB_OFF_HOOK);
                }
                break;
            }
            case VB_EVENT_RING:
                if (p->state == USB_WAIT_NUMBER && value > 1) enter(*p, USB_OFF_HOOK);
                break;
            case VB_EVENT_DONE:
                if (p->state == USB_OFF_HOOK) enter(*p, config_.useCID && config_.aoh ? USB_PAUSING : USB_PLAYING);
                else if (p->state == USB_PAUSING) enter(*p, USB_PLAYING);
                else if (p->state == USB_PLAYING) enter(*p, USB_HANGING_UP);
                else if (p->state == USB_HANGING_UP) p->state = USB_LISTENING;
                break;
            default: break;
        }
    }
    bool changed = p->state != before.state || std::memcmp(p->number, before.number, sizeof p->number) != 0 ||
                   p->hangupDue != before.hangupDue || p->voted != before.voted;
    if (changed) sink_.OnStatus(StatusText());
    return changed;
}

}  // namespace interactive

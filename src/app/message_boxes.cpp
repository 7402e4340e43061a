#include "app/message_boxes.h"

#include <atomic>

#include "app/log/event_log.h"
#include "app/strings.h"

namespace app {

namespace {

int firstButton(unsigned style) {
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL: return IDOK;
        case MB_ABORTRETRYIGNORE: return IDABORT;
        case MB_YESNOCANCEL:
        case MB_YESNO: return IDYES;
        case MB_RETRYCANCEL: return IDRETRY;
        default: return IDOK;
    }
}

std::atomic<MessageBoxes*> g_boxes{nullptr};

}  // namespace

int HeadlessMessageBoxes::show(const std::string& text, unsigned style) {
    ++count_;
    last_ = text;
    lastStyle_ = style;
    int answer = (style & MB_TYPEMASK) == MB_OK ? IDOK : (answer_ ? answer_ : firstButton(style));
    std::string flat = text;
    for (char& c : flat)
        if (c == '\n' || c == '\r') c = ' ';
    LogMessage("MessageBox: %s -> %d", flat.c_str(), answer);
    if (echo_) *echo_ << text << "\n";
    return answer;
}

void SetMessageBoxes(MessageBoxes* boxes) { g_boxes = boxes; }

MessageBoxes& CurrentMessageBoxes() {
    static HeadlessMessageBoxes fallback;
    MessageBoxes* b = g_boxes;
    return b ? *b : fallback;
}

int MessageBoxText(const std::string& text, unsigned style) { return CurrentMessageBoxes().show(text, style); }

int MessageBoxId(int stringId, unsigned style) { return MessageBoxText(LoadString(stringId), style); }

int MessageBoxId(int stringId, unsigned style, std::initializer_list<std::string_view> args) {
    return MessageBoxText(FormatText(LoadString(stringId), args), style);
}

std::string FileResultText(int code, const std::string& path) {
    return FormatText(LoadString(2999 + (code & 0xFF)), {path});
}

unsigned FileResultStyle(int code) { return MB_OK | ((code & 0x100) ? MB_ICONERROR : MB_ICONWARNING); }

int ShowFileResult(int code, const std::string& path) {
    if (code == 0) return IDOK;
    return MessageBoxText(FileResultText(code, path), FileResultStyle(code));
}

}  // namespace app

#include "zx-remote/remote_program.h"

#include <unistd.h>

#include <cstdio>

#include "platform/files.h"
#include "video/remote_buttons.h"
#include "zx-remote/macro.h"

namespace zxremote {

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

RemoteProgram::RemoteProgram(const platform::Clock& clock, const SwitcherSetup& setup, std::string baseFolder)
    : clock_(clock), start_(clock.ticks()), switcher_(clock, setup), base_(std::move(baseFolder)) {
    if (!base_.empty() && base_.back() != '/') base_ += '/';
    read_ = [](const std::string& path, std::string& text) {
        const int64_t size = platform::FileSize(path);
        return size >= 0 && size <= int64_t(kMacroMaxBytes) && platform::ReadFile(path, text);
    };
}

int64_t RemoteProgram::OnCopyData(uint32_t dwData, std::span<const uint8_t> data) {
    int32_t first = 0;
    std::string text;
    const bool decoded = video::DecodeRemotePayload(data, first, text);
    int64_t reply = 0;
    std::string why;
    if (!switcher_.RemoteOn()) {
        why = "refused: <Remote> is off";
    } else if (!decoded) {
        why = "damaged block";
    } else if (dwData == video::REMOTE_MSG_COMMAND) {
        reply = switcher_.Apply(first, text);
    } else if (dwData == video::REMOTE_MSG_SCRIPT) {
        reply = runMacro(text, why);
    }
    std::lock_guard lock(m_);
    ++commands_;
    log_.push_back({clock_.ticks() - start_, dwData, first, text, reply, why});
    if (log_.size() > kLogLines) log_.pop_front();
    return reply;
}

int64_t RemoteProgram::runMacro(const std::string& given, std::string& why) {
    std::string path = platform::NormaliseDataName(given);
    if (!path.empty() && path[0] != '/') path = base_ + path;
    path = platform::ResolvePath(path);
    std::string text;
    std::vector<MacroStep> steps;
    if (!read_(path, text)) {
        why = "cannot read";
        return 0;
    }
    if (!ParseMacro(text, steps, why)) return 0;
    // It runs after the reply, so that a long macro does not hold the program that sent it.
    switcher_.Schedule(steps);
    return int64_t(steps.size());
}

std::vector<LogEntry> RemoteProgram::Log() {
    std::lock_guard lock(m_);
    return {log_.begin(), log_.end()};
}

std::string RemoteProgram::LogJson() {
    std::string j = "[";
    bool firstEntry = true;
    for (const LogEntry& e : Log()) {
        j += firstEntry ? "" : ",";
        firstEntry = false;
        j += "{\"time_ms\":" + std::to_string(e.timeMs) + ",\"dwData\":" + std::to_string(e.dwData) +
             ",\"action\":" + std::to_string(e.action) + ",\"name\":" + JsonString(e.name) +
             ",\"reply\":" + std::to_string(e.reply) + (e.note.empty() ? "" : ",\"note\":" + JsonString(e.note)) + "}";
    }
    return j + "]";
}

std::string RemoteProgram::StateJson() {
    std::string j = switcher_.StateJson();
    std::lock_guard lock(m_);
    j.pop_back();
    return j + ",\"hung\":" + (hung_ ? "true" : "false") + ",\"commands\":" + std::to_string(commands_) +
           ",\"pid\":" + std::to_string(::getpid()) + "}";
}

void RemoteProgram::SetHung(bool hung) {
    {
        std::lock_guard lock(m_);
        hung_ = hung;
    }
    cv_.notify_all();
}

bool RemoteProgram::Hung() {
    std::lock_guard lock(m_);
    return hung_;
}

void RemoteProgram::WaitWhileHung() {
    std::unique_lock lock(m_);
    cv_.wait(lock, [this] { return !hung_; });
}

}  // namespace zxremote

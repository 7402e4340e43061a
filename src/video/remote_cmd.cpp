#include "video/remote_cmd.h"

#include <cstring>
#include <thread>

#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "platform/files.h"

namespace video {

CRemoteCmd::CRemoteCmd() : CRemoteCmd(Options{}) {}

CRemoteCmd::CRemoteCmd(Options options)
    : clock_(options.clock ? *options.clock : platform::SystemClock::instance()),
      sleep_(std::move(options.sleep)),
      programFolder_(options.programFolder.empty() ? platform::ExecutableDir() : app::WithSlash(options.programFolder)),
      channel_(std::move(options.channel)) {}

CRemoteCmd::~CRemoteCmd() = default;

void CRemoteCmd::sleep(uint32_t ms) {
    if (sleep_) sleep_(ms);
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool CRemoteCmd::findRemote() {
    if (remote_ && channel_.IsWindow(remote_)) return true;
    remote_ = channel_.FindWindow(kRemoteTitle);
    return remote_ != 0;
}

void CRemoteCmd::showOnce(int stringId, unsigned style) {
    if (errorShown_) return;
    errorShown_ = true;
    app::MessageBoxId(stringId, style);
}

// Why a message got no answer, when it is more than a refusal.
void CRemoteCmd::logFailure(const char* operation, const std::string& what) {
    switch (channel_.lastError()) {
        case platform::CopyDataChannel::TIMED_OUT:
            LogMessage("CRemoteCmd::%s() [%s] no answer within %d ms", operation, what.c_str(),
                       channel_.options().timeoutMs);
            break;
        case platform::CopyDataChannel::HUNG:
            LogMessage("CRemoteCmd::%s() [%s] not sent: the remote program does not answer", operation, what.c_str());
            break;
        case platform::CopyDataChannel::NO_WINDOW:
            LogMessage("CRemoteCmd::%s() [%s] the remote program went away", operation, what.c_str());
            break;
        case platform::CopyDataChannel::DAMAGED:
            LogMessage("CRemoteCmd::%s() [%s] damaged answer", operation, what.c_str());
            break;
        default: break;
    }
}

int CRemoteCmd::SendCmd(int action, const std::string& button, uintptr_t wParam) {
    lastReply_ = 0;
    if (!findRemote()) {
        LogMessage("CRemoteCmd::SendCmd() failed: Remote window not found!");
        showOnce(IDS_REMOTE_NOT_RUNNING, app::MB_OK | app::MB_ICONERROR);
        return 0;
    }
    std::vector<uint8_t> payload;
    // A name the other side would cut short could press another button: refused.
    if (!EncodeRemotePayload(action, button, payload)) {
        LogMessage("CRemoteCmd::SendCmd() button name of %zu bytes refused", button.size());
        return 0;
    }
    const intptr_t reply = lastReply_ = channel_.Send(remote_, REMOTE_MSG_COMMAND, wParam, payload);
    if (reply == 0) {
        logFailure("SendCmd", button);
        LogMessage("CRemoteCmd::SendCmd() [%s] returns error", button.c_str());
        showOnce(IDS_REMOTE_NO_CONNECTION, app::MB_OK);
        return 0;
    }
    errorShown_ = false;
    if (action == REMOTE_QUERY) return reply == 2 ? 1 : 0;
    return reply > 0 && reply <= INT32_MAX ? int(reply) : 1;
}

int CRemoteCmd::RunScript(const std::string& path, uintptr_t wParam) {
    lastReply_ = 0;
    if (!findRemote()) {
        LogMessage("CRemoteCmd::RunScript() failed: Remote window not found!");
        showOnce(IDS_REMOTE_NOT_RUNNING, app::MB_OK | app::MB_ICONERROR);
        return 0;
    }
    std::vector<uint8_t> payload;
    if (!EncodeRemotePayload(0, path, payload)) {
        LogMessage("CRemoteCmd::RunScript() path of %zu bytes refused: %.200s", path.size(), path.c_str());
        showOnce(IDS_REMOTE_BAD_SCRIPT, app::MB_OK);
        return 0;
    }
    const intptr_t reply = lastReply_ = channel_.Send(remote_, REMOTE_MSG_SCRIPT, wParam, payload);
    if (reply == 0) {
        logFailure("RunScript", path);
        showOnce(IDS_REMOTE_BAD_SCRIPT, app::MB_OK);
        return 0;
    }
    errorShown_ = false;
    return reply > 0 && reply <= INT32_MAX ? int(reply) : 1;
}

bool CRemoteCmd::Launch(const std::string& folder) {
    errorShown_ = false;
    if (findRemote()) return true;
    const std::string dir = folder.empty() ? std::string() : app::WithSlash(folder);
    std::string program = dir.empty() ? std::string() : platform::ResolvePath(dir + kRemoteProgram);
    if (program.empty() || !platform::FileExists(program)) program = programFolder_ + kRemoteProgram;
    const std::string workDir = !dir.empty() && platform::IsDirectory(dir) ? dir : platform::DirectoryOf(program);
    LogMessage("CRemoteCmd::Launch() %s in %s", program.c_str(), workDir.c_str());
    // A program of its own, as if the operator had started it: it does not write into our output
    // (nor keep a pipe of whoever reads ours open).
    process_.setOutput("/dev/null", "/dev/null");
    if (!process_.Start(program, {"--minimized"}, workDir)) {
        LogMessage("CRemoteCmd::Launch() failed: %s", std::strerror(process_.error()));
        errorShown_ = true;
        app::MessageBoxId(IDS_REMOTE_NOT_FOUND, app::MB_OK | app::MB_ICONERROR);
        return false;
    }
    return true;
}

bool CRemoteCmd::WaitForWindow(uint32_t ms) {
    const uint32_t start = clock_.ticks();
    for (;;) {
        if (findRemote()) return true;
        if (platform::TicksSince(start, clock_.ticks()) >= ms) return false;
        sleep(50);
    }
}

std::vector<std::string> CRemoteCmd::SourceNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < kRemoteInputCount && kRemoteInputs[i] && *kRemoteInputs[i]; ++i)
        names.emplace_back(kRemoteInputs[i]);
    return names;
}

int CRemoteCmd::Seize(bool logoOff) {
    LogMessage("CRemoteCmd::Seize(%d)", logoOff ? 1 : 0);
    restorePending_ = false;
    if (!push(kButtonBreak)) return SEIZE_NO_BREAK;
    sleep(SEIZE_BREAK_WAIT);
    SendCmd(REMOTE_OFF, kButtonTransp);

    activeInput_ = -1;
    for (int i = 0; i < kRemoteInputCount && *kRemoteInputs[i]; ++i) {
        const std::string air = AirButton(kRemoteInputs[i]);
        if (lit(air)) {
            activeInput_ = i;
            LogMessage("CRemoteCmd::Seize() active input: [%s]", air.c_str());
            break;
        }
    }
    if (activeInput_ < 0) LogMessage("CRemoteCmd::Seize() failed: no active input!");
    activeEffect_ = -1;
    for (int i = 0; i < kRemoteEffectCount; ++i)
        if (lit(kRemoteEffects[i])) {
            activeEffect_ = i;
            break;
        }
    logoWasOn_ = false;
    if (logoOff && lit(kButtonLogo1)) {
        push(kButtonLogo1);
        logoWasOn_ = true;
    }
    fastWasOn_ = lit(kButtonFast);
    cutWasOn_ = lit(kButtonCut);
    if (fastWasOn_) {
        restorePending_ = true;
        return SEIZE_OK;
    }
    push(kButtonFast);
    const uint32_t start = clock_.ticks();
    for (;;) {
        sleep(SEIZE_FAST_POLL);
        if (lit(kButtonFast)) {
            restorePending_ = true;
            return SEIZE_OK;
        }
        // The wrapping difference: a start just before the tick count wraps still ends in time.
        if (platform::TicksSince(start, clock_.ticks()) >= SEIZE_FAST_LIMIT) break;
    }
    LogMessage("CRemoteCmd::Seize() failed: FAST mode not active after %u ms", unsigned(SEIZE_FAST_LIMIT));
    // No playout follows, so nothing would bring the logo back.
    if (logoWasOn_) {
        push(kButtonLogo1);
        logoWasOn_ = false;
    }
    return SEIZE_NO_FAST;
}

void CRemoteCmd::Restore(bool cutFirst, int input) {
    LogMessage("CRemoteCmd::Restore(%d, %d)", cutFirst ? 1 : 0, input);
    // Once per Seize: a second hand-back would push LOGO1 and FAST again and undo the first.
    if (!restorePending_) {
        LogMessage("CRemoteCmd::Restore() nothing to restore");
        return;
    }
    restorePending_ = false;
    SendCmd(REMOTE_OFF, kButtonFreeze);
    if (input >= kRemoteInputCount) {
        LogMessage("CRemoteCmd::Restore() no input %d", input);
        input = RESTORE_SEIZED_INPUT;
    }
    if (!cutFirst && input >= 0) activeInput_ = input;
    const bool anyInput = input == RESTORE_ANY_INPUT;
    if (activeInput_ != -1) {
        if (cutFirst) push(kButtonCut);
        if (!anyInput) push(kRemoteInputs[activeInput_]);
    }
    if (anyInput)
        for (int i = 0; i < kRemoteInputCount && *kRemoteInputs[i]; ++i)
            if (lit(kRemoteInputs[i])) {
                push(kRemoteInputs[i]);
                break;
            }
    if (activeEffect_ != -1) push(kRemoteEffects[activeEffect_]);
    if (logoWasOn_) push(kButtonLogo1);
    if (!fastWasOn_) push(kButtonFast);
    else if (cutWasOn_) push(kButtonCut);
    else push(kButtonAuto);
    if (activeInput_ >= 0 && !anyInput) push(kRemoteInputs[activeInput_]);
}

}  // namespace video

// A remote-control window that follows a script, on a thread of its own: it records every
// message, answers queries from a set of lit buttons, and can refuse, hang or light FAST late.
// Also the event log turned on for one test.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/log/event_log.h"
#include "platform/copydata_channel.h"
#include "platform/event.h"
#include "platform/event_loop.h"
#include "support/temp_dir.h"
#include "video/remote_buttons.h"

namespace remotetest {

class ScriptedRemote {
public:
    explicit ScriptedRemote(const std::string& dir, const std::string& title = video::kRemoteTitle) {
        platform::Event ready;
        thread_ = std::thread([this, dir, title, &ready] {
            platform::EventLoop loop;
            platform::LoopTarget target(loop, [this](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
                return msg == platform::MSG_COPYDATA ? handle(*reinterpret_cast<const platform::CopyData*>(l), w) : 0;
            });
            loop.processPending();
            platform::CopyDataWindow window;
            opened_ = window.Open(&target, title, dir);
            handle_ = window.handle();
            if (opened_) loop_ = &loop;
            ready.set();
            if (opened_) loop.run();
            window.Close();
        });
        ready.wait();
    }
    ~ScriptedRemote() {
        release();
        if (platform::EventLoop* l = loop_.load()) l->quit();
        thread_.join();
    }

    bool opened() const { return opened_; }
    uintptr_t handle() const { return handle_; }

    // ---- The script
    void light(const std::string& button, bool on = true) {
        std::lock_guard lock(m_);
        if (on) lit_.insert(button);
        else lit_.erase(button);
    }
    bool isLit(const std::string& button) {
        std::lock_guard lock(m_);
        return lit_.count(button) != 0;
    }
    // FAST lights on the n-th query after it was pushed (0: at once; -1: never).
    void setFastAfter(int queries) { fastAfter_ = queries; }
    void setRefuse(bool refuse) { refuse_ = refuse; }
    void setScriptReply(int reply) { scriptReply_ = reply; }
    // Stops answering until release().
    void hang() {
        std::lock_guard lock(m_);
        hung_ = true;
    }
    void release() {
        {
            std::lock_guard lock(m_);
            hung_ = false;
        }
        cv_.notify_all();
    }

    // "PUSH BREAK", "OFF TRANSP", "QUERY AIR_IN1", "SCRIPT /path", in order.
    std::vector<std::string> commands() {
        std::lock_guard lock(m_);
        return commands_;
    }
    std::vector<std::string> takeCommands() {
        std::lock_guard lock(m_);
        return std::move(commands_);
    }
    std::vector<uintptr_t> senders() {
        std::lock_guard lock(m_);
        return senders_;
    }

private:
    intptr_t handle(const platform::CopyData& d, uintptr_t sender) {
        std::unique_lock lock(m_);
        cv_.wait(lock, [this] { return !hung_; });
        senders_.push_back(sender);
        int32_t action = 0;
        std::string name;
        if (!video::DecodeRemotePayload({d.lpData, d.cbData}, action, name)) return 0;
        if (d.dwData == video::REMOTE_MSG_SCRIPT) {
            commands_.push_back("SCRIPT " + name);
            return refuse_ ? 0 : scriptReply_.load();
        }
        static const char* const kActions[] = {"PUSH", "ON", "OFF", "QUERY"};
        commands_.push_back(std::string(action >= 0 && action < 4 ? kActions[action] : "?") + " " + name);
        if (refuse_) return 0;
        if (action == video::REMOTE_QUERY) {
            if (name == video::kButtonFast && fastPending_ && fastAfter_ >= 0 && ++fastQueries_ >= fastAfter_) {
                lit_.insert(name);
                fastPending_ = false;
            }
            return lit_.count(name) ? 2 : 1;
        }
        if (action == video::REMOTE_PUSH && name == video::kButtonFast) {
            if (lit_.count(name)) {
                lit_.erase(name);
            } else if (fastAfter_ == 0) {
                lit_.insert(name);
            } else {
                fastPending_ = true;
                fastQueries_ = 0;
            }
        } else if (action == video::REMOTE_PUSH && name == video::kButtonLogo1) {
            if (!lit_.erase(name)) lit_.insert(name);
        } else if (action == video::REMOTE_ON) {
            lit_.insert(name);
        } else if (action == video::REMOTE_OFF) {
            lit_.erase(name);
        }
        return 1;
    }

    std::thread thread_;
    std::atomic<platform::EventLoop*> loop_{nullptr};
    bool opened_ = false;
    uintptr_t handle_ = 0;
    std::mutex m_;
    std::condition_variable cv_;
    std::set<std::string> lit_;
    std::vector<std::string> commands_;
    std::vector<uintptr_t> senders_;
    std::atomic<int> fastAfter_{0};
    int fastQueries_ = 0;
    bool fastPending_ = false;
    std::atomic<bool> refuse_{false};
    std::atomic<int> scriptReply_{3};
    bool hung_ = false;
};

// The event log on, in a folder of its own, for one test.
class LogCapture {
public:
    LogCapture() {
        app::ResetEventLog();
        zxtest::WriteText(dir_.file("LOG.INI"), "[Debug]\nLog=1\nTimestamp=0\n");
        app::ConfigureEventLog(dir_.file("LOG.INI"), dir_.path());
    }
    ~LogCapture() { app::ResetEventLog(); }
    std::string text() const { return zxtest::ReadText(dir_.file("logfile.txt")); }
    int count(const std::string& line) const {
        const std::string t = text(), l = line + "\r\n";
        int n = 0;
        for (size_t p = t.find(l); p != std::string::npos; p = t.find(l, p + 1)) ++n;
        return n;
    }

private:
    zxtest::TempDir dir_;
};

}  // namespace remotetest

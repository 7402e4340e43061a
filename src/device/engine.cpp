#include "device/engine.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "app/log/event_log.h"
#include "device/engine_worker.h"
#include "device/net_transport.h"

namespace device {

CEngine::CEngine() : CEngine(Options{}) {}

CEngine::CEngine(Options options)
    : options_(options), clock_(options.clock ? *options.clock : platform::SystemClock::instance()) {}

CEngine::~CEngine() {
    Done();
    Close();
}

int CEngine::Open(int linkKind, int portIndex, int statusClass) {
    Close();
    statusClass_ = statusClass;
    NetResetBatch();
    if (linkKind == app::LINK_LPT) {
        LptHandle h = nullptr;
        if (int e = LptOpen(portIndex, &h)) return e;
        link_ = std::make_shared<LptEngineLink>(h);
        return LINK_OK;
    }
    NetSetStatusClass(statusClass);
    if (int e = NetOpen()) return e;
    if (NetEmulating()) LogMessage("CEngine::Open() : emulation");
    link_ = std::make_shared<NetEngineLink>();
    return LINK_OK;
}

void CEngine::OpenWith(std::shared_ptr<EngineLink> link, int statusClass) {
    Close();
    statusClass_ = statusClass;
    link_ = std::move(link);
}

void CEngine::Close() {
    Done();
    if (!link_) return;
    // A worker that never came back from a call still holds the link; it goes when that does.
    if (!staleWorker()) link_->close();
    link_.reset();
}

bool CEngine::staleWorker() const { return stale_ && stale_->alive; }

bool CEngine::running() const { return session_ && session_->alive && !session_->isAbandoned(); }

void CEngine::Init(platform::MessageTarget* window) {
    if (running()) {
        LogMessage("CEngine::Init() : already running");
        return;
    }
    if (!link_) {
        LogMessage("CEngine::Init() : the link is not open");
        return;
    }
    if (staleWorker()) {
        // A worker that Done() gave up on still has the link: two must never share it.
        LogMessage("CEngine::Init() : the previous worker has not ended");
        return;
    }
    if (thread_.joinable()) thread_.join();
    session_ = std::make_shared<Session>();
    session_->target = window;
    if (options_.priorities) {
        if (SetProcessNice(kNiceHigh)) session_->processNice = kNiceHigh;
        else LogMessage("CEngine::Init() : process priority not raised (%s)", std::strerror(errno));
    }
    auto worker = std::make_shared<Worker>(session_, link_, statusClass_, clock_, options_.priorities);
    thread_ = std::thread([worker] { worker->run(); });
    LogMessage("CEngine::Init()");
}

void CEngine::Done() {
    if (!session_ || !thread_.joinable()) return;
    {
        // Straight into the mailbox: a worker stuck in a call never empties it.
        std::lock_guard l(session_->cs);
        session_->mailbox = CmdRecord{};
        session_->mailbox.code = CMD_STOP;
        session_->posted.set();
    }
    if (session_->stopped.wait(options_.stopWaitMs)) {
        thread_.join();
    } else {
        {
            std::lock_guard l(session_->postMutex);
            session_->abandoned = true;
        }
        LogMessage("CEngine::Done() : the worker did not stop");
        thread_.detach();
        stale_ = session_;
    }
    session_->stopped.reset();
    if (options_.priorities && session_->processNice != kNiceNormal) SetProcessNice(kNiceNormal);
    session_.reset();
    LogMessage("CEngine::Done()");
}

uint16_t CEngine::PutCmd(CmdRecord record) {
    std::shared_ptr<Session> sh = session_;
    if (!sh || !running()) {
        LogMessage("PutCmd : the engine is not running, command %d dropped", int(record.code));
        return 0;
    }
    while (sh->posted.isSet()) {
        LogMessage("PutCmd::Sleep()");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!sh->alive) {
            LogMessage("PutCmd : the worker has ended, command %d dropped", int(record.code));
            return 0;
        }
    }
    std::lock_guard l(sh->cs);
    record.seq = ++sequence_;
    if (record.seq == 0) record.seq = ++sequence_;
    const uint16_t seq = record.seq;
    sh->posted.set();
    sh->mailbox = std::move(record);
    return seq;
}

namespace {

CmdRecord Record(uint16_t code) {
    CmdRecord r;
    r.code = code;
    return r;
}

}  // namespace

uint16_t CEngine::postData(CmdRecord& rec, const char* operation) {
    size_t need = 0;
    if (!DataFits(rec, need)) {
        LogMessage("CEngine::%s : data block of %d bytes, %d needed", operation, int(rec.param3.size()), int(need));
        return 0;
    }
    return PutCmd(std::move(rec));
}

uint16_t CEngine::ResetDevice() { return PutCmd(Record(CMD_RESET_DEVICE)); }

uint16_t CEngine::FillRect(const Rect& rect, DataRef block, int flags) {
    CmdRecord r = Record(CMD_FILL_RECT);
    r.setRect(rect);
    r.param1 = uint16_t(flags & RECT_OTHER_BANK);
    r.param3 = (flags & RECT_FILL_BLOCK) ? DataRef::Borrow(kFillBlock.data(), kFillBlock.size()) : std::move(block);
    return postData(r, "FillRect");
}

uint16_t CEngine::LoadRect(const Rect& rect, DataRef pixels, int flags) {
    CmdRecord r = Record(CMD_LOAD_RECT);
    r.setRect(rect);
    r.param1 = uint16_t(flags & RECT_OTHER_BANK);
    r.param3 = std::move(pixels);
    return postData(r, "LoadRect");
}

uint16_t CEngine::InEffect(uint16_t effectFlags, uint32_t effectParams, const Rect& rect) {
    CmdRecord r = Record(CMD_IN_EFFECT);
    r.setRect(rect);
    r.param1 = effectFlags;
    r.param2 = effectParams;
    return PutCmd(std::move(r));
}

uint16_t CEngine::Scroll(const Rect& rect, uint16_t scrollFlags, uint32_t length, DataRef data) {
    CmdRecord r = Record(CMD_SCROLL);
    r.setRect(rect);
    r.param1 = scrollFlags;
    r.param2 = length;
    r.param3 = std::move(data);
    return postData(r, "Scroll");
}

uint16_t CEngine::EndScroll() { return PutCmd(Record(CMD_END_SCROLL)); }

uint16_t CEngine::Cut() { return PutCmd(Record(CMD_CUT)); }

uint16_t CEngine::SetMode(uint16_t value) {
    CmdRecord r = Record(CMD_SET_MODE);
    r.param1 = value;
    return PutCmd(std::move(r));
}

uint16_t CEngine::LoadRectData(const Rect& rect, DataRef pixels) {
    CmdRecord r = Record(CMD_LOAD_RECT_DATA);
    r.setRect(rect);
    r.param3 = std::move(pixels);
    return postData(r, "LoadRectData");
}

uint16_t CEngine::Reply(uint16_t code, uint16_t autoReply) {
    CmdRecord r = Record(CMD_REPLY);
    r.param1 = code;
    r.param2 = autoReply;
    return PutCmd(std::move(r));
}

uint16_t CEngine::Pause() { return PutCmd(Record(CMD_PAUSE)); }

}  // namespace device

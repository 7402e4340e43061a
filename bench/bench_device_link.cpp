// The Device links on their hot path: one full-screen picture block (829,442 bytes) sent to a
// loopback peer, followed by one status read so that every byte has really arrived.
//   NetSendPicture/0: Ethernet, 65,534-byte messages (13 per block)
//   NetSendPicture/2: Ethernet, status class 2, 1,478-byte messages (562 per block)
//   SimLptWritePicture: the simulated parallel port's Unix socket, address 0x1B + one write
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/profile.h"
#include "device/lpt_transport.h"
#include "device/net_transport.h"
#include "device/sim_lpt_protocol.h"
#include "device/sim_parallel_port.h"
#include "device/socket_io.h"
#include "platform/files.h"

using namespace device;

namespace {

constexpr size_t kPicture = 2 + 720 * 576 * 2;

std::string BenchDir() {
    std::string d = platform::RuntimeDir() + "zx_bench_device/";
    platform::MakeDirectories(d);
    return d;
}

// A Device that takes every session message and answers status requests.
class SessionSink {
public:
    SessionSink() {
        listen_ = sock::ListenTcpLoopback(port_);
        thread_ = std::thread([this] { run(); });
    }
    ~SessionSink() {
        stop_ = true;
        thread_.join();
        sock::Close(listen_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    uint64_t messages() const { return messages_; }

private:
    void run() {
        while (!stop_) {
            sock::Deadline d(50);
            int fd = sock::Accept(listen_, d);
            if (fd < 0) continue;
            SessionPacketReader reader;
            std::vector<uint8_t> buf(262144), payload;
            bool alive = true;
            while (alive && !stop_) {
                uint8_t type;
                while (reader.next(type, payload)) {
                    std::vector<uint8_t> reply;
                    if (type == SESSION_REQUEST) reply = {POSITIVE_SESSION_RESPONSE, 0, 0, 0};
                    if (type == SESSION_MESSAGE) {
                        ++messages_;
                        if (payload.size() == 1 && payload[0] == NET_MSG_STATUS)
                            reply = {0, 0, 0, 6, 0x80, 0, 0, 0, 0, 0};
                    }
                    sock::Deadline w(1000);
                    if (!reply.empty()) sock::WriteAll(fd, reply.data(), reply.size(), w);
                }
                size_t got = 0;
                sock::Deadline r(50);
                sock::Io io = sock::ReadSome(fd, buf.data(), buf.size(), got, r);
                if (io == sock::Io::Ok) reader.feed(buf.data(), got);
                alive = io == sock::Io::Ok || io == sock::Io::Timeout;
            }
            sock::Close(fd);
        }
    }
    int listen_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> messages_{0};
};

void BM_NetSendPicture(benchmark::State& state) {
    SessionSink sink;
    std::string dir = BenchDir();
    platform::WriteFileAtomic(dir + "ZENTRIX.INI", "[Ethernet]\nHosts=" + sink.address() + "\n");
    app::Profile ini(dir + "ZENTRIX.INI");
    NetBios nb(dir);
    NetTransport link(nb, ini);
    link.setStatusClass(int(state.range(0)));
    if (link.Open() != 0 || link.Connect() != 0) {
        state.SkipWithError("no link");
        return;
    }
    std::vector<uint8_t> picture(kPicture, 0x80);
    uint8_t status[6];
    uint64_t before = sink.messages();
    for (auto _ : state) {
        if (link.SendData(picture.data(), picture.size()) != 0 || link.ReadStatus(status, 6) != 0) {
            state.SkipWithError("send failed");
            break;
        }
    }
    state.counters["messages/block"] =
        double(sink.messages() - before) / double(state.iterations() ? state.iterations() : 1) - 1.0;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPicture));
    link.Close();
}
BENCHMARK(BM_NetSendPicture)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The virtual Device's side of the simulated parallel port: accepts every write.
class LptSink {
public:
    explicit LptSink(const std::string& path) {
        listen_ = sock::ListenUnix(path);
        thread_ = std::thread([this] { run(); });
    }
    ~LptSink() {
        stop_ = true;
        thread_.join();
        sock::Close(listen_);
    }

private:
    void run() {
        int fd = -1;
        std::vector<uint8_t> payload;
        while (!stop_) {
            if (fd < 0) {
                sock::Deadline d(50);
                fd = sock::Accept(listen_, d);
                continue;
            }
            uint8_t head[simlpt::kSimLptHeaderSize];
            sock::Deadline d(50, true);
            sock::Io io = sock::ReadExact(fd, head, sizeof head, d);
            if (io == sock::Io::Timeout) continue;
            simlpt::Frame f;
            if (io != sock::Io::Ok || !simlpt::DecodeFrame(head, f)) {
                sock::Close(fd);
                continue;
            }
            payload.resize(f.length);
            sock::Deadline p(1000, true);
            if (sock::ReadExact(fd, payload.data(), f.length, p) != sock::Io::Ok) {
                sock::Close(fd);
                continue;
            }
            simlpt::Frame reply{f.code, 0, f.code == PAR_CAPABILITY ? 1u : f.length, 0};
            if (f.code == simlpt::SIMLPT_HELLO) reply.value = simlpt::kSimLptVersion;
            simlpt::EncodeFrame(reply, head);
            sock::Deadline w(1000);
            sock::WriteAll(fd, head, sizeof head, w);
        }
        sock::Close(fd);
    }
    int listen_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

void BM_SimLptWritePicture(benchmark::State& state) {
    std::string path = BenchDir() + "lpt.sock";
    LptSink sink(path);
    LptHandle h = nullptr;
    if (LptOpen(std::make_unique<SimParallelPort>(path), 0, &h) != 0 || LptConnect(h) != 0) {
        state.SkipWithError("no link");
        LptClose(h);
        return;
    }
    std::vector<uint8_t> picture(kPicture, 0x80);
    for (auto _ : state) {
        if (LptWriteAddress(h, ECP_ADDR_DATA) != 0 || LptWrite(h, picture.data(), uint32_t(picture.size())) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPicture));
    LptClose(h);
}
BENCHMARK(BM_SimLptWritePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

#include "video/clip_probe.h"

#include <chrono>
#include <climits>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "platform/files.h"

namespace video {

bool DurationFromName(std::string_view path, uint32_t& ms) {
    std::string_view title =
        path.substr(path.find_last_of("/\\") == std::string_view::npos ? 0 : path.find_last_of("/\\") + 1);
    if (const size_t dot = title.rfind('.'); dot != std::string_view::npos) title = title.substr(0, dot);
    const size_t bar = title.rfind('_');
    if (bar == std::string_view::npos) return false;
    std::string_view digits = title.substr(bar + 1);
    bool millis = false;
    if (digits.size() >= 3) {
        const char m = digits[digits.size() - 2], s = digits[digits.size() - 1];
        if ((m == 'm' || m == 'M') && (s == 's' || s == 'S')) {
            millis = true;
            digits.remove_suffix(2);
        }
    }
    if (digits.empty()) return false;
    uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint64_t(c - '0');
        // Beyond what the players' 32-bit times hold: not a duration but a name.
        if (value > uint64_t(INT32_MAX)) return false;
    }
    if (!millis) value *= 1000;
    if (value > uint64_t(INT32_MAX)) return false;
    ms = uint32_t(value);
    return true;
}

namespace {

// A clip is opened on the thread that asks; a file that stalls (a network folder, a pipe) may
// not hold it longer than this.
constexpr auto kProbeDeadline = std::chrono::seconds(3);
// Enough for the pack headers and the first pictures of a program stream.
constexpr int64_t kProbeBytes = 256 * 1024;
// The end of a clip is found in its last bytes.
constexpr int64_t kTailBytes = 512 * 1024;
constexpr int kTailPackets = 4096;

struct Deadline {
    std::chrono::steady_clock::time_point until;
};

int Interrupt(void* opaque) { return std::chrono::steady_clock::now() > static_cast<Deadline*>(opaque)->until ? 1 : 0; }

// The end of the last picture, in the stream's time base, from the pictures near the end of the
// file. The program stream stamps only the first picture of each packet, so the pictures are
// read through the parser, which gives the others their decoding times; only the tail is read.
int64_t VideoEnd(AVFormatContext* fmt, int v) {
    const AVStream* st = fmt->streams[v];
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    const int64_t frame = rate.num > 0 ? av_rescale_q(1, av_inv_q(rate), st->time_base) : 0;
    const int64_t size = fmt->pb ? avio_size(fmt->pb) : -1;
    if (size > kTailBytes && avformat_seek_file(fmt, -1, INT64_MIN, size - kTailBytes, INT64_MAX, AVSEEK_FLAG_BYTE) < 0)
        return AV_NOPTS_VALUE;
    if (size <= kTailBytes && avformat_seek_file(fmt, -1, INT64_MIN, 0, INT64_MAX, AVSEEK_FLAG_BYTE) < 0)
        return AV_NOPTS_VALUE;
    AVPacket* pkt = av_packet_alloc();
    if (!pkt) return AV_NOPTS_VALUE;
    int64_t end = AV_NOPTS_VALUE;
    int64_t delay = 0;  // presentation after decoding, from the pictures stamped with both
    for (int n = 0; n < kTailPackets && av_read_frame(fmt, pkt) >= 0; ++n) {
        if (pkt->stream_index == v) {
            if (pkt->pts != AV_NOPTS_VALUE && pkt->dts != AV_NOPTS_VALUE) delay = pkt->pts - pkt->dts;
            const int64_t pts = pkt->pts != AV_NOPTS_VALUE   ? pkt->pts
                                : pkt->dts != AV_NOPTS_VALUE ? pkt->dts + delay
                                                             : AV_NOPTS_VALUE;
            if (pts != AV_NOPTS_VALUE) {
                const int64_t e = pts + (pkt->duration > 0 ? pkt->duration : frame);
                if (end == AV_NOPTS_VALUE || e > end) end = e;
            }
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    return end;
}

}  // namespace

int ProbeDuration(const std::string& path, uint32_t& ms) {
    if (DurationFromName(path, ms)) return PROBE_OK;
    av_log_set_level(AV_LOG_QUIET);
    Deadline deadline{std::chrono::steady_clock::now() + kProbeDeadline};
    AVFormatContext* fmt = avformat_alloc_context();
    if (!fmt) return PROBE_OPEN_FAILED;
    fmt->interrupt_callback.callback = Interrupt;
    fmt->interrupt_callback.opaque = &deadline;
    AVDictionary* opts = nullptr;
    // The players decode MPEG-1/2 program, transport and elementary streams; nothing else is a clip.
    av_dict_set(&opts, "format_whitelist", "mpeg,mpegts,mpegvideo", 0);
    av_dict_set(&opts, "protocol_whitelist", "file", 0);
    av_dict_set_int(&opts, "probesize", kProbeBytes, 0);
    av_dict_set_int(&opts, "analyzeduration", 2 * AV_TIME_BASE, 0);
    const std::string file = platform::ResolvePath(path);
    const int rc = avformat_open_input(&fmt, file.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (rc < 0) return PROBE_OPEN_FAILED;  // fmt freed by avformat_open_input
    int result = PROBE_NO_STREAM;
    const int v = avformat_find_stream_info(fmt, nullptr) >= 0
                      ? av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
                      : -1;
    if (v >= 0) {
        const int64_t end = VideoEnd(fmt, v);
        const AVStream* st = fmt->streams[v];
        const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        int64_t value = 0;
        if (end != AV_NOPTS_VALUE && end > start) value = av_rescale_q(end - start, st->time_base, AVRational{1, 1000});
        else if (fmt->duration > 0 && fmt->duration != AV_NOPTS_VALUE)
            value = av_rescale(fmt->duration, 1000, AV_TIME_BASE);
        if (value > 0 && value <= INT32_MAX) {
            ms = uint32_t(value);
            result = PROBE_OK;
        }
    }
    avformat_close_input(&fmt);
    return result;
}

}  // namespace video

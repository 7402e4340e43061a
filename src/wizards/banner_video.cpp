#include "wizards/banner_video.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "app/log/event_log.h"

namespace wizards {

namespace {

// A file image in memory read through an AVIOContext.
struct MemorySource {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

int ReadMemory(void* opaque, uint8_t* buf, int n) {
    auto* m = static_cast<MemorySource*>(opaque);
    const size_t left = m->size - m->pos;
    if (left == 0) return AVERROR_EOF;
    const size_t k = std::min(left, size_t(n));
    std::memcpy(buf, m->data + m->pos, k);
    m->pos += k;
    return int(k);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
    auto* m = static_cast<MemorySource*>(opaque);
    if (whence == AVSEEK_SIZE) return int64_t(m->size);
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = int64_t(m->pos); break;
        case SEEK_END: base = int64_t(m->size); break;
        default: return -1;
    }
    const int64_t at = base + offset;
    if (at < 0 || at > int64_t(m->size)) return -1;
    m->pos = size_t(at);
    return at;
}

// The containers of kBannerVideoExtensions, by FFmpeg's demuxer names. Other demuxers (text
// subtitles, raw streams, image pipes) are never asked to guess at a file: some of them take a
// damaged header's sizes at their word.
constexpr const char* kDemuxers = "avi,mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,gif";

// No single block FFmpeg allocates for a banner source may exceed this: the largest frame the
// converter reads (7680 x 4320 at 32 bits) is 133 MB, and a damaged header that asks for more is
// answered with "out of memory" by FFmpeg itself instead of taking the machine's memory.
constexpr size_t kMaxFfmpegBlock = size_t(256) << 20;

void QuietFfmpeg() {
    static const bool once = [] {
        av_log_set_level(AV_LOG_QUIET);
        av_max_alloc(kMaxFfmpegBlock);
        return true;
    }();
    (void)once;
}

// One open container: the demuxer, and for memory its I/O context.
struct Demuxer {
    AVFormatContext* fmt = nullptr;
    AVIOContext* io = nullptr;
    MemorySource mem;

    ~Demuxer() { close(); }
    void close() {
        if (fmt) avformat_close_input(&fmt);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
    // 0 or a file result code.
    int open(const std::string& path, const uint8_t* data, size_t size) {
        close();
        fmt = avformat_alloc_context();
        if (!fmt) return IDS_VIDEO_OPEN;
        if (data) {
            mem = {data, size, 0};
            auto* buf = static_cast<uint8_t*>(av_malloc(65536));
            io = buf ? avio_alloc_context(buf, 65536, 0, &mem, ReadMemory, nullptr, SeekMemory) : nullptr;
            if (!io) {
                av_free(buf);
                avformat_free_context(fmt);
                fmt = nullptr;
                return IDS_VIDEO_OPEN;
            }
            fmt->pb = io;
        }
        AVDictionary* opts = nullptr;
        av_dict_set(&opts, "format_whitelist", kDemuxers, 0);
        const int rc = avformat_open_input(&fmt, data ? nullptr : path.c_str(), nullptr, &opts);
        av_dict_free(&opts);
        if (rc < 0) {
            fmt = nullptr;  // freed by avformat_open_input
            return rc == AVERROR_INVALIDDATA ? IDS_VIDEO_FORMAT : IDS_VIDEO_OPEN;
        }
        if (avformat_find_stream_info(fmt, nullptr) < 0) return IDS_VIDEO_FORMAT;
        return 0;
    }
};

}  // namespace

struct CBannerVideo::Impl {
    std::string path;
    const uint8_t* data = nullptr;
    size_t size = 0;
    Demuxer demux;
    int stream = -1;
    AVCodecContext* codec = nullptr;
    SwsContext* sws = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    bool flushing = false, ended = false;
    bool havePending = false;  // the first frame, decoded at open
    pages::CBitmap32 last;     // the frame given last (stands in for one that does not decode)
    AVPixelFormat target = AV_PIX_FMT_BGR24;
    int swsFormat = -1, swsW = 0, swsH = 0;
    std::vector<uint8_t> converted;

    ~Impl() { release(); }
    void release() {
        if (sws) sws_freeContext(sws);
        sws = nullptr;
        if (codec) avcodec_free_context(&codec);
        if (packet) av_packet_free(&packet);
        if (frame) av_frame_free(&frame);
        demux.close();
        stream = -1;
        swsFormat = -1;
    }

    // The next decoded frame into `frame`: 1 a frame, 0 the end, -1 one that failed to decode.
    int decode() {
        for (;;) {
            const int r = avcodec_receive_frame(codec, frame);
            if (r == 0) return 1;
            if (r == AVERROR_EOF) return 0;
            if (r != AVERROR(EAGAIN)) {
                if (flushing) return 0;
                return -1;
            }
            if (flushing) return 0;
            // Needs input.
            for (;;) {
                const int rr = av_read_frame(demux.fmt, packet);
                if (rr < 0) {
                    flushing = true;
                    avcodec_send_packet(codec, nullptr);
                    break;
                }
                if (packet->stream_index != stream) {
                    av_packet_unref(packet);
                    continue;
                }
                const int s = avcodec_send_packet(codec, packet);
                av_packet_unref(packet);
                if (s < 0 && s != AVERROR(EAGAIN)) return -1;
                break;
            }
        }
    }

    // The decoded frame into out as the converter wants it.
    bool convert(const VideoInfo& info, bool inverseTGA, pages::CBitmap32& out) {
        const int w = info.width, h = info.height;
        if (frame->width != w || frame->height != h) return false;
        out.create(w, h);
        const auto fmt = AVPixelFormat(frame->format);
        if (info.rawTransparency && (fmt == AV_PIX_FMT_BGRA || fmt == AV_PIX_FMT_BGR0)) {
            // The stored bytes: blue, green, red and the transparency as stored.
            for (int y = 0; y < h; ++y) {
                const uint8_t* src = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
                uint8_t* dst = out.pixel(0, y);
                std::memcpy(dst, src, size_t(w) * 4);
                if (inverseTGA)
                    for (int x = 0; x < w; ++x) dst[x * 4 + 3] = uint8_t(255 - dst[x * 4 + 3]);
            }
            return true;
        }
        if (!sws || swsFormat != frame->format || swsW != w || swsH != h) {
            if (sws) sws_freeContext(sws);
            sws = sws_getContext(w, h, fmt, w, h, target, SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr, nullptr,
                                 nullptr);
            if (!sws) return false;
            swsFormat = frame->format, swsW = w, swsH = h;
        }
        const int bpp = target == AV_PIX_FMT_BGRA ? 4 : 3;
        const int stride = w * bpp;
        converted.resize(size_t(stride) * size_t(h));
        uint8_t* dst[4] = {converted.data(), nullptr, nullptr, nullptr};
        int lines[4] = {stride, 0, 0, 0};
        if (sws_scale(sws, frame->data, frame->linesize, 0, h, dst, lines) != h) return false;
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = converted.data() + size_t(y) * size_t(stride);
            uint8_t* d = out.pixel(0, y);
            for (int x = 0; x < w; ++x, s += bpp, d += 4) {
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
                d[3] = bpp == 4 ? uint8_t(255 - s[3]) : 0;  // alpha is opacity
            }
        }
        return true;
    }
};

CBannerVideo::CBannerVideo() : impl_(std::make_unique<Impl>()) {}
CBannerVideo::~CBannerVideo() = default;

void CBannerVideo::Close() {
    impl_->release();
    info_ = {};
    stats_ = {};
}

int CBannerVideo::Open(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), R_OK) != 0)
        return IDS_VIDEO_OPEN;
    return openWith(path, nullptr, 0);
}

int CBannerVideo::OpenMemory(const uint8_t* data, size_t size) { return openWith("", data, size); }

int CBannerVideo::openWith(const std::string& path, const uint8_t* data, size_t size) {
    QuietFfmpeg();
    Close();
    Impl& m = *impl_;
    m.path = path, m.data = data, m.size = size;
    int rc = m.demux.open(path, data, size);
    if (rc != 0) return rc;
    AVFormatContext* fmt = m.demux.fmt;
    m.stream = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m.stream < 0) return IDS_VIDEO_NO_STREAM;
    AVStream* st = fmt->streams[m.stream];
    AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return IDS_VIDEO_NO_STREAM;
    const int64_t r100 = int64_t(rate.num) * 100 / rate.den;
    if (r100 <= 0) return IDS_VIDEO_NO_STREAM;
    info_.rate100 = uint32_t(std::min<int64_t>(r100, INT32_MAX));
    info_.container = fmt->iformat ? fmt->iformat->name : "";
    const AVCodecParameters* par = st->codecpar;
    const AVCodec* dec = avcodec_find_decoder(par->codec_id);
    info_.codec = dec ? dec->name : avcodec_get_name(par->codec_id);
    if (!dec || par->width <= 0 || par->height <= 0) return IDS_VIDEO_NO_DECODER;
    info_.width = par->width, info_.height = par->height;

    // The count: the stream's, or read through once.
    if (st->nb_frames > 0 && st->nb_frames <= INT32_MAX) {
        info_.frames = uint32_t(st->nb_frames);
    } else {
        Demuxer counter;
        if (counter.open(path, data, size) == 0) {
            AVPacket* p = av_packet_alloc();
            uint32_t n = 0;
            while (p && av_read_frame(counter.fmt, p) >= 0) {
                if (p->stream_index == m.stream) ++n;
                av_packet_unref(p);
            }
            av_packet_free(&p);
            info_.frames = n;
        }
        info_.counted = true;
    }

    m.codec = avcodec_alloc_context3(dec);
    if (!m.codec || avcodec_parameters_to_context(m.codec, par) < 0) return IDS_VIDEO_NO_DECODER;
    m.codec->thread_count = 1;  // the same frames on every machine
    m.codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (avcodec_open2(m.codec, dec, nullptr) < 0) return IDS_VIDEO_NO_DECODER;
    m.packet = av_packet_alloc();
    m.frame = av_frame_alloc();
    if (!m.packet || !m.frame) return IDS_VIDEO_NO_DECODER;

    // The first frame says what the decoder gives.
    if (m.decode() != 1 || m.frame->width != info_.width || m.frame->height != info_.height)
        return IDS_VIDEO_NO_DECODER;
    const auto pf = AVPixelFormat(m.frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(pf);
    if (!desc) return IDS_VIDEO_NO_DECODER;
    info_.pixelFormat = desc->name;
    info_.rawTransparency = par->codec_id == AV_CODEC_ID_RAWVIDEO && par->bits_per_coded_sample == 32 &&
                            (pf == AV_PIX_FMT_BGRA || pf == AV_PIX_FMT_BGR0);
    const bool alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    info_.bitsPerPixel = info_.rawTransparency || alpha ? 32 : 24;
    m.target = alpha ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    if (!info_.rawTransparency && !sws_isSupportedInput(pf)) return IDS_VIDEO_NO_DECODER;
    m.havePending = true;
    LogMessage("CBannerVideo::Open %s: %s %s %dx%d %u frames at %u", path.c_str(), info_.codec.c_str(),
               info_.pixelFormat.c_str(), info_.width, info_.height, info_.frames, info_.rate100);
    return 0;
}

bool CBannerVideo::NextFrame(pages::CBitmap32& out, bool inverseTGA) {
    Impl& m = *impl_;
    if (!m.codec || m.ended) return false;
    int r = 1;
    if (m.havePending) {
        m.havePending = false;
    } else {
        r = m.decode();
    }
    if (r == 0) {
        m.ended = true;
        return false;
    }
    if (r < 0 || !m.convert(info_, inverseTGA, out)) {
        ++stats_.badFrames;
        out = m.last.empty() ? pages::CBitmap32(info_.width, info_.height) : m.last;
        m.last = out;
        return true;
    }
    m.last = out;
    return true;
}

}  // namespace wizards

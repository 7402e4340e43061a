#include "zx-player/clip_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/files.h"

namespace zxplayer {

struct ClipDecoder::Impl {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* sws = nullptr;
    int stream = -1;
    bool flushing = false;
    bool firstPending = false;  // the picture Open decoded, not handed out yet
    bool converted = false;
    int64_t start = AV_NOPTS_VALUE;
    int64_t lastMs = 0;
    pages::CBitmap32 picture;

    ~Impl() { close(); }
    void close() {
        if (sws) sws_freeContext(sws);
        sws = nullptr;
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&codec);
        if (fmt) avformat_close_input(&fmt);
        stream = -1;
    }
    // 1 a picture in frame, 0 the end, -1 damage that ends it.
    int decode() {
        for (;;) {
            const int r = avcodec_receive_frame(codec, frame);
            if (r == 0) return 1;
            if (r == AVERROR_EOF) return 0;
            if (r != AVERROR(EAGAIN)) return -1;
            if (flushing) return 0;
            const int rd = av_read_frame(fmt, pkt);
            if (rd < 0) {
                flushing = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (pkt->stream_index == stream) avcodec_send_packet(codec, pkt);  // a damaged packet is skipped
            av_packet_unref(pkt);
        }
    }
    int64_t timeOf(const AVFrame* f) {
        const int64_t ts = f->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE) return lastMs + periodMs();
        if (start == AV_NOPTS_VALUE) start = ts;
        return av_rescale_q(ts - start, fmt->streams[stream]->time_base, AVRational{1, 1000});
    }
    int64_t periodMs() const {
        const AVRational r = fmt->streams[stream]->avg_frame_rate.num > 0 ? fmt->streams[stream]->avg_frame_rate
                                                                          : fmt->streams[stream]->r_frame_rate;
        return r.num > 0 ? std::max<int64_t>(1, av_rescale(1000, r.den, r.num)) : 40;
    }
};

ClipDecoder::ClipDecoder() : d_(std::make_unique<Impl>()) {}
ClipDecoder::~ClipDecoder() = default;

bool ClipDecoder::Open(const std::string& path, std::string& error) {
    av_log_set_level(AV_LOG_QUIET);
    d_->close();
    d_->start = AV_NOPTS_VALUE;
    d_->flushing = false;
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "format_whitelist", "mpeg,mpegts,mpegvideo", 0);
    const int rc = avformat_open_input(&d_->fmt, platform::ResolvePath(path).c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        d_->fmt = nullptr;
        error = "cannot open " + path;
        return false;
    }
    const AVCodec* dec = nullptr;
    if (avformat_find_stream_info(d_->fmt, nullptr) < 0 ||
        (d_->stream = av_find_best_stream(d_->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &dec, 0)) < 0 || !dec) {
        error = "no MPEG picture in " + path;
        d_->close();
        return false;
    }
    d_->codec = avcodec_alloc_context3(dec);
    d_->pkt = av_packet_alloc();
    d_->frame = av_frame_alloc();
    if (!d_->codec || !d_->pkt || !d_->frame ||
        avcodec_parameters_to_context(d_->codec, d_->fmt->streams[d_->stream]->codecpar) < 0 ||
        (d_->codec->thread_count = 1, avcodec_open2(d_->codec, dec, nullptr) < 0)) {
        error = "cannot decode " + path;
        d_->close();
        return false;
    }
    if (d_->decode() != 1) {
        error = "no picture decodes in " + path;
        d_->close();
        return false;
    }
    d_->firstPending = true;
    return true;
}

bool ClipDecoder::Next(int64_t& ms) {
    if (d_->stream < 0) return false;
    if (d_->firstPending) {
        d_->firstPending = false;
    } else if (d_->decode() != 1) {
        return false;
    }
    d_->converted = false;
    ms = d_->lastMs = d_->timeOf(d_->frame);
    return true;
}

bool ClipDecoder::Rewind() {
    if (d_->stream < 0) return false;
    if (av_seek_frame(d_->fmt, d_->stream, 0, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(d_->fmt, -1, INT64_MIN, 0, INT64_MAX, AVSEEK_FLAG_BYTE) < 0)
        return false;
    avcodec_flush_buffers(d_->codec);
    d_->flushing = false;
    d_->start = AV_NOPTS_VALUE;
    if (d_->decode() != 1) return false;
    d_->firstPending = true;
    return true;
}

const pages::CBitmap32& ClipDecoder::Picture() {
    Impl& d = *d_;
    if (d.converted || d.stream < 0) return d.picture;
    const int w = d.frame->width, h = d.frame->height;
    if (d.picture.width() != w || d.picture.height() != h) d.picture.create(w, h);
    d.sws = sws_getCachedContext(d.sws, w, h, AVPixelFormat(d.frame->format), w, h, AV_PIX_FMT_BGRA, SWS_POINT, nullptr,
                                 nullptr, nullptr);
    if (d.sws) {
        uint8_t* dst[4] = {d.picture.bits(), nullptr, nullptr, nullptr};
        const int lines[4] = {d.picture.stride(), 0, 0, 0};
        sws_scale(d.sws, d.frame->data, d.frame->linesize, 0, h, dst, lines);
        // BGRA's fourth byte is opacity; the picture's is transparency.
        uint8_t* p = d.picture.bits();
        for (size_t i = 3; i < size_t(w) * size_t(h) * 4; i += 4) p[i] = 0;
    }
    d.converted = true;
    return d.picture;
}

int64_t ClipDecoder::FramePeriodMs() const { return d_->stream >= 0 ? d_->periodMs() : 40; }

int64_t ClipDecoder::DurationMs() const {
    return d_->fmt && d_->fmt->duration > 0 ? av_rescale(d_->fmt->duration, 1000, AV_TIME_BASE) : 0;
}

}  // namespace zxplayer

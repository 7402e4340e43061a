#include "video/mpeg_writer.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/files.h"

namespace video {

namespace {

int WriteMemory(void* opaque, uint8_t* buf, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(opaque);
    out->insert(out->end(), buf, buf + n);
    return n;
}

// Everything one encode holds, freed in one place.
struct Encoder {
    AVFormatContext* fmt = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* vst = nullptr;
    AVStream* ast = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* pkt = nullptr;
    SwsContext* sws = nullptr;
    bool failed = false;

    ~Encoder() {
        if (sws) sws_freeContext(sws);
        av_frame_free(&picture);
        av_frame_free(&sound);
        av_packet_free(&pkt);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        avformat_free_context(fmt);
    }

    void drain(AVCodecContext* ctx, AVStream* st) {
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
            pkt->stream_index = st->index;
            if (av_interleaved_write_frame(fmt, pkt) < 0) failed = true;
        }
    }
};

AVCodecContext* OpenVideo(const MpegClipOptions& o) {
    const AVCodec* enc = avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
    AVCodecContext* ctx = enc ? avcodec_alloc_context3(enc) : nullptr;
    if (!ctx) return nullptr;
    ctx->width = kClipWidth;
    ctx->height = kClipHeight;
    ctx->time_base = AVRational{1, kClipFps};
    ctx->framerate = AVRational{kClipFps, 1};
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->gop_size = o.gop;
    ctx->max_b_frames = 0;
    ctx->bit_rate = 4000000;
    ctx->flags |= AV_CODEC_FLAG_BITEXACT;
    ctx->thread_count = 1;
    ctx->sample_aspect_ratio = AVRational{16, 15};
    if (avcodec_open2(ctx, enc, nullptr) < 0) avcodec_free_context(&ctx);
    return ctx;
}

AVCodecContext* OpenAudio() {
    const AVCodec* enc = avcodec_find_encoder(AV_CODEC_ID_MP2);
    AVCodecContext* ctx = enc ? avcodec_alloc_context3(enc) : nullptr;
    if (!ctx) return nullptr;
    ctx->sample_rate = 48000;
    ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&ctx->ch_layout, 2);
    ctx->bit_rate = 128000;
    ctx->time_base = AVRational{1, 48000};
    ctx->flags |= AV_CODEC_FLAG_BITEXACT;
    ctx->thread_count = 1;
    if (avcodec_open2(ctx, enc, nullptr) < 0) avcodec_free_context(&ctx);
    return ctx;
}

}  // namespace

bool EncodeMpegClip(const MpegClipOptions& o, const FrameFn& draw, std::vector<uint8_t>& out) {
    if (o.frames <= 0) return false;
    av_log_set_level(AV_LOG_QUIET);
    out.clear();
    Encoder e;
    if (avformat_alloc_output_context2(&e.fmt, av_guess_format("vob", nullptr, nullptr), nullptr, nullptr) < 0 ||
        !e.fmt)
        return false;
    e.fmt->flags |= AVFMT_FLAG_BITEXACT;
    auto* buf = static_cast<uint8_t*>(av_malloc(65536));
    e.io = buf ? avio_alloc_context(buf, 65536, 1, &out, nullptr, WriteMemory, nullptr) : nullptr;
    if (!e.io) {
        av_free(buf);
        return false;
    }
    e.fmt->pb = e.io;
    e.pkt = av_packet_alloc();
    e.video = OpenVideo(o);
    if (!e.pkt || !e.video) return false;
    e.vst = avformat_new_stream(e.fmt, nullptr);
    if (!e.vst || avcodec_parameters_from_context(e.vst->codecpar, e.video) < 0) return false;
    e.vst->time_base = e.video->time_base;
    if (o.audio) {
        e.audio = OpenAudio();
        if (!e.audio) return false;
        e.ast = avformat_new_stream(e.fmt, nullptr);
        if (!e.ast || avcodec_parameters_from_context(e.ast->codecpar, e.audio) < 0) return false;
        e.ast->time_base = e.audio->time_base;
    }
    if (avformat_write_header(e.fmt, nullptr) < 0) return false;
    e.picture = av_frame_alloc();
    if (!e.picture) return false;
    e.picture->format = AV_PIX_FMT_YUV420P;
    e.picture->width = kClipWidth;
    e.picture->height = kClipHeight;
    if (av_frame_get_buffer(e.picture, 0) < 0) return false;
    e.sws = sws_getContext(kClipWidth, kClipHeight, AV_PIX_FMT_BGRA, kClipWidth, kClipHeight, AV_PIX_FMT_YUV420P,
                           SWS_POINT | SWS_BITEXACT, nullptr, nullptr, nullptr);
    if (!e.sws) return false;
    if (e.audio) {
        e.sound = av_frame_alloc();
        if (!e.sound) return false;
        e.sound->format = e.audio->sample_fmt;
        e.sound->nb_samples = e.audio->frame_size;
        e.sound->sample_rate = e.audio->sample_rate;
        if (av_channel_layout_copy(&e.sound->ch_layout, &e.audio->ch_layout) < 0 || av_frame_get_buffer(e.sound, 0) < 0)
            return false;
    }
    pages::CBitmap32 frame;
    frame.create(kClipWidth, kClipHeight);
    int64_t samples = 0;
    const int64_t totalSamples = int64_t(o.frames) * 48000 / kClipFps;
    for (int i = 0; i < o.frames && !e.failed; ++i) {
        frame.fillAll(0);
        if (draw) draw(i, frame);
        if (av_frame_make_writable(e.picture) < 0) return false;
        const uint8_t* src[4] = {frame.bits(), nullptr, nullptr, nullptr};
        const int lines[4] = {frame.stride(), 0, 0, 0};
        if (sws_scale(e.sws, src, lines, 0, kClipHeight, e.picture->data, e.picture->linesize) != kClipHeight)
            return false;
        e.picture->pts = i;
        if (avcodec_send_frame(e.video, e.picture) < 0) return false;
        e.drain(e.video, e.vst);
        // The sound up to the end of this picture: a quiet 1 kHz tone.
        const int64_t until = std::min(totalSamples, int64_t(i + 1) * 48000 / kClipFps);
        while (e.audio && samples + e.audio->frame_size <= until) {
            if (av_frame_make_writable(e.sound) < 0) return false;
            auto* pcm = reinterpret_cast<int16_t*>(e.sound->data[0]);
            for (int s = 0; s < e.audio->frame_size; ++s) {
                const auto v = int16_t(std::lround(3000 * std::sin(2 * M_PI * 1000 * double(samples + s) / 48000)));
                pcm[2 * s] = pcm[2 * s + 1] = v;
            }
            e.sound->pts = samples;
            samples += e.audio->frame_size;
            if (avcodec_send_frame(e.audio, e.sound) < 0) return false;
            e.drain(e.audio, e.ast);
        }
    }
    avcodec_send_frame(e.video, nullptr);
    e.drain(e.video, e.vst);
    if (e.audio) {
        avcodec_send_frame(e.audio, nullptr);
        e.drain(e.audio, e.ast);
    }
    if (e.failed || av_write_trailer(e.fmt) < 0) return false;
    avio_flush(e.io);
    return true;
}

bool WriteMpegClip(const std::string& path, const MpegClipOptions& options, const FrameFn& draw) {
    std::vector<uint8_t> bytes;
    return EncodeMpegClip(options, draw, bytes) && platform::WriteFileAtomic(path, bytes);
}

}  // namespace video

#include "wizards/video_writer.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/files.h"

namespace wizards {

namespace {

struct Growing {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
};

int WriteMemory(void* opaque, uint8_t* buf, int n) {
    auto* g = static_cast<Growing*>(opaque);
    if (g->pos + size_t(n) > g->bytes.size()) g->bytes.resize(g->pos + size_t(n));
    std::memcpy(g->bytes.data() + g->pos, buf, size_t(n));
    g->pos += size_t(n);
    return n;
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
    auto* g = static_cast<Growing*>(opaque);
    if (whence == AVSEEK_SIZE) return int64_t(g->bytes.size());
    int64_t base = whence == SEEK_CUR ? int64_t(g->pos) : whence == SEEK_END ? int64_t(g->bytes.size()) : 0;
    if (base + offset < 0) return -1;
    g->pos = size_t(base + offset);
    return int64_t(g->pos);
}

bool Encode(const std::vector<pages::CBitmap32>& frames, int fps, VideoCodec kind, Growing& out) {
    if (frames.empty() || fps <= 0) return false;
    av_log_set_level(AV_LOG_QUIET);
    const int w = frames[0].width(), h = frames[0].height();
    const AVOutputFormat* ofmt = av_guess_format("avi", nullptr, nullptr);
    AVFormatContext* fmt = nullptr;
    if (avformat_alloc_output_context2(&fmt, ofmt, nullptr, nullptr) < 0 || !fmt) return false;
    fmt->flags |= AVFMT_FLAG_BITEXACT;
    bool ok = false;
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* pkt = av_packet_alloc();
    SwsContext* sws = nullptr;
    auto* buf = static_cast<uint8_t*>(av_malloc(65536));
    AVIOContext* io = avio_alloc_context(buf, 65536, 1, &out, nullptr, WriteMemory, SeekMemory);
    do {
        if (!io || !pkt) break;
        fmt->pb = io;
        const AVCodecID id = kind == VIDEO_MJPEG ? AV_CODEC_ID_MJPEG
                             : kind == VIDEO_PNG ? AV_CODEC_ID_PNG
                                                 : AV_CODEC_ID_RAWVIDEO;
        const AVCodec* enc = avcodec_find_encoder(id);
        if (!enc) break;
        AVStream* st = avformat_new_stream(fmt, nullptr);
        ctx = avcodec_alloc_context3(enc);
        if (!st || !ctx) break;
        ctx->width = w, ctx->height = h;
        ctx->time_base = AVRational{1, fps};
        ctx->framerate = AVRational{fps, 1};
        ctx->flags |= AV_CODEC_FLAG_BITEXACT;
        ctx->thread_count = 1;
        ctx->pix_fmt = kind == VIDEO_MJPEG   ? AV_PIX_FMT_YUVJ422P
                       : kind == VIDEO_PNG   ? AV_PIX_FMT_RGBA
                       : kind == VIDEO_RAW32 ? AV_PIX_FMT_BGRA
                                             : AV_PIX_FMT_BGR24;
        if (kind == VIDEO_MJPEG) {
            ctx->flags |= AV_CODEC_FLAG_QSCALE;
            ctx->global_quality = FF_QP2LAMBDA * 3;
        }
        if (avcodec_open2(ctx, enc, nullptr) < 0) break;
        if (avcodec_parameters_from_context(st->codecpar, ctx) < 0) break;
        if (kind == VIDEO_RAW32) st->codecpar->bits_per_coded_sample = 32;
        if (kind == VIDEO_RAW24) st->codecpar->bits_per_coded_sample = 24;
        st->time_base = ctx->time_base;
        st->avg_frame_rate = ctx->framerate;
        if (avformat_write_header(fmt, nullptr) < 0) break;
        frame = av_frame_alloc();
        if (!frame) break;
        frame->format = ctx->pix_fmt, frame->width = w, frame->height = h;
        if (av_frame_get_buffer(frame, 0) < 0) break;
        if (kind == VIDEO_MJPEG)
            sws = sws_getContext(w, h, AV_PIX_FMT_BGRA, w, h, ctx->pix_fmt, SWS_POINT | SWS_BITEXACT, nullptr, nullptr,
                                 nullptr);
        bool failed = false;
        int64_t pts = 0;
        auto drain = [&] {
            while (avcodec_receive_packet(ctx, pkt) == 0) {
                av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
                pkt->stream_index = st->index;
                if (av_interleaved_write_frame(fmt, pkt) < 0) failed = true;
            }
        };
        for (const pages::CBitmap32& f : frames) {
            if (f.width() != w || f.height() != h || av_frame_make_writable(frame) < 0) {
                failed = true;
                break;
            }
            if (kind == VIDEO_MJPEG) {
                const uint8_t* src[4] = {f.bits(), nullptr, nullptr, nullptr};
                const int lines[4] = {f.stride(), 0, 0, 0};
                if (!sws || sws_scale(sws, src, lines, 0, h, frame->data, frame->linesize) != h) {
                    failed = true;
                    break;
                }
            } else {
                for (int y = 0; y < h; ++y) {
                    uint8_t* d = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
                    const uint8_t* s = f.pixel(0, y);
                    for (int x = 0; x < w; ++x, s += 4) {
                        if (kind == VIDEO_RAW24) {
                            *d++ = s[0], *d++ = s[1], *d++ = s[2];
                        } else if (kind == VIDEO_RAW32) {
                            *d++ = s[0], *d++ = s[1], *d++ = s[2], *d++ = s[3];
                        } else {
                            *d++ = s[2], *d++ = s[1], *d++ = s[0], *d++ = uint8_t(255 - s[3]);
                        }
                    }
                }
            }
            frame->pts = pts++;
            if (avcodec_send_frame(ctx, frame) < 0) {
                failed = true;
                break;
            }
            drain();
        }
        avcodec_send_frame(ctx, nullptr);
        drain();
        if (failed || av_write_trailer(fmt) < 0) break;
        ok = true;
    } while (false);
    if (sws) sws_freeContext(sws);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    } else {
        av_free(buf);
    }
    avformat_free_context(fmt);
    return ok;
}

}  // namespace

bool EncodeAvi(const std::vector<pages::CBitmap32>& frames, int fps, VideoCodec codec, std::vector<uint8_t>& out) {
    Growing g;
    if (!Encode(frames, fps, codec, g)) return false;
    out = std::move(g.bytes);
    return true;
}

bool WriteAviFile(const std::string& path, const std::vector<pages::CBitmap32>& frames, int fps, VideoCodec codec) {
    std::vector<uint8_t> bytes;
    return EncodeAvi(frames, fps, codec, bytes) && platform::WriteFileAtomic(path, bytes);
}

}  // namespace wizards

#include "output/output.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace output {

namespace {

std::string AvError(int rc) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(rc, buf, sizeof buf);
    return buf;
}

// FFmpeg's own chatter stays out of the program's output; its errors reach the sink's message.
void QuietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

bool IsUrl(const std::string& t) { return t.find("://") != std::string::npos; }

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string Extension(const std::string& t) {
    const size_t dot = t.rfind('.');
    const size_t slash = t.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return Lower(t.substr(dot + 1));
}

// The muxer for a target: the one named, else by the URL's scheme or the file's extension.
const AVOutputFormat* MuxerFor(const SinkOptions& o, std::string& name) {
    name = o.format;
    if (name.empty()) {
        const std::string t = Lower(o.target);
        if (t.rfind("udp://", 0) == 0 || t.rfind("srt://", 0) == 0 || t.rfind("rtp://", 0) == 0) name = "mpegts";
        else if (t.rfind("rtmp://", 0) == 0) name = "flv";
        else if (o.target.find('%') != std::string::npos && Extension(o.target) == "png") name = "image2";
    }
    if (!name.empty()) return av_guess_format(name.c_str(), nullptr, nullptr);
    const AVOutputFormat* f = av_guess_format(nullptr, o.target.c_str(), nullptr);
    if (f) name = f->name;
    return f;
}

// The encoder a container gets when none is named.
std::string DefaultCodec(const std::string& muxer, const std::string& target) {
    if (muxer == "mov") return "qtrle";
    if (muxer == "image2" || muxer == "apng") return "png";
    if (muxer == "flv" && !HasEncoder("libx264")) return "flv";
    if (muxer == "avi") return "mpeg4";
    (void)target;
    return DefaultVideoEncoder();
}

// The sound encoder for a container's silence: uncompressed where QuickTime and AVI take it, AAC
// for MP4, Matroska and FLV, MPEG audio for transport streams; "" when it carries no sound.
std::string SilenceCodec(const AVOutputFormat* f, const std::string& muxer) {
    if (muxer == "image2" || muxer == "apng") return "";
    std::vector<std::string> order = {"aac", "mp2", "pcm_s16le"};
    if (muxer == "mov" || muxer == "avi") order = {"pcm_s16le", "aac"};
    if (muxer == "mpegts") order = {"mp2", "aac"};
    for (const std::string& name : order) {
        const AVCodec* c = avcodec_find_encoder_by_name(name.c_str());
        if (c && avformat_query_codec(f, c->id, FF_COMPLIANCE_NORMAL) == 1) return name;
    }
    return "";
}

bool HasAlpha(AVPixelFormat f) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(f);
    return d && (d->flags & AV_PIX_FMT_FLAG_ALPHA);
}

// The encoder's picture format: a packed RGB with alpha when it takes one and alpha is wanted,
// else one without; else its first.
AVPixelFormat PixelFormatFor(const AVCodec* codec, bool wantAlpha) {
    const AVPixelFormat* fmts = codec->pix_fmts;
    if (!fmts) return AV_PIX_FMT_YUV420P;
    const AVPixelFormat rgbAlpha[] = {AV_PIX_FMT_RGBA, AV_PIX_FMT_ARGB, AV_PIX_FMT_BGRA, AV_PIX_FMT_YUVA444P10LE,
                                      AV_PIX_FMT_YUVA444P};
    const AVPixelFormat rgb[] = {AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P10LE};
    if (wantAlpha)
        for (AVPixelFormat want : rgbAlpha)
            for (const AVPixelFormat* f = fmts; *f != AV_PIX_FMT_NONE; ++f)
                if (*f == want) return want;
    for (AVPixelFormat want : rgb)
        for (const AVPixelFormat* f = fmts; *f != AV_PIX_FMT_NONE; ++f)
            if (*f == want) return want;
    for (const AVPixelFormat* f = fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (!HasAlpha(*f) || wantAlpha) return *f;
    return fmts[0];
}

}  // namespace

// Frames that no sink holds any more, kept for the next pictures. Shared with the frames' deleters,
// so that a frame a sink still holds after its Output has gone is freed, not returned.
class FramePool {
public:
    std::shared_ptr<Frame> take(const std::shared_ptr<FramePool>& self) {
        Frame* f = nullptr;
        {
            std::lock_guard lock(m_);
            if (!free_.empty()) {
                f = free_.back().release();
                free_.pop_back();
            }
        }
        if (!f) f = new Frame;
        std::weak_ptr<FramePool> pool = self;
        return std::shared_ptr<Frame>(f, [pool](Frame* done) {
            if (auto p = pool.lock()) p->give(done);
            else delete done;
        });
    }

private:
    void give(Frame* f) {
        std::lock_guard lock(m_);
        if (free_.size() < kKept) free_.emplace_back(f);
        else delete f;
    }
    static constexpr size_t kKept = 64;  // more than every sink's queue holds at once
    std::mutex m_;
    std::vector<std::unique_ptr<Frame>> free_;
};

bool HasEncoder(const std::string& name) { return avcodec_find_encoder_by_name(name.c_str()) != nullptr; }

std::string DefaultVideoEncoder() { return HasEncoder("libx264") ? "libx264" : "mpeg2video"; }

std::pair<std::string, std::string> KeyFillTargets(const std::string& target) {
    const std::string ext = Extension(target);
    const std::string stem = ext.empty() ? target : target.substr(0, target.size() - ext.size() - 1);
    const std::string dot = ext.empty() ? "" : "." + target.substr(target.size() - ext.size());
    return {stem + "-fill" + dot, stem + "-key" + dot};
}

bool Background::Parse(const std::string& text, Background& out, std::string& error) {
    out = Background{};
    if (text.empty() || text == "black") return true;
    if (text == "none") {
        out.kind = None;
        return true;
    }
    if (text.size() == 7 && text[0] == '#') {
        unsigned v = 0;
        for (size_t i = 1; i < 7; ++i) {
            const char c = text[i];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) {
                error = "the background colour " + text + " is not #RRGGBB";
                return false;
            }
            v = v * 16 + unsigned(d);
        }
        out.kind = Colour;
        out.r = uint8_t(v >> 16), out.g = uint8_t(v >> 8), out.b = uint8_t(v);
        return true;
    }
    std::vector<Frame> pics;
    std::string why;
    if (Extension(text) != "png" || !Decode(text, pics, why, 1) || pics.empty()) {
        error = "cannot read the background picture " + text + " (black, none, #RRGGBB or a PNG file)";
        return false;
    }
    out.kind = Picture;
    out.width = pics[0].width;
    out.height = pics[0].height;
    out.rgba = std::move(pics[0].rgba);
    return true;
}

// One sink: its container, its encoder, its queue and its thread.
class Sink {
public:
    explicit Sink(SinkOptions o) : o_(std::move(o)) { stats_.target = o_.target; }
    ~Sink() {
        stop();
        close();
    }

    bool open(int width, int height, std::string& error);
    void start() {
        {
            std::lock_guard lock(m_);
            stats_.running = true;
        }
        thread_ = std::thread([this] { run(); });
    }
    void push(const std::shared_ptr<const Frame>& f) {
        std::unique_lock lock(m_);
        if (!stats_.running || stopping_) return;
        if (q_.size() >= o_.queueFrames) {
            if (!o_.lossless) {
                ++stats_.dropped;
                return;
            }
            space_.wait(lock, [&] { return q_.size() < o_.queueFrames || stopping_ || !stats_.running; });
            if (stopping_ || !stats_.running) return;
        }
        q_.push_back(f);
        ready_.notify_one();
    }
    void stop() {
        {
            std::lock_guard lock(m_);
            stopping_ = true;
        }
        ready_.notify_all();
        space_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    SinkStats stats() const {
        std::lock_guard lock(m_);
        return stats_;
    }
    const SinkOptions& options() const { return o_; }

private:
    void run();
    bool encode(const Frame* f, std::string& error);
    bool writePackets(AVCodecContext* enc, AVStream* stream, std::string& error);
    bool openSilence(const AVOutputFormat* f, const std::string& muxer, std::string& error);
    // Silence up to the end of the video frames encoded so far; at the end, the encoder flushed.
    bool encodeSilence(bool flush, std::string& error);
    void fail(const std::string& why) {
        std::lock_guard lock(m_);
        stats_.failed = true;
        stats_.error = o_.target + ": " + why;
    }
    void close();

    SinkOptions o_;
    Background bg_;
    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* enc_ = nullptr;
    AVStream* stream_ = nullptr;
    SwsContext* sws_ = nullptr;
    AVFrame* pic_ = nullptr;
    AVPacket* pkt_ = nullptr;
    bool headerWritten_ = false;
    AVCodecContext* sound_ = nullptr;  // the silence's encoder, stream and frame (option)
    AVStream* soundStream_ = nullptr;
    AVFrame* quiet_ = nullptr;
    int64_t samples_ = 0;
    std::vector<uint8_t> composed_;
    int64_t pts_ = 0;
    std::shared_ptr<const Frame> previous_;  // the picture converted into pic_

    mutable std::mutex m_;
    std::condition_variable ready_, space_;
    std::deque<std::shared_ptr<const Frame>> q_;
    bool stopping_ = false;
    SinkStats stats_;
    std::thread thread_;
};

bool Validate(const SinkOptions& o, std::string& error) {
    const std::string who = "output " + (o.target.empty() ? std::string("(no target)") : o.target) + ": ";
    if (o.target.empty()) {
        error = who + "no file name or URL";
        return false;
    }
    if (o.rate != 25 && o.rate != 50) {
        error = who + "the rate is 25 or 50 frames a second";
        return false;
    }
    std::string muxer;
    const AVOutputFormat* f = MuxerFor(o, muxer);
    if (!f) {
        error = who + (o.format.empty() ? "no container is known for this name (give --output-format)"
                                        : "unknown format " + o.format);
        return false;
    }
    const std::string codecName = o.codec.empty() ? DefaultCodec(muxer, o.target) : o.codec;
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName.c_str());
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) {
        error = who + "unknown video codec " + codecName + " (not in this build of FFmpeg)";
        return false;
    }
    if (avformat_query_codec(f, codec->id, FF_COMPLIANCE_NORMAL) == 0) {
        error = who + "the " + muxer + " container does not carry " + codecName;
        return false;
    }
    Background bg;
    std::string why;
    if (!Background::Parse(o.background, bg, why)) {
        error = who + why;
        return false;
    }
    if (o.silence && SilenceCodec(f, muxer).empty()) {
        error = who + "the " + muxer + " container carries no sound for the silence";
        return false;
    }
    if (o.role == Role::Program && bg.kind == Background::None && !HasAlpha(PixelFormatFor(codec, true))) {
        error = who + codecName + " keeps no alpha: a transparent background needs qtrle, png, prores_aw or prores_ks";
        return false;
    }
    return true;
}

bool Sink::open(int width, int height, std::string& error) {
    QuietLibraries();
    if (!Validate(o_, error)) return false;
    Background::Parse(o_.background, bg_, error);
    std::string muxer;
    const AVOutputFormat* f = MuxerFor(o_, muxer);
    const std::string codecName = o_.codec.empty() ? DefaultCodec(muxer, o_.target) : o_.codec;
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName.c_str());
    const std::string who = "output " + o_.target + ": ";
    int rc = avformat_alloc_output_context2(&fmt_, f, nullptr, o_.target.c_str());
    if (rc < 0 || !fmt_) {
        error = who + AvError(rc);
        return false;
    }
    stream_ = avformat_new_stream(fmt_, nullptr);
    enc_ = avcodec_alloc_context3(codec);
    if (!stream_ || !enc_) {
        error = who + "out of memory";
        return false;
    }
    const bool alpha = o_.role == Role::Program && bg_.kind == Background::None;
    enc_->width = width;
    enc_->height = height;
    enc_->pix_fmt = PixelFormatFor(codec, alpha);
    enc_->time_base = AVRational{1, o_.rate};
    enc_->framerate = AVRational{o_.rate, 1};
    enc_->sample_aspect_ratio = AVRational{16, 15};  // 720 x 576 of a 4:3 picture
    enc_->gop_size = o_.rate;                        // a key frame each second: a receiver joins soon
    if (codec->id == AV_CODEC_ID_MPEG2VIDEO || codec->id == AV_CODEC_ID_MPEG4 || codec->id == AV_CODEC_ID_FLV1) {
        enc_->bit_rate = 8000000;
        enc_->max_b_frames = 0;
        enc_->qmax = 6;
    }
    if (codecName == "libx264") {
        av_opt_set(enc_->priv_data, "preset", "veryfast", 0);
        av_opt_set(enc_->priv_data, "tune", "zerolatency", 0);
        av_opt_set(enc_->priv_data, "crf", "16", 0);
    }
    // ProRes 4444, the profile that keeps the key: prores_aw is FFmpeg's quicker encoder of it
    // (some 10 ms a frame here against prores_ks's 35).
    if (codecName == "prores_ks" || codecName == "prores_aw") av_opt_set(enc_->priv_data, "profile", "4444", 0);
    if (fmt_->oformat->flags & AVFMT_GLOBALHEADER) enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    enc_->thread_count = 1;
    rc = avcodec_open2(enc_, codec, nullptr);
    if (rc < 0) {
        error = who + "the encoder " + codecName + " does not open: " + AvError(rc);
        return false;
    }
    avcodec_parameters_from_context(stream_->codecpar, enc_);
    stream_->time_base = enc_->time_base;
    stream_->avg_frame_rate = enc_->framerate;
    if (o_.silence && !openSilence(f, muxer, error)) return false;
    if (!(fmt_->oformat->flags & AVFMT_NOFILE)) {
        AVDictionary* opts = nullptr;
        if (IsUrl(o_.target)) av_dict_set(&opts, "rw_timeout", "2000000", 0);
        rc = avio_open2(&fmt_->pb, o_.target.c_str(), AVIO_FLAG_WRITE, nullptr, &opts);
        av_dict_free(&opts);
        if (rc < 0) {
            error = who + "cannot open for writing: " + AvError(rc);
            return false;
        }
    }
    rc = avformat_write_header(fmt_, nullptr);
    if (rc < 0) {
        error = who + "cannot start the container: " + AvError(rc);
        return false;
    }
    headerWritten_ = true;
    pic_ = av_frame_alloc();
    pkt_ = av_packet_alloc();
    if (!pic_ || !pkt_) {
        error = who + "out of memory";
        return false;
    }
    pic_->format = enc_->pix_fmt;
    pic_->width = width;
    pic_->height = height;
    if (av_frame_get_buffer(pic_, 0) < 0) {
        error = who + "out of memory";
        return false;
    }
    sws_ = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, enc_->pix_fmt,
                          SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!sws_) {
        error = who + "no conversion to the encoder's picture format";
        return false;
    }
    composed_.resize(size_t(width) * height * 4);
    return true;
}

bool Sink::openSilence(const AVOutputFormat* f, const std::string& muxer, std::string& error) {
    const std::string who = "output " + o_.target + ": ";
    const std::string name = SilenceCodec(f, muxer);
    const AVCodec* codec = name.empty() ? nullptr : avcodec_find_encoder_by_name(name.c_str());
    soundStream_ = codec ? avformat_new_stream(fmt_, nullptr) : nullptr;
    sound_ = soundStream_ ? avcodec_alloc_context3(codec) : nullptr;
    if (!sound_) {
        error = who + "no sound encoder for the silence";
        return false;
    }
    sound_->sample_rate = 48000;
    sound_->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&sound_->ch_layout, 2);
    sound_->bit_rate = name == "pcm_s16le" ? 0 : 128000;
    sound_->time_base = AVRational{1, 48000};
    if (fmt_->oformat->flags & AVFMT_GLOBALHEADER) sound_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(sound_, codec, nullptr);
    if (rc < 0) {
        error = who + "the sound encoder " + name + " does not open: " + AvError(rc);
        return false;
    }
    avcodec_parameters_from_context(soundStream_->codecpar, sound_);
    soundStream_->time_base = sound_->time_base;
    quiet_ = av_frame_alloc();
    if (!quiet_) {
        error = who + "out of memory";
        return false;
    }
    // Encoders that take any length get a video frame's worth at a time.
    quiet_->nb_samples = sound_->frame_size > 0 ? sound_->frame_size : 48000 / o_.rate;
    quiet_->format = sound_->sample_fmt;
    quiet_->sample_rate = 48000;
    av_channel_layout_copy(&quiet_->ch_layout, &sound_->ch_layout);
    if (av_frame_get_buffer(quiet_, 0) < 0) {
        error = who + "out of memory";
        return false;
    }
    av_samples_set_silence(quiet_->data, 0, quiet_->nb_samples, 2, sound_->sample_fmt);
    return true;
}

bool Sink::encodeSilence(bool flush, std::string& error) {
    if (!sound_) return true;
    const int64_t until = pts_ * 48000 / o_.rate;
    while (samples_ < until) {
        if (av_frame_make_writable(quiet_) < 0) {
            error = "out of memory";
            return false;
        }
        av_samples_set_silence(quiet_->data, 0, quiet_->nb_samples, 2, sound_->sample_fmt);
        quiet_->pts = samples_;
        samples_ += quiet_->nb_samples;
        const int rc = avcodec_send_frame(sound_, quiet_);
        if (rc < 0) {
            error = "the sound encoder refused a frame: " + AvError(rc);
            return false;
        }
        if (!writePackets(sound_, soundStream_, error)) return false;
    }
    if (!flush) return true;
    avcodec_send_frame(sound_, nullptr);
    return writePackets(sound_, soundStream_, error);
}

void Sink::run() {
    std::string error;
    bool ok = true;
    for (;;) {
        std::shared_ptr<const Frame> f;
        {
            std::unique_lock lock(m_);
            ready_.wait(lock, [&] { return !q_.empty() || stopping_; });
            if (q_.empty()) break;
            f = std::move(q_.front());
            q_.pop_front();
        }
        space_.notify_one();
        if (!encode(f.get(), error)) {
            ok = false;
            break;
        }
        previous_ = std::move(f);
    }
    // Flush the encoder, then finish the container: also after a failure, so that what was
    // written stays playable.
    if (ok && !encode(nullptr, error)) ok = false;
    if (!ok) fail(error);
    if (headerWritten_) {
        const int rc = av_write_trailer(fmt_);
        headerWritten_ = false;
        if (rc < 0 && ok) {
            fail("cannot finish the container: " + AvError(rc));
            ok = false;
        }
    }
    if (fmt_ && fmt_->pb) {
        avio_flush(fmt_->pb);
        if (fmt_->pb->error < 0 && ok) fail("write failed: " + AvError(fmt_->pb->error));
    }
    std::lock_guard lock(m_);
    stats_.running = false;
    q_.clear();
    space_.notify_all();
}

bool Sink::encode(const Frame* f, std::string& error) {
    if (f && f == previous_.get()) {
        // The same picture again: the converted one is still in pic_.
        pic_->pts = pts_++;
    } else if (f) {
        if (f->width != enc_->width || f->height != enc_->height) {
            error = "a frame of another size";
            return false;
        }
        // Compose the picture this sink sends.
        const uint8_t* s = f->rgba.data();
        uint8_t* d = composed_.data();
        const size_t n = composed_.size();
        const bool picture = bg_.kind == Background::Picture;
        for (size_t i = 0; i < n; i += 4) {
            const unsigned a = s[i + 3];
            if (o_.role == Role::Key) {
                d[i] = d[i + 1] = d[i + 2] = uint8_t(a);
                d[i + 3] = 255;
                continue;
            }
            if (o_.role == Role::Fill || bg_.kind == Background::None) {
                std::memcpy(d + i, s + i, 4);
                if (o_.role == Role::Fill) d[i + 3] = 255;
                continue;
            }
            unsigned br = bg_.r, bgc = bg_.g, bb = bg_.b;
            if (picture) {
                const size_t x = (i / 4) % size_t(enc_->width), y = (i / 4) / size_t(enc_->width);
                if (x < size_t(bg_.width) && y < size_t(bg_.height)) {
                    const uint8_t* p = &bg_.rgba[(y * size_t(bg_.width) + x) * 4];
                    // A transparent background picture shows black behind it.
                    br = p[0] * p[3] / 255u, bgc = p[1] * p[3] / 255u, bb = p[2] * p[3] / 255u;
                } else {
                    br = bgc = bb = 0;
                }
            }
            d[i] = uint8_t((s[i] * a + br * (255 - a)) / 255);
            d[i + 1] = uint8_t((s[i + 1] * a + bgc * (255 - a)) / 255);
            d[i + 2] = uint8_t((s[i + 2] * a + bb * (255 - a)) / 255);
            d[i + 3] = 255;
        }
        if (av_frame_make_writable(pic_) < 0) {
            error = "out of memory";
            return false;
        }
        const uint8_t* src[1] = {composed_.data()};
        const int stride[1] = {enc_->width * 4};
        sws_scale(sws_, src, stride, 0, enc_->height, pic_->data, pic_->linesize);
        pic_->pts = pts_++;
    }
    int rc = avcodec_send_frame(enc_, f ? pic_ : nullptr);
    if (rc < 0) {
        error = "the encoder refused a frame: " + AvError(rc);
        return false;
    }
    if (!writePackets(enc_, stream_, error)) return false;
    if (!encodeSilence(f == nullptr, error)) return false;
    if (f) {
        std::lock_guard lock(m_);
        ++stats_.frames;
    }
    return true;
}

bool Sink::writePackets(AVCodecContext* enc, AVStream* stream, std::string& error) {
    for (;;) {
        int rc = avcodec_receive_packet(enc, pkt_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) {
            error = "the encoder failed: " + AvError(rc);
            return false;
        }
        av_packet_rescale_ts(pkt_, enc->time_base, stream->time_base);
        pkt_->stream_index = stream->index;
        const int size = pkt_->size;
        rc = av_interleaved_write_frame(fmt_, pkt_);
        if (rc >= 0 && fmt_->pb && fmt_->pb->error < 0) rc = fmt_->pb->error;
        if (rc < 0) {
            error = "write failed: " + AvError(rc);
            return false;
        }
        std::lock_guard lock(m_);
        stats_.bytes += uint64_t(size);
    }
}

void Sink::close() {
    if (headerWritten_ && fmt_) av_write_trailer(fmt_);
    headerWritten_ = false;
    if (fmt_ && fmt_->pb && !(fmt_->oformat->flags & AVFMT_NOFILE)) avio_closep(&fmt_->pb);
    avformat_free_context(fmt_);
    fmt_ = nullptr;
    avcodec_free_context(&enc_);
    avcodec_free_context(&sound_);
    av_frame_free(&quiet_);
    sws_freeContext(sws_);
    sws_ = nullptr;
    av_frame_free(&pic_);
    av_packet_free(&pkt_);
}

Output::Output() : pool_(std::make_shared<FramePool>()) {}
Output::~Output() { stop(); }

bool Output::add(const SinkOptions& options, int width, int height, std::string& error) {
    auto sink = std::make_unique<Sink>(options);
    if (!sink->open(width, height, error)) return false;
    sinks_.push_back(std::move(sink));
    return true;
}

void Output::start() {
    for (auto& s : sinks_) s->start();
}

int Output::fieldsPerFrame() const {
    for (const auto& s : sinks_)
        if (s->options().rate == 50) return 1;
    return 2;
}

void Output::frame(const uint8_t* rgba, int width, int height, uint64_t field, bool changed) {
    if (sinks_.empty()) return;
    // Fed at 50 a second when one sink wants that: the others take every second frame.
    const bool everySecond = fieldsPerFrame() == 1 && (received_++ % 2) != 0;
    if (changed || !last_ || last_->width != width || last_->height != height) {
        std::shared_ptr<Frame> f = pool_->take(pool_);
        f->width = width;
        f->height = height;
        f->field = field;
        f->rgba.assign(rgba, rgba + size_t(width) * height * 4);
        last_ = std::move(f);
    }
    for (auto& s : sinks_)
        if (s->options().rate == 50 || !everySecond) s->push(last_);
}

void Output::stop() {
    for (auto& s : sinks_) s->stop();
}

std::vector<SinkStats> Output::stats() const {
    std::vector<SinkStats> out;
    for (const auto& s : sinks_) out.push_back(s->stats());
    return out;
}

bool Decode(const std::string& url, std::vector<Frame>& frames, std::string& error, size_t maxFrames, int timeoutMs) {
    if (maxFrames == 0) return true;
    return DecodeEach(
        url,
        [&](Frame& f) {
            frames.push_back(std::move(f));
            return frames.size() < maxFrames;
        },
        error, timeoutMs);
}

bool DecodeEach(const std::string& url, const std::function<bool(Frame&)>& each, std::string& error, int timeoutMs) {
    QuietLibraries();
    uint64_t count = 0;
    bool more = true;
    AVFormatContext* in = nullptr;
    AVDictionary* opts = nullptr;
    if (Lower(url).rfind("rtmp://", 0) == 0) {
        // We only ever send to RTMP, so reading one back means taking the push as the server
        // would: listen, and wait (in whole seconds for this protocol) for the sender.
        av_dict_set(&opts, "listen", "1", 0);
        av_dict_set(&opts, "timeout", std::to_string(std::max(1, (timeoutMs + 999) / 1000)).c_str(), 0);
        av_dict_set(&opts, "rw_timeout", std::to_string(int64_t(timeoutMs) * 1000).c_str(), 0);
    } else if (IsUrl(url)) {
        av_dict_set(&opts, "timeout", std::to_string(int64_t(timeoutMs) * 1000).c_str(), 0);
        av_dict_set(&opts, "rw_timeout", std::to_string(int64_t(timeoutMs) * 1000).c_str(), 0);
    }
    int rc = avformat_open_input(&in, url.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (rc < 0) {
        error = url + ": cannot open: " + AvError(rc);
        return false;
    }
    AVCodecContext* dec = nullptr;
    AVFrame* pic = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    SwsContext* sws = nullptr;
    bool ok = false;
    int index = -1;
    const AVCodec* codec = nullptr;
    if (avformat_find_stream_info(in, nullptr) >= 0)
        index = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || !codec) {
        error = url + ": no video in it";
    } else {
        dec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec, in->streams[index]->codecpar);
        dec->thread_count = 1;
        if (avcodec_open2(dec, codec, nullptr) < 0) {
            error = url + ": the decoder does not open";
        } else {
            ok = true;
            auto drain = [&]() {
                while (more && avcodec_receive_frame(dec, pic) >= 0) {
                    Frame f;
                    f.width = pic->width;
                    f.height = pic->height;
                    f.field = count++;
                    f.rgba.resize(size_t(f.width) * f.height * 4);
                    sws = sws_getCachedContext(
                        sws, pic->width, pic->height, AVPixelFormat(pic->format), pic->width, pic->height,
                        AV_PIX_FMT_RGBA, SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
                    uint8_t* dst[1] = {f.rgba.data()};
                    const int stride[1] = {f.width * 4};
                    sws_scale(sws, pic->data, pic->linesize, 0, pic->height, dst, stride);
                    if (!HasAlpha(AVPixelFormat(pic->format)))
                        for (size_t i = 3; i < f.rgba.size(); i += 4) f.rgba[i] = 255;
                    more = each(f);
                }
            };
            while (more && av_read_frame(in, pkt) >= 0) {
                if (pkt->stream_index == index && avcodec_send_packet(dec, pkt) >= 0) drain();
                av_packet_unref(pkt);
            }
            if (more) {
                avcodec_send_packet(dec, nullptr);
                drain();
            }
        }
    }
    sws_freeContext(sws);
    av_packet_free(&pkt);
    av_frame_free(&pic);
    avcodec_free_context(&dec);
    avformat_close_input(&in);
    if (ok && count == 0) {
        error = url + ": no picture decoded";
        ok = false;
    }
    return ok;
}

}  // namespace output

namespace output {

bool ParseSinks(const std::vector<std::pair<std::string, std::string>>& options, std::vector<SinkOptions>& sinks,
                std::string& error) {
    struct Given {
        SinkOptions o;
        bool keyFill = false;
    };
    std::vector<Given> given;
    for (const auto& [name, value] : options) {
        if (name == "output") {
            given.push_back({});
            given.back().o.target = value;
            continue;
        }
        if (name.rfind("output-", 0) != 0) continue;
        if (given.empty()) {
            error = "--" + name + " comes after the --output it is for";
            return false;
        }
        SinkOptions& o = given.back().o;
        if (name == "output-format") {
            if (value == "keyfill") given.back().keyFill = true;
            else o.format = value;
        } else if (name == "output-codec") {
            o.codec = value;
        } else if (name == "output-background") {
            o.background = value;
        } else if (name == "output-audio") {
            if (value != "silence" && value != "none") {
                error = "output " + o.target + ": --output-audio takes silence or none";
                return false;
            }
            o.silence = value == "silence";
        } else if (name == "output-rate") {
            if (value != "25" && value != "50") {
                error = "output " + o.target + ": --output-rate takes 25 or 50";
                return false;
            }
            o.rate = value == "25" ? 25 : 50;
        } else {
            error = "unknown option --" + name;
            return false;
        }
    }
    std::vector<SinkOptions> out;
    for (Given& g : given) {
        if (g.keyFill) {
            const auto [fill, key] = KeyFillTargets(g.o.target);
            SinkOptions f = g.o, k = g.o;
            f.target = fill, f.role = Role::Fill;
            k.target = key, k.role = Role::Key;
            out.push_back(f);
            out.push_back(k);
        } else {
            out.push_back(g.o);
        }
    }
    for (const SinkOptions& o : out)
        if (!Validate(o, error)) return false;
    sinks = std::move(out);
    return true;
}

}  // namespace output

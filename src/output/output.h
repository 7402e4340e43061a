// Program output as video: the Device's pictures, one per frame, sent to recordings, network
// streams and key/fill pairs through FFmpeg. Each sink encodes on a thread of its own from a
// bounded queue; a sink that cannot keep up drops frames and counts them, a sink that fails stops
// alone with its message, and a container is always finished on stop and on a failure.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace output {

// A picture of the program output: width x height pixels of red, green, blue and straight
// (not premultiplied) alpha, rows top to bottom; `field` is the Device field it shows.
struct Frame {
    int width = 0;
    int height = 0;
    uint64_t field = 0;
    std::vector<uint8_t> rgba;
};

// What a sink keys the program output over.
struct Background {
    enum Kind { Black, Colour, Picture, None } kind = Black;
    uint8_t r = 0, g = 0, b = 0;
    std::vector<uint8_t> rgba;  // Picture: width x height of the frames, straight alpha ignored
    int width = 0, height = 0;

    // "black", "none" (transparent), "#RRGGBB" or the name of a PNG file. False with a message.
    static bool Parse(const std::string& text, Background& out, std::string& error);
};

// Which picture a sink sends: the program output over its background, the fill (the colours
// alone, opaque) or the key (the alpha as a grey picture) for a vision mixer's keyer.
enum class Role { Program, Fill, Key };

struct SinkOptions {
    std::string target;  // a file name, a PNG sequence ("NAME%06d.png") or a URL (udp://...)
    std::string format;  // libavformat's muxer name; "" = guessed from the target
    std::string codec;   // libavcodec's encoder name; "" = the container's default
    std::string background = "black";
    int rate = 25;  // frames a second: 25 (a frame each two fields) or 50 (each field)
    Role role = Role::Program;
    size_t queueFrames = 16;  // frames waiting for the encoder before new ones are dropped
    // Wait for room in the queue instead of dropping: a recording made in scaled time, where
    // every frame by field count is wanted and the Device's pace is not real time anyway.
    bool lossless = false;
    // A sound track of silence at 48 kHz stereo, for containers and receivers that want one.
    bool silence = false;
};

struct SinkStats {
    std::string target;
    uint64_t frames = 0;   // frames written
    uint64_t dropped = 0;  // frames the queue had no room for
    uint64_t bytes = 0;    // bytes written
    bool running = false;
    bool failed = false;
    std::string error;  // why it failed
};

class Sink;
class FramePool;

// The sinks of one run, fed together: frame-aligned, since they take the same frames.
class Output {
public:
    Output();
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Checks and opens a sink (the file or the connection, the encoder) without starting it.
    // False with a message naming the sink; the sinks already added are untouched.
    bool add(const SinkOptions& options, int width, int height, std::string& error);
    // Starts every sink's encoder thread.
    void start();
    // Fields between the frames that the sinks want: 1 when one of them runs at 50 a second.
    int fieldsPerFrame() const;
    // A picture of the program output at a Device field. `changed` false: the same picture as
    // the previous frame (rgba is not read), which costs the queues and the encoders little.
    // Never waits, unless a lossless sink's queue is full.
    void frame(const uint8_t* rgba, int width, int height, uint64_t field, bool changed = true);
    // Drains the queues, finishes the containers and ends the threads; safe to call twice.
    void stop();
    std::vector<SinkStats> stats() const;
    size_t size() const { return sinks_.size(); }

private:
    std::vector<std::unique_ptr<Sink>> sinks_;
    uint64_t received_ = 0;
    std::shared_ptr<const Frame> last_;
    // Pictures handed to the sinks come back here when the last of them is done with one, so
    // that a new picture is a copy into memory already mapped, not a fresh 1.6 MB allocation.
    std::shared_ptr<FramePool> pool_;
};

// Checks a sink's options without opening anything (for a command line before the run).
bool Validate(const SinkOptions& options, std::string& error);

// Key and fill targets for a pair named after one target: "NAME.mov" -> "NAME-fill.mov" and
// "NAME-key.mov".
std::pair<std::string, std::string> KeyFillTargets(const std::string& target);

// Reads a recording or a stream back: up to maxFrames decoded pictures as straight RGBA (opaque
// where the codec has no alpha). A stream gives up after timeoutMs without data. False with a
// message when nothing could be opened or decoded. An rtmp:// URL is listened on (the sender
// pushes to it); an srt:// URL takes its mode from the URL ("?mode=listener").
bool Decode(const std::string& url, std::vector<Frame>& frames, std::string& error, size_t maxFrames = SIZE_MAX,
            int timeoutMs = 5000);

// The same, each picture handed to `each` as it is decoded (false from it ends the reading), so
// that a long recording is not held in memory.
bool DecodeEach(const std::string& url, const std::function<bool(Frame&)>& each, std::string& error,
                int timeoutMs = 5000);

// True when this build of libavcodec has the encoder.
bool HasEncoder(const std::string& name);
// The encoder used for compressed video without alpha: H.264 when the build has one, else MPEG-2.
std::string DefaultVideoEncoder();

}  // namespace output

namespace output {

// The sinks of a command line, in the order of `options` (name, value): each "output" begins a
// sink, and "output-format", "output-codec", "output-background" and "output-rate" that follow
// set that sink's. The format "keyfill" makes two sinks from one target, the fill and the key
// (see KeyFillTargets). Every sink is validated; false with a message naming the first bad one.
bool ParseSinks(const std::vector<std::pair<std::string, std::string>>& options, std::vector<SinkOptions>& sinks,
                std::string& error);

}  // namespace output

// Headless playout of a sequence, a page or a clock: the air session on an event loop, Play
// pressed by the program itself, every air state and every air-log line printed as it comes, and
// pictures of the Device's program output written at each state change and once a second of show
// time (for a clock: once for each second it shows, named by that second).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace air {
class CAirFrame;
class AirBanner;
class AirClock;
class AirRemote;
class AirVideo;
class AirPlaylist;
}  // namespace air
namespace app {
class CZentrixApp;
}
namespace device {
class CEngine;
}
namespace pages {
class CFontManager;
}
namespace platform {
class EventLoop;
}

namespace demo {

struct PlayOptions {
    std::string file;             // ".zxs", ".zxg" or ".zck"
    int loops = 1;                // playouts to run before the end
    uint32_t durationMs = 0;      // Stop this long after going on air (0: play to the end)
    std::string snapshots;        // folder for the program-output pictures; "" = none
    uint32_t linkWaitMs = 20000;  // real time the Device may take to answer and the first cue
    // On a link error wait for the link as the air frame does, cue again and play on; the
    // playout that broke does not count.
    bool keepGoing = false;
    // Set (from a signal handler, say) to end the run early. An atomic rather than a volatile
    // sig_atomic_t: the signal may be taken on any of the process's threads (the engine's, the
    // embedded Device's), and a lock-free atomic is safe both in a handler and across threads.
    const std::atomic<bool>* interrupted = nullptr;
    // Cues what to play itself, once the Device is reset, instead of reading file (a title
    // filled in first): a file result code, with what went wrong in the string.
    std::function<int(air::CAirFrame&, std::string&)> cue;
    // Video with it (needs setVideo): an MPEG file on board 1, or the air playlist (setPlaylist,
    // filled already). A file ".mpg", ".vid" or ".zxp" is the video alone.
    bool videoPlaylist = false;
    std::string videoFile;
    bool videoLoop = false;
};

// Fills a 720 x 576 bitmap with what the Device shows on air; false when nothing can be seen.
using OutputGrabber = std::function<bool(pages::CBitmap32&)>;

enum PlayStatus : int {
    PLAY_OK = 0,
    PLAY_FILE_ERROR = 1,    // the sequence or page cannot be read
    PLAY_LINK_ERROR = 2,    // the Device did not come up or the link broke
    PLAY_OUTPUT_ERROR = 3,  // the snapshots folder or a picture cannot be written
    PLAY_INTERRUPTED = 4,   // ended early, before every playout ran
};

// A message of the program on one line (its line breaks become blanks).
std::string OneLine(std::string text);

// The air log is appended by the frame; prints the lines that arrived since the last look.
class AirLogTail {
public:
    explicit AirLogTail(std::string path);
    void print(std::ostream& out);

private:
    std::string path_;
    size_t offset_ = 0;
};

class CPlayout {
public:
    // engine: open (StartHardware has run); loop: runs on this thread with the clock the air
    // frame goes by (a scaled clock with a faster Device); out: the running commentary.
    CPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
             std::ostream& out);
    ~CPlayout();
    CPlayout(const CPlayout&) = delete;
    CPlayout& operator=(const CPlayout&) = delete;

    void setGrabber(OutputGrabber grabber) { grabber_ = std::move(grabber); }
    // The clock object clock files are loaded into (the application's shared one).
    void setClock(air::AirClock* clock) { clock_ = clock; }
    // The banner player banner files and pages' banners are played with (the application's).
    void setBanner(air::AirBanner* banner) { banner_ = banner; }
    // The switcher's remote control, for the air frame's video playlists.
    void setRemote(air::AirRemote* remote) { remote_ = remote; }
    // The MPEG players and the air playlist the air frame plays; their traffic is printed.
    void setVideo(air::AirVideo* video, air::AirPlaylist* playlist) {
        video_ = video;
        playlist_ = playlist;
    }

    // Plays to the end of the last loop. A PlayStatus, with the reason in error.
    int Run(const PlayOptions& options, std::string& error);

    // The pictures written (file names inside the snapshots folder), in order.
    const std::vector<std::string>& snapshotFiles() const { return snapshotFiles_; }
    // The states passed through, in order (each change once).
    const std::vector<int32_t>& states() const { return states_; }
    // Keep-going: the link errors ridden through in the last run.
    int interruptions() const { return interruptions_; }

private:
    app::CZentrixApp& app_;
    device::CEngine& engine_;
    pages::CFontManager& fonts_;
    platform::EventLoop& loop_;
    std::ostream& out_;
    OutputGrabber grabber_;
    air::AirClock* clock_ = nullptr;
    air::AirBanner* banner_ = nullptr;
    air::AirRemote* remote_ = nullptr;
    air::AirVideo* video_ = nullptr;
    air::AirPlaylist* playlist_ = nullptr;
    std::vector<std::string> snapshotFiles_;
    std::vector<int32_t> states_;
    int interruptions_ = 0;
};

}  // namespace demo

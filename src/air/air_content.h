// What the air frame plays besides pages, as the frame sees it: the clock, the interactive
// picture, a caption, the banner player, the MPEG players, the switcher's remote control and
// the air playlist. Each belongs to its own part of the program, which implements the interface;
// the frame holds pointers to them. Also the frame's window parts (toolbar, time fields, status
// indicators), which the front end implements.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "air/hotkeys.h"
#include "air/show_params.h"
#include "device/command_set.h"

namespace pages {
class CBitmap32;
}
namespace platform {
class MessageTarget;
}

namespace air {

struct PageMotion;

// The analogue clock: a face and hands rendered one second ahead into one of two buffers.
class AirClock {
public:
    virtual ~AirClock() = default;
    // Gets ready to be shown from its start (forgets what was drawn). False when it cannot.
    virtual bool Prepare() = 0;
    // The full-frame picture sent first (the face).
    virtual device::DataRef FullFrame() const = 0;
    virtual const pages::CBitmap32* Preview() const = 0;
    // The face stays over the hands in the overlay (the hands turn below a bezel).
    virtual bool HandsBelowFace() const = 0;
    // The buffer being shown flips with every render.
    virtual bool BufferFlag() const = 0;
    // The block rendered last and where it goes (in the hidden half of the Device's store).
    virtual device::Rect HiddenRect() const = 0;
    virtual device::DataRef HiddenBlock() const = 0;
    // Renders the hands for a time into the other buffer and flips the buffer flag.
    virtual void Render(int hours, int minutes, int seconds) = 0;
    // Loads a clock file for air: a file result code; on failure the clock stays as it was.
    virtual int LoadForAir(const std::string& path) = 0;
    // The thumbnail of a clock file into a picture of the caller's, for a preview (the clock
    // itself, which may be on air, is not touched).
    virtual int LoadPreview(const std::string& path, pages::CBitmap32& out) const = 0;
};

// The interactive system's on-air picture: a full picture and a queue of changed rectangles.
class AirInteractive {
public:
    struct Entry {
        device::Rect rect;
        device::DataRef pixels;
    };
    virtual ~AirInteractive() = default;
    // Discards the queued pictures and builds a fresh full one.
    virtual void Rebuild() = 0;
    virtual device::DataRef FullPicture() const = 0;
    virtual bool BufferFlag() const = 0;
    virtual void SetBufferFlag(bool set) = 0;
    virtual bool QueueEmpty() const = 0;
    virtual Entry Front() const = 0;
    // Frees the first entry's pixels and removes it.
    virtual void PopFront() = 0;
    // Asked at the frame's tick: brings the picture up to date and answers whether changed
    // rectangles wait to go on air.
    virtual bool HasNewPicture() { return !QueueEmpty(); }
};

// One caption of the captions list.
class AirCaption {
public:
    virtual ~AirCaption() = default;
    virtual device::Rect Rect() const = 0;
    virtual device::DataRef Picture() const = 0;
    virtual uint32_t ShowTimeMs() const = 0;
    virtual int Border() const = 0;
    virtual bool Fade() const = 0;
};

// The TV banner player: one frame at a time into one of two buffers; the Device keeps two copies
// of the banner area side by side.
class AirBanner {
public:
    virtual ~AirBanner() = default;
    virtual bool Open(const std::string& path) = 0;
    virtual void Rewind() = 0;
    // Reads the next frame into the other buffer (rewinding when it loops); answers finished.
    virtual bool NextFrame() = 0;
    virtual bool Finished() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual device::Rect Rect() const = 0;
    virtual void SetRect(const device::Rect& r) = 0;
    virtual int Border() const = 0;
    virtual uint32_t FramePeriodMs() const = 0;
    virtual uint32_t TotalMs() const = 0;
    // Which half was filled last.
    virtual bool Half() const = 0;
    // The frame read last.
    virtual device::DataRef FrameBlock() const = 0;
    virtual const pages::CBitmap32* Preview() const = 0;
    virtual void SetLoop(bool loop) = 0;
    // Open with the file result code (257, 259, 260) for the message.
    virtual int OpenFile(const std::string& path) { return Open(path) ? 0 : 0x103; }
    // The loop flag (the file's, until SetLoop).
    virtual bool Loop() const { return false; }
};

// Video commands to the MPEG players, one player per board.
enum : int {
    VIDEO_PLAY = 1,
    VIDEO_PLAY_LOOPED = 2,
    VIDEO_STOP = 3,
    VIDEO_PAUSE = 4,  // pause or continue; starts a cued clip
    VIDEO_CUE = 5,
    VIDEO_CUE_LOOPED = 6,
    VIDEO_VOLUME = 7,
    VIDEO_QUERY = 101,  // does the board hold a clip
};

class AirVideo {
public:
    virtual ~AirVideo() = default;
    // Where the players' reports go (as MSG_PLAYER), before CreateProcess.
    virtual void SetOwner(platform::MessageTarget* /*owner*/) {}
    // Starts the players; true when all started.
    virtual bool CreateProcess(int boards) = 0;
    // One command; 0 = failure.
    virtual int Send(int board, int command, const std::string& file) = 0;
    virtual void StopAll() = 0;
    virtual void CloseAll() = 0;
    // A player's report (0 playing, 1 stopped): the board it came from, or -1.
    virtual int Notify(uintptr_t window, int report) = 0;
    virtual bool Playing(int board) const = 0;
    // Length of a clip in ms; 0 when it cannot be read.
    virtual uint32_t ClipLength(const std::string& file) = 0;
};

// The remote-control program of the video switcher.
class AirRemote {
public:
    virtual ~AirRemote() = default;
    // 0, or the error whose message is 18004 + error.
    virtual int Seize(bool logoOff) = 0;
    // 0 on failure.
    virtual int SendCmd(int action, const std::string& button) = 0;
    virtual void Restore(bool cutFirst, int input) = 0;
    // Lets the next failure show its message again.
    virtual void RearmError() = 0;
    // The switcher's sources by name, in the order Restore counts them (from 0).
    virtual std::vector<std::string> SourceNames() const { return {}; }
    // Runs a macro file in the remote program: the number of its commands, 0 on failure.
    virtual int RunScript(const std::string& /*path*/) { return 0; }
};

// The air playlist: two tracks of timed clips, one per board, and timed switcher buttons.
struct PlaylistClip {
    uint32_t startMs = 0;
    std::string file;
    bool loop = false;
};
struct PlaylistButton {
    uint32_t timeMs = 0;
    std::string name;
    int action = 0;
};
class AirPlaylist {
public:
    virtual ~AirPlaylist() = default;
    virtual const std::vector<PlaylistClip>& Track(int board) const = 0;
    virtual const std::vector<PlaylistButton>& Buttons() const = 0;
    virtual uint32_t TotalMs() const = 0;
    virtual int RestoreInput() const = 0;
    virtual bool LogoOff() const { return false; }
};

// A video playlist file (".vid") as Live mode plays it: loaded, converted into the air playlist
// the frame plays, with the switcher input to hand back at its end.
class AirVideoPlaylist {
public:
    virtual ~AirVideoPlaylist() = default;
    // A file result code; codes with bit 8 set leave nothing loaded, the others are warnings
    // (missing clips) after which the playlist is usable.
    virtual int Load(const std::string& path) = 0;
    // Fills the air playlist (AirObjects::playlist) from what was loaded.
    virtual void ConvertToAir() = 0;
    // The input the switcher is given back at the end: -2 what it shows on preview, -1 the one
    // it had, else the source index.
    virtual void SetRestoreInput(int input) = 0;
    // Opens the playlist's editor on a file; true when the file was changed there.
    virtual bool Edit(const std::string& /*path*/) { return false; }
};

// The frame's own window parts. The defaults do nothing (headless runs).
class AirFrameWindow {
public:
    virtual ~AirFrameWindow() = default;
    // The six transport buttons and their hotkeys, by the action bits.
    virtual void EnableActions(uint16_t /*actions*/) {}
    // The two time fields (empty = cleared).
    virtual void ShowTimes(const std::string& /*first*/, const std::string& /*second*/) {}
    // Status indicators: 0 link (0 off, 1 on, 2 error), 1 Device status bit 0, 2 bit 1 (on air).
    virtual void SetIndicator(int /*pane*/, int /*state*/) {}
    // The refusal sound (leaving the mode while on air).
    virtual void Beep() {}
    // "Page effect and show time" on a record; true on OK.
    virtual bool EditEffect(ShowParams& /*params*/, const PageMotion* /*page*/, bool /*outApplies*/,
                            bool /*scrollApplies*/) {
        return false;
    }
    // The hotkey table was (re)loaded: build the accelerators.
    virtual void RebuildHotkeys(const HotkeyTable& /*table*/) {}
};

}  // namespace air

// "Check" beside an MPEG board in the Hardware dialog: the sample clip test.mpg of the video
// folder played on the board, seen on the switcher's chosen input, and the switcher handed back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace app {
class CZentrixApp;
}

namespace video {

class CRemoteCmd;
class CVideoCmd;

inline constexpr char kSampleClip[] = "test.mpg";
inline constexpr int IDS_SAMPLE_PLAYING = 18003;

enum : int {
    CHECK_OK = 0,
    CHECK_NO_CLIP = 1,    // test.mpg is missing (reported as a missing file)
    CHECK_NO_REMOTE = 2,  // the remote-control program did not start
    CHECK_NO_PLAYER = 3,  // the board's player did not start (3047)
    CHECK_NO_SEIZE = 4,   // the switcher could not be taken over (18004 + its error)
    CHECK_NO_PLAY = 5,    // the player refused the clip (3049)
};

struct SampleCheck {
    int board = 0;                        // from 0
    int input = 7;                        // the switcher input, from 0 ("IN1" = 0)
    std::function<void(uint32_t)> sleep;  // the waits (empty: real ones)
    uint32_t holdMs = 0;                  // how long the clip plays after the message (which a window holds until OK)
};

// Runs the check, showing its messages; the player is stopped and closed afterwards.
int CheckSampleClip(app::CZentrixApp& app, CRemoteCmd& remote, CVideoCmd& players, const SampleCheck& check);

}  // namespace video

// The switcher's buttons as the remote-control program knows them by name, the actions on a
// button, and the message block both sides exchange (an int32 and a NUL-terminated name or path
// in 260 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace video {

// The remote-control program's main window.
inline constexpr char kRemoteTitle[] = "KTG Remote Control";
// Its program file, looked for in the remote folder.
inline constexpr char kRemoteProgram[] = "zx-remote";

// Button actions (the first field of a command).
enum : int { REMOTE_PUSH = 0, REMOTE_ON = 1, REMOTE_OFF = 2, REMOTE_QUERY = 3, REMOTE_ACTION_COUNT = 4 };
// The names of Push, On and Off as the playlist editor shows them.
inline constexpr int IDS_REMOTE_ACTION_FIRST = 22158;
std::string RemoteActionName(int action);  // "" for a query or an unknown action

// dwData of the two messages.
enum : uint32_t { REMOTE_MSG_COMMAND = 1, REMOTE_MSG_SCRIPT = 2 };

inline constexpr size_t kRemoteNameBytes = 260;
inline constexpr size_t kRemotePayloadBytes = 4 + kRemoteNameBytes;
inline constexpr size_t kRemoteMaxName = kRemoteNameBytes - 1;

// Input buttons in table order; the table ends at the first empty entry.
inline constexpr int kRemoteInputCount = 22;
extern const char* const kRemoteInputs[kRemoteInputCount + 1];
// Effect buttons in table order.
inline constexpr int kRemoteEffectCount = 9;
extern const char* const kRemoteEffects[kRemoteEffectCount];
// Buttons used by name.
inline constexpr char kButtonFast[] = "FAST";
inline constexpr char kButtonCut[] = "CUT";
inline constexpr char kButtonAuto[] = "AUTO";
inline constexpr char kButtonBreak[] = "BREAK";
inline constexpr char kButtonTransp[] = "TRANSP";
inline constexpr char kButtonLogo1[] = "LOGO1";
inline constexpr char kButtonFreeze[] = "FREEZE";
// The on-air tally of input X is the button "AIR_X".
inline constexpr char kAirPrefix[] = "AIR_";
std::string AirButton(std::string_view input);
// The buttons a playlist event may press, in the order the playlist editor offers them.
inline constexpr int kRemotePlaylistButtonCount = 44;
extern const char* const kRemotePlaylistButtons[kRemotePlaylistButtonCount];

// Index of an input or effect by its name (exact); -1 when it is none.
int RemoteInputIndex(std::string_view name);
int RemoteEffectIndex(std::string_view name);

// The message block: false (and nothing written) for a text longer than 259 bytes or one holding
// a NUL, which would be cut short on the other side.
bool EncodeRemotePayload(int32_t first, std::string_view text, std::vector<uint8_t>& out);
// False unless the block is exactly 264 bytes with a NUL inside the text field.
bool DecodeRemotePayload(std::span<const uint8_t> data, int32_t& first, std::string& text);

}  // namespace video

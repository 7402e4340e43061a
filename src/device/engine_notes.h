// What the command engine tells its receiver (MSG_ENGINE): the notification codes and how the
// message parameters carry them. The finish and error of a command carry the number the engine
// gave that command, so a receiver can tell its last command's finish from an older one's.
#pragma once

#include <cstdint>

namespace device {

// Notification codes (low word of the first message parameter; the second carries the value).
enum EngineNote : int {
    NOTE_LINK_UP = 1,         // the first good status after the link came up; 0
    NOTE_LINK_ERROR = 2,      // a link error while no command was running; the error
    NOTE_STATE = 3,           // the Device state value changed; the new value
    NOTE_REQUEST = 4,         // the Device raised a request; its code
    NOTE_FINISHED = 18,       // the running command finished; 0
    NOTE_COMMAND_ERROR = 19,  // a link error abandoned the running command; the error
};

// The first parameter: the code in the low word, the command's number in the next (0 for the
// notifications that belong to no command).
inline uintptr_t PackNote(int code, uint16_t command) { return uintptr_t(uint16_t(code)) | uintptr_t(command) << 16; }
inline int NoteCode(uintptr_t wParam) { return int(wParam & 0xFFFF); }
inline uint16_t NoteCommand(uintptr_t wParam) { return uint16_t(wParam >> 16); }

}  // namespace device

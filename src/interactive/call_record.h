// One answered call as the interactive engine hands it to its view (notification 2), also used by
// the view for votes of other sources (line 8 and up: the answer named directly).
#pragma once

#include <cstdint>

namespace interactive {

struct CallRecord {
    uint8_t line = 0;       // 0-7
    uint8_t cidByte = 0;    // first version: byte 0 of the line's call block with caller ID on
    char number[32] = {};   // zero-terminated, empty when not detected
    uint8_t hasNumber = 0;  // 1 when number is not empty
};
static_assert(sizeof(CallRecord) == 35, "CallRecord keeps its 35-byte layout");

}  // namespace interactive

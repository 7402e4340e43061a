// File result codes of the data-file readers and writers: the low byte n selects the message
// 2999 + n, bit 8 asks for the error icon (see app::ShowFileResult).
#pragma once

namespace pages {

enum : int {
    FILE_OK = 0,
    FILE_OPEN_ERROR = 0x101,     // 3000 "Error opening file"
    FILE_SAVE_ERROR = 0x102,     // 3001 "Error saving file"
    FILE_FORMAT_ERROR = 0x103,   // 3002 "Read error - invalid file format"
    FILE_VERSION_ERROR = 0x104,  // 3003 "Read error - unsupported file version"
};

}  // namespace pages

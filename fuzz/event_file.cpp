// Automation files (schedule.dat, binds.dat) as they come from disk: any bytes give a result
// code and never a crash; a file that reads is written back into an image that reads to the
// same records, and writing that again gives the same bytes.
#include <cstdint>
#include <vector>

#include "air/auto_event.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<air::AutoEvent> events;
    const int code = air::ParseEventFile(data, size, events);
    if (code != 0) {
        if ((code != 0x103 && code != 0x104) || !events.empty()) __builtin_trap();
        return 0;
    }
    if (size < air::ZXEF_HEADER_SIZE || events.size() > (size - air::ZXEF_HEADER_SIZE) / air::AUTO_EVENT_SIZE)
        __builtin_trap();
    for (const air::AutoEvent& e : events)
        if (e.fileName.size() >= air::AUTO_NAME_SIZE || e.videoName.size() >= air::AUTO_NAME_SIZE || e.holdOff != 0)
            __builtin_trap();
    const std::vector<uint8_t> image = air::SerializeEventFile(events);
    std::vector<air::AutoEvent> back;
    if (air::ParseEventFile(image.data(), image.size(), back) != 0 || back != events) __builtin_trap();
    if (air::SerializeEventFile(back) != image) __builtin_trap();
    return 0;
}

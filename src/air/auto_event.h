// The automation files: "schedule.dat" (the scheduled events) and "binds.dat" (the block
// bindings, one per item key of the Device), both a list of AutoEvent records.
//
// File, little-endian: "ZXEF", version 0x00010000, record count, 52 zero bytes, then the records
// of 1024 bytes each:
//    0 hour (16)   2 minute (8)   3 second (8)   4 onceOnly   8 year (16)   10 month (8)
//   11 day (8)    12 weekdays (bit 0 Monday ... bit 6 Sunday)   16 active
//   20 filePathKind   24 fileName (260, zero-terminated)   284 videoPathKind
//  288 videoName (260)   548 videoLoop   552 holdOff   556 restorePreview   560 zeros (464)
// The 32-bit fields are signed; fields a list does not use are 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class ByteReader;
class ByteWriter;
struct LocalTime;
}  // namespace platform

namespace air {

enum : uint32_t {
    ZXEF_VERSION = 0x00010000,
    ZXEF_HEADER_SIZE = 64,
    AUTO_EVENT_SIZE = 1024,
    AUTO_NAME_SIZE = 260,  // a name holds at most 259 characters and its zero
};

struct AutoEvent {
    uint16_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    int32_t onceOnly = 0;  // 1: once on the date below; 0: daily on the weekdays
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    int32_t weekdays = 0;
    int32_t active = 0;         // events: 1 play, 0 stop; bindings: 1 bound, 0 empty
    int32_t filePathKind = 0;   // 0: fileName below the data root; 1: a whole path
    std::string fileName;       // a sequence, clock or macro
    int32_t videoPathKind = 0;  // 0: videoName below the video folder; 1: a whole path
    std::string videoName;      // an MPEG file or a video playlist
    int32_t videoLoop = 0;
    int32_t holdOff = 0;         // seconds the event rests after it fired (run time; written, not read)
    int32_t restorePreview = 0;  // bindings: the playlist hands the switcher the preview input back

    bool operator==(const AutoEvent&) const = default;
    bool hasFile() const { return !fileName.empty(); }
    bool hasVideo() const { return !videoName.empty(); }
    int secondOfDay() const { return hour * 3600 + minute * 60 + second; }
};

// A new scheduled event as the dialog starts it: once only at the given date and time, all
// weekdays ticked, a stop.
AutoEvent NewScheduledEvent(const platform::LocalTime& now);

// One record of 1024 bytes. A name without its zero is cut at 259 characters; holdOff is not
// read back (it is the state of a run, not of the file).
AutoEvent ReadAutoEvent(platform::ByteReader& r);
void WriteAutoEvent(platform::ByteWriter& w, const AutoEvent& e);

// A whole file image. File result codes: 0; 0x103 (259) when the header is short or its magic
// is not "ZXEF"; 0x104 (260) for another version. A count beyond the data reads the records
// that are there (a last record cut short is dropped). On an error out is empty.
int ParseEventFile(const uint8_t* data, size_t size, std::vector<AutoEvent>& out);
std::vector<uint8_t> SerializeEventFile(const std::vector<AutoEvent>& events);

// Reads a list file as it is: a missing file is an empty list (0); else the code of the read.
int ReadEventFile(const std::string& path, std::vector<AutoEvent>& out);
// Reads a list file for a list that will be saved again. A missing file is an empty list (0). A
// file that is there but cannot be
// read (0x101, 0x103, 0x104) gives an empty list and is moved aside to "<path>.bad", so that the
// next save, which writes the empty list, does not lose its records.
int LoadEventFile(const std::string& path, std::vector<AutoEvent>& out);
// Written atomically: 0, or 0x102.
int SaveEventFile(const std::string& path, const std::vector<AutoEvent>& events);

// "schedule.dat" / "binds.dat", with "_400m" before the extension for the 400M edition.
std::string ScheduleFileName(bool is400M);
std::string BindsFileName(bool is400M);

// The binding list holds at least as many records as the model has item keys: empty ones are
// added. Records beyond that count stay (unshown), so a model switched back finds them.
void PadBindings(std::vector<AutoEvent>& bindings, int count);

// A once-only event's date and time, or a daily event's time, that no clock can show: such an
// event is kept but never fires.
bool EventTimeValid(const AutoEvent& e);

}  // namespace air

#include "air/auto_event.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace air {

namespace {

constexpr char kMagic[4] = {'Z', 'X', 'E', 'F'};

std::string readName(platform::ByteReader& r) {
    char raw[AUTO_NAME_SIZE];
    r.bytes(raw, sizeof raw);
    // Without its zero the name ends where the field leaves room for one.
    return std::string(raw, strnlen(raw, AUTO_NAME_SIZE - 1));
}

void writeName(platform::ByteWriter& w, const std::string& name) {
    char raw[AUTO_NAME_SIZE] = {};
    std::memcpy(raw, name.data(), std::min(name.size(), size_t(AUTO_NAME_SIZE - 1)));
    w.bytes(raw, sizeof raw);
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

AutoEvent NewScheduledEvent(const platform::LocalTime& now) {
    AutoEvent e;
    e.hour = uint16_t(now.hour);
    e.minute = uint8_t(now.minute);
    e.second = uint8_t(now.second);
    e.onceOnly = 1;
    e.year = uint16_t(now.year);
    e.month = uint8_t(now.month);
    e.day = uint8_t(now.day);
    e.weekdays = 127;
    e.active = 0;
    return e;
}

AutoEvent ReadAutoEvent(platform::ByteReader& r) {
    const size_t start = r.pos();
    AutoEvent e;
    r.fields(e.hour, e.minute, e.second, e.onceOnly, e.year, e.month, e.day, e.weekdays, e.active, e.filePathKind);
    e.fileName = readName(r);
    e.videoPathKind = r.i32();
    e.videoName = readName(r);
    int32_t holdOff = 0;
    r.fields(e.videoLoop, holdOff, e.restorePreview);
    if (r.ok()) r.seek(start + AUTO_EVENT_SIZE);
    return e;
}

void WriteAutoEvent(platform::ByteWriter& w, const AutoEvent& e) {
    w.fields(e.hour, e.minute, e.second, e.onceOnly, e.year, e.month, e.day, e.weekdays, e.active, e.filePathKind);
    writeName(w, e.fileName);
    w.i32(e.videoPathKind);
    writeName(w, e.videoName);
    w.fields(e.videoLoop, e.holdOff, e.restorePreview);
    w.zeros(AUTO_EVENT_SIZE - 560);
}

int ParseEventFile(const uint8_t* data, size_t size, std::vector<AutoEvent>& out) {
    out.clear();
    platform::ByteReader r(data, size);
    char magic[4];
    uint32_t version = 0, count = 0;
    if (!r.fields(magic, version, count) || std::memcmp(magic, kMagic, 4) != 0 || size < ZXEF_HEADER_SIZE)
        return pages::FILE_FORMAT_ERROR;
    if (version != ZXEF_VERSION) return pages::FILE_VERSION_ERROR;
    // The count is the header's word; the records are what the file holds.
    const size_t present = (size - ZXEF_HEADER_SIZE) / AUTO_EVENT_SIZE;
    const size_t n = std::min<size_t>(count, present);
    out.reserve(n);
    r.seek(ZXEF_HEADER_SIZE);
    for (size_t i = 0; i < n; ++i) out.push_back(ReadAutoEvent(r));
    return pages::FILE_OK;
}

std::vector<uint8_t> SerializeEventFile(const std::vector<AutoEvent>& events) {
    std::vector<uint8_t> out;
    out.reserve(ZXEF_HEADER_SIZE + events.size() * AUTO_EVENT_SIZE);
    platform::ByteWriter w(out);
    w.fields(kMagic, uint32_t(ZXEF_VERSION), uint32_t(events.size()));
    w.zeros(ZXEF_HEADER_SIZE - 12);
    for (const AutoEvent& e : events) WriteAutoEvent(w, e);
    return out;
}

int ReadEventFile(const std::string& path, std::vector<AutoEvent>& out) {
    out.clear();
    const std::string file = platform::ResolvePath(path);
    if (!platform::FileExists(file)) return pages::FILE_OK;
    std::vector<uint8_t> data;
    const int code =
        platform::ReadFile(file, data) ? ParseEventFile(data.data(), data.size(), out) : pages::FILE_OPEN_ERROR;
    if (code != pages::FILE_OK) out.clear();
    return code;
}

int LoadEventFile(const std::string& path, std::vector<AutoEvent>& out) {
    const int code = ReadEventFile(path, out);
    if (code != pages::FILE_OK) {
        const std::string file = platform::ResolvePath(path);
        out.clear();
        // The list starts empty and is saved at its next change: the damaged file goes aside
        // first, so its records can still be looked at or mended.
        std::rename(file.c_str(), (file + ".bad").c_str());
    }
    return code;
}

int SaveEventFile(const std::string& path, const std::vector<AutoEvent>& events) {
    return platform::WriteFileAtomic(path, SerializeEventFile(events)) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

std::string ScheduleFileName(bool is400M) { return is400M ? "schedule_400m.dat" : "schedule.dat"; }
std::string BindsFileName(bool is400M) { return is400M ? "binds_400m.dat" : "binds.dat"; }

void PadBindings(std::vector<AutoEvent>& bindings, int count) {
    if (count > 0 && bindings.size() < size_t(count)) bindings.resize(size_t(count));
}

bool EventTimeValid(const AutoEvent& e) {
    if (e.hour > 23 || e.minute > 59 || e.second > 59) return false;
    if (!e.onceOnly) return true;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (e.year < 1 || e.month < 1 || e.month > 12 || e.day < 1) return false;
    const int days = kDays[e.month - 1] + (e.month == 2 && leapYear(e.year) ? 1 : 0);
    return e.day <= days;
}

}  // namespace air

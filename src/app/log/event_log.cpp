#include "app/log/event_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "app/profile.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {

struct LogState {
    std::mutex m;
    bool read = false;  // switches read
    bool log = false;
    bool timestamp = true;
    std::string iniPath;
    std::string folder;
    std::string file;
};

LogState& state() {
    static LogState s;
    return s;
}

// Reads the switches on first use; call with the lock held.
void readSwitches(LogState& s) {
    if (s.read) return;
    s.read = true;
    s.log = false;
    s.timestamp = true;
    if (s.iniPath.empty()) return;
    app::Profile ini(s.iniPath);
    s.log = ini.getInt("Debug", "Log", 0) == 1;
    s.timestamp = ini.getInt("Debug", "Timestamp", 1) == 1;
    if (s.log) s.file = s.folder + "logfile.txt";
}

}  // namespace

void LogMessage(const char* format, ...) {
    LogState& s = state();
    // Lines from several threads are written one after another, never dropped or mixed.
    std::lock_guard lock(s.m);
    readSwitches(s);
    if (!s.log) return;

    char msg[256];
    va_list ap;
    va_start(ap, format);
    vsnprintf(msg, sizeof msg, format, ap);
    va_end(ap);

    std::string line;
    line.reserve(300);
    if (s.timestamp) {
        platform::LocalTime t = platform::SystemClock::instance().localTime();
        char prefix[64];
        snprintf(prefix, sizeof prefix, "%02d.%02d.%04d %02d:%02d:%02d.%03d - ", t.day, t.month, t.year, t.hour,
                 t.minute, t.second, t.millisecond);
        line += prefix;
    }
    // The log is a text file with CR LF line ends, including any line break inside a message.
    for (const char* p = msg; *p; ++p) {
        if (*p == '\n') line += "\r\n";
        else line += *p;
    }
    line += "\r\n";

    // Another copy of the program (the second edition) may share the file: they take turns. A
    // line that cannot be written is lost; the caller is never told.
    platform::AppendToFile(s.file, line);
}

namespace app {

void ConfigureEventLog(const std::string& iniPath, const std::string& logFolder) {
    LogState& s = state();
    std::lock_guard lock(s.m);
    s.iniPath = iniPath;
    s.folder = logFolder;
    if (!s.folder.empty() && s.folder.back() != '/') s.folder += '/';
    s.read = false;
}

void ResetEventLog() {
    LogState& s = state();
    std::lock_guard lock(s.m);
    s.read = false;
    s.log = false;
    s.timestamp = true;
    s.iniPath.clear();
    s.folder.clear();
    s.file.clear();
}

bool EventLogEnabled() {
    LogState& s = state();
    std::lock_guard lock(s.m);
    readSwitches(s);
    return s.log;
}

std::string EventLogPath() {
    LogState& s = state();
    std::lock_guard lock(s.m);
    return s.folder.empty() ? std::string() : s.folder + "logfile.txt";
}

}  // namespace app

// The diagnostic event log "logfile.txt": one printf-style function for every thread. Off
// unless [Debug] Log=1; the switches are read once, at the first line.
#pragma once

#include <string>

// Writes one line (at most 255 characters of message) to the event log.
void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace app {

// Where the switches and the log live: the INI file and the folder of "logfile.txt". Set by the
// application before its first line; until then (and in tools that never set it) the switches
// read as their defaults and nothing is written.
void ConfigureEventLog(const std::string& iniPath, const std::string& logFolder);

// Forgets the switches and the location, so that the next line reads them again (tests).
void ResetEventLog();

// The Log switch, reading the switches first when no line has been written yet.
bool EventLogEnabled();

// The full name of the log file ("" until configured).
std::string EventLogPath();

}  // namespace app

// Turns the event log on in a folder of its own for one test and reads back its lines.
#pragma once

#include <string>

#include "app/log/event_log.h"
#include "support/temp_dir.h"

namespace zxtest {

class LogCapture {
public:
    LogCapture() {
        app::ResetEventLog();
        WriteText(dir_.file("LOG.INI"), "[Debug]\nLog=1\nTimestamp=0\n");
        app::ConfigureEventLog(dir_.file("LOG.INI"), dir_.path());
    }
    ~LogCapture() { app::ResetEventLog(); }
    std::string text() const { return ReadText(dir_.file("logfile.txt")); }
    bool has(const std::string& line) const { return text().find(line + "\r\n") != std::string::npos; }

private:
    TempDir dir_;
};

}  // namespace zxtest

#include "air/air_log.h"

#include <cstdio>

#include "app/folders.h"
#include "app/settings.h"
#include "platform/files.h"

namespace air {

namespace {

// A name or a title text must not break its line: CR LF pairs and single line breaks become
// one blank each.
std::string oneLine(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

}  // namespace

CAirLog::CAirLog(const app::Settings& settings, const app::FolderTable& folders, const platform::Clock& clock)
    : settings_(settings), folders_(folders), clock_(clock) {}

bool CAirLog::enabled() const { return settings_.airLog == 1; }

std::string CAirLog::path() const { return folders_.entry(app::FOLDER_PROGRAM) + "airlog.txt"; }

// Seconds on air are counted on the tick counter, not by subtracting wall-clock times, so that
// neither a daylight-saving change nor a correction of the PC clock bends them.
int CAirLog::secondsSince(uint32_t startTicks) const {
    return int(platform::TicksSince(startTicks, clock_.ticks()) / 1000u);
}

void CAirLog::clearPage() {
    pageName_.clear();
    pageOpen_ = false;
}

void CAirLog::openPage(bool deviceOnAir) {
    if (!enabled() || pageName_.empty()) return;
    if (pageOpen_ || !deviceOnAir) return;
    page_.name = pageName_;
    page_.start = clock_.localTime();
    page_.startTicks = clock_.ticks();
    pageOpen_ = true;
}

void CAirLog::closePage() {
    if (pageName_.empty()) return;
    // With the log switched off meanwhile, the record is dropped so that a later line does not
    // count from a stale start.
    if (pageOpen_ && enabled()) {
        page_.name = pageName_;
        write(page_, app::FOLDER_PAGES);
    }
    pageOpen_ = false;
}

void CAirLog::openClip(int board, std::string fileName) {
    if (!enabled() || board < 0 || board > 1) return;
    Record& r = clips_[size_t(board)];
    r.name = std::move(fileName);
    r.start = clock_.localTime();
    r.startTicks = clock_.ticks();
}

void CAirLog::closeClip(int board) {
    if (board < 0 || board > 1) return;
    Record& r = clips_[size_t(board)];
    if (!r.name.empty() && enabled()) write(r, app::FOLDER_VIDEO);
    r.name.clear();
}

void CAirLog::closeClips() {
    closeClip(0);
    closeClip(1);
}

void CAirLog::clearClips() {
    for (Record& r : clips_) r.name.clear();
}

const std::string& CAirLog::clipName(int board) const {
    static const std::string none;
    return board == 0 || board == 1 ? clips_[size_t(board)].name : none;
}

void CAirLog::write(const Record& r, int folderIndex) {
    int seconds = secondsSince(r.startTicks);
    if (seconds == 0) return;
    std::string line = FormatLine(r.start, seconds, RelativeName(r.name, folders_.entry(folderIndex)));
    AppendLine(path(), line + "\r\n");
}

void CAirLog::writeTitles(std::string_view pageName, std::string_view summary) {
    if (!enabled() || summary.empty()) return;
    std::string line(22, ' ');
    line += "-> ";
    line += oneLine(pageName);
    line += " -> ";
    line += oneLine(summary);
    AppendLine(path(), line + "\r\n");
}

std::string CAirLog::FormatLine(const platform::LocalTime& t, int seconds, std::string_view name) {
    char head[64];
    snprintf(head, sizeof head, "%02d.%02d.%04d %02d:%02d:%02d %4d ", t.day, t.month, t.year, t.hour, t.minute,
             t.second, seconds);
    return head + oneLine(name);
}

std::string CAirLog::RelativeName(std::string_view name, std::string_view base) {
    if (!base.empty() && platform::StartsWithNoCase(name, base)) return std::string(name.substr(base.size()));
    return std::string(name);
}

bool CAirLog::AppendLine(const std::string& path, std::string_view line) {
    // Other writers (the second edition sharing the folder) wait while the line goes in whole.
    return platform::AppendToFile(path, line);
}

}  // namespace air

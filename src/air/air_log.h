// The air log "airlog.txt" in the program folder: one line for every page and every MPEG clip
// that was on air, with its start time and how many seconds it stayed. Written only while the
// setting AirLog is 1; it never reports an error (a line that cannot be written is lost).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace app {
class FolderTable;
struct Settings;
}  // namespace app

namespace air {

class CAirLog {
public:
    // Reads AirLog and the folders afresh at every call, so a change of settings applies at once.
    CAirLog(const app::Settings& settings, const app::FolderTable& folders, const platform::Clock& clock);

    // The page on air: named when its in-effect starts.
    void setPageOnAir(std::string name) { pageName_ = std::move(name); }
    const std::string& pageOnAir() const { return pageName_; }
    // Reset: forgets the page on air and its open record without writing it.
    void clearPage();

    // Opens the page record when the Device reports on air (status bit 1); an open record is
    // not restarted.
    void openPage(bool deviceOnAir);
    // Closes the page record, writing its line when it lasted at least a second.
    void closePage();
    bool pageRecordOpen() const { return pageOpen_; }

    // Clip records of the MPEG boards 0 and 1.
    void openClip(int board, std::string fileName);
    void closeClip(int board);
    void closeClips();
    // Reset: forgets both clip records without writing them.
    void clearClips();
    const std::string& clipName(int board) const;

    // The line of a title with filled-in texts, written when it goes on air: it lines up under
    // the name of the page line that follows. summary: "[frame]:[text]" pairs separated by ",".
    void writeTitles(std::string_view pageName, std::string_view summary);

    // One line, without its line end.
    static std::string FormatLine(const platform::LocalTime& start, int seconds, std::string_view name);
    // The name as the log writes it: below base (compared without regard to case) the rest,
    // else the whole name.
    static std::string RelativeName(std::string_view name, std::string_view base);
    // Appends text (one or more whole lines) to path; false when the file cannot be written.
    static bool AppendLine(const std::string& path, std::string_view line);

    std::string path() const;

private:
    struct Record {
        std::string name;
        platform::LocalTime start;
        uint32_t startTicks = 0;
    };
    bool enabled() const;
    void write(const Record& r, int folderIndex);
    int secondsSince(uint32_t startTicks) const;

    const app::Settings& settings_;
    const app::FolderTable& folders_;
    const platform::Clock& clock_;
    std::string pageName_;
    bool pageOpen_ = false;
    Record page_;
    std::array<Record, 2> clips_;
};

}  // namespace air

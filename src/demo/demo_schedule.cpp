#include "demo/demo_schedule.h"

#include "demo/demo_clocks.h"
#include "demo/demo_macros.h"
#include "demo/demo_root.h"
#include "demo/demo_titles.h"

namespace demo {

namespace {

air::AutoEvent At(int h, int m, int s, const std::string& file) {
    air::AutoEvent e;
    e.hour = uint16_t(h);
    e.minute = uint8_t(m);
    e.second = uint8_t(s);
    e.weekdays = 127;
    e.active = file.empty() ? 0 : 1;
    e.fileName = file;
    return e;
}

}  // namespace

std::vector<air::AutoEvent> DemoScheduleEvents() {
    std::vector<air::AutoEvent> out;
    for (int q = 0; q < 96; ++q) {
        const int h = q / 4, m = q % 4 * 15;
        out.push_back(At(h, m, 0, q % 2 ? kNewsSequence : kShowSequence));
        out.push_back(At(h, m + 10, 0, {}));
        if (h == 6 && m == 0) out.push_back(At(6, 11, 0, kLogoMacro));
        if (h == 12 && m == 0) {
            out.push_back(At(12, 12, 0, kStudioClock));
            out.push_back(At(12, 14, 0, {}));
        }
    }
    air::AutoEvent once = At(12, 30, 30, kShowSequence);
    once.onceOnly = 1;
    once.year = 2030;
    once.month = 1;
    once.day = 1;
    out.push_back(once);
    return out;
}

std::vector<air::AutoEvent> DemoBindings() {
    std::vector<air::AutoEvent> out(8);
    const std::string files[3] = {kShowSequence, kNewsSequence, kBreakingNewsTitle};
    for (size_t i = 0; i < 3; ++i) {
        out[i].active = 1;
        out[i].fileName = files[i];
    }
    return out;
}

bool WriteDemoSchedule(const std::string& root, std::vector<std::string>& files, std::string& error) {
    const std::string names[2] = {air::ScheduleFileName(false), air::BindsFileName(false)};
    const std::vector<air::AutoEvent> lists[2] = {DemoScheduleEvents(), DemoBindings()};
    for (int i = 0; i < 2; ++i) {
        if (air::SaveEventFile(root + names[i], lists[i]) != 0) {
            error = "cannot write " + root + names[i];
            return false;
        }
        files.push_back(names[i]);
    }
    return true;
}

}  // namespace demo

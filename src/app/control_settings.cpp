#include "app/control_settings.h"

namespace app {

ControlSettings LoadControlSettings(const Profile& ini) {
    ControlSettings s;
    s.enabled = ini.getInt(kControlSection, "Enabled", 0) != 0;
    s.listen = ini.getString(kControlSection, "Listen", kControlDefaultListen);
    if (s.listen.empty()) s.listen = kControlDefaultListen;
    s.token = ini.getString(kControlSection, "Token");
    return s;
}

bool SaveControlSettings(Profile& ini, const ControlSettings& s) {
    // One save of the file for the three keys; its result is the answer.
    ini.beginBatch();
    bool ok = ini.putInt(kControlSection, "Enabled", s.enabled ? 1 : 0);
    ok = ini.putString(kControlSection, "Listen", s.listen) && ok;
    ok = ini.putString(kControlSection, "Token", s.token) && ok;
    return ini.endBatch() && ok;
}

}  // namespace app

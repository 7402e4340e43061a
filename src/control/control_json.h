// The JSON of the control interface: the answers (state, tree, title, errors, events) and the
// reading of request bodies. 8-bit texts of the program cross into UTF-8 here, through the code
// page; request texts cross back, and the characters the code page lacks are named.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "air/show_params.h"
#include "air/titles_tree.h"
#include "control/air_host.h"
#include "platform/code_page.h"

namespace control {

// {"error": message, "status": n}
std::string ErrorJson(int status, std::string_view messageUtf8);

// The whole state (the answer of GET /state and the "state" event).
std::string StateJson(const AirSnapshot& s, const platform::CodePage& cp);
// Only the two time fields (the "time" event).
std::string TimeJson(const AirSnapshot& s);
// "m:ss.t" as the time fields show it, in ms; -1 when the text is not of that form.
int64_t ParseTimeText(std::string_view text);

std::string TreeJson(const std::vector<air::TitlesNode>& tree, const std::string& root, const platform::CodePage& cp);
std::string TitleJson(const TitleInfo& t, const platform::CodePage& cp, const std::vector<std::string>& warnings);
std::string ShowParamsJson(const air::ShowParams& p);
std::string AirLogJson(std::string_view line8, const platform::CodePage& cp);
std::string DeviceRequestJson(int code);

// The body of POST /titles/{path}/render: {"fields": {"Label": "text", ...}} or
// {"fields": ["text", ...]} (by position), and "play": true to go on air once cued.
struct RenderBody {
    std::vector<FieldValue> values;  // texts (and labels) in UTF-8 here
    bool play = false;
};
bool ParseRenderBody(std::string_view body, RenderBody& out, std::string& why);

// The body of POST /play: {"path": "Sequences/Evening.zxs", "play": true}.
struct PlayBody {
    std::string path;  // UTF-8
    bool play = false;
};
bool ParsePlayBody(std::string_view body, PlayBody& out, std::string& why);

// The body of POST /actions/effect: the show parameters to change, by name ("showTime": 5,
// "inType": 3, "inFade": true, "time": "fixed"|"variable" ...).
bool ParseEffectBody(std::string_view body, EffectChanges& out, std::string& why);

// A text of a request into the code page; each character it lacks (or a broken UTF-8 sequence)
// is named once in lacking, in UTF-8.
std::string ToCodePage(const platform::CodePage& cp, std::string_view utf8, std::vector<std::string>& lacking);

}  // namespace control

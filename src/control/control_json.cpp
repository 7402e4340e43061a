#include "control/control_json.h"

#include <nlohmann/json.hpp>

#include "air/air_frame.h"
#include "air/effect_dialog_model.h"
#include "control/data_paths.h"
#include "platform/files.h"

namespace control {

namespace {

using json = nlohmann::json;

// Never throws: a text that is not UTF-8 shows its bad bytes replaced.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Utf8(const platform::CodePage& cp, std::string_view text8) { return cp.toUtf8(text8); }

json NodeJson(const air::TitlesNode& n, const std::string& root, const platform::CodePage& cp) {
    json j = {{"name", Utf8(cp, n.text)}, {"type", air::TitrKindName(n.kind)}};
    if (n.isFile()) {
        j["path"] = Utf8(cp, NameBelowRoot(root, n.path));
        j["playable"] = n.enabled;
    } else {
        json children = json::array();
        for (const air::TitlesNode& c : n.children) children.push_back(NodeJson(c, root, cp));
        j["children"] = std::move(children);
    }
    return j;
}

// A discarded value or a non-object gives why.
bool ParseObject(std::string_view body, json& out, std::string& why) {
    if (body.empty()) {
        out = json::object();
        return true;
    }
    out = json::parse(body.begin(), body.end(), nullptr, false);
    if (out.is_discarded()) {
        why = "the body is not JSON (UTF-8)";
        return false;
    }
    if (!out.is_object()) {
        why = "the body is a JSON object";
        return false;
    }
    return true;
}

bool ReadPlay(const json& j, bool& play, std::string& why) {
    const auto it = j.find("play");
    if (it == j.end()) return true;
    if (!it->is_boolean()) {
        why = "\"play\" is true or false";
        return false;
    }
    play = it->get<bool>();
    return true;
}

json TimesOf(const AirSnapshot& s) {
    auto trim = [](std::string t) {
        while (!t.empty() && t.back() == ' ') t.pop_back();
        return t;
    };
    const std::string e = trim(s.frame.elapsedText), r = trim(s.frame.remainingText);
    const int64_t em = ParseTimeText(e), rm = ParseTimeText(r);
    return json{{"elapsed", e},
                {"remaining", r},
                {"elapsedMs", em >= 0 ? json(em) : json(nullptr)},
                {"remainingMs", rm >= 0 ? json(rm) : json(nullptr)}};
}

}  // namespace

std::string ErrorJson(int status, std::string_view messageUtf8) {
    return Dump(json{{"error", std::string(messageUtf8)}, {"status", status}});
}

int64_t ParseTimeText(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // m:ss.t
    const size_t colon = text.find(':');
    const size_t dot = text.find('.');
    if (colon == std::string_view::npos || dot == std::string_view::npos || dot < colon || colon == 0 ||
        dot - colon != 3 || text.size() != dot + 2)
        return -1;
    int64_t minutes = 0;
    for (size_t i = 0; i < colon; ++i) {
        if (text[i] < '0' || text[i] > '9' || i > 9) return -1;
        minutes = minutes * 10 + (text[i] - '0');
    }
    const char s1 = text[colon + 1], s2 = text[colon + 2], t = text[dot + 1];
    for (char c : {s1, s2, t})
        if (c < '0' || c > '9') return -1;
    return minutes * 60000 + ((s1 - '0') * 10 + (s2 - '0')) * 1000 + (t - '0') * 100;
}

std::string StateJson(const AirSnapshot& s, const platform::CodePage& cp) {
    const air::AirFrameState& f = s.frame;
    json j;
    j["mode"] = s.frameOpen ? json(s.mode) : json(nullptr);
    j["state"] = f.state;
    j["stateName"] = air::AirStateName(f.state);
    j["status"] = s.frameOpen ? Utf8(cp, air::AirStateText(f)) : std::string("No on-air mode is open");
    j["content"] = s.content.empty() ? json(nullptr) : json(s.content);
    j["kind"] = f.kind;
    j["file"] = s.file.empty() ? json(nullptr) : json(Utf8(cp, s.file));
    if (f.kind != 0 && f.state != air::AIR_IDLE)
        j["cued"] = {{"page", f.pageName.empty() ? json(nullptr) : json(Utf8(cp, NameBelowRoot(s.root, f.pageName)))},
                     {"index", f.current},
                     {"count", s.listCount}};
    else j["cued"] = nullptr;
    if (s.isOnAir)
        j["onAir"] = {
            {"page", s.pageOnAir.empty() ? json(nullptr) : json(Utf8(cp, NameBelowRoot(s.root, s.pageOnAir)))},
            {"since", f.startTick}};
    else j["onAir"] = nullptr;
    // The air frame's own times (ms of its clock): when this phase began and how long it lasts.
    j["phase"] = {{"start", f.phaseStart},
                  {"length", f.phaseLength == air::PHASE_UNLIMITED ? json(nullptr) : json(f.phaseLength)}};
    j["paused"] = f.paused;
    j["canStart"] = s.canStart;
    json actions = json::object();
    for (uint16_t a : {air::ACTION_PLAY, air::ACTION_PAUSE, air::ACTION_NEXT, air::ACTION_STOP, air::ACTION_EFFECT,
                       air::ACTION_PREVIOUS})
        actions[NameOfAction(a)] = (f.actions & a) != 0;
    j["actions"] = std::move(actions);
    j["delayedAction"] = f.delayedAction ? json(NameOfAction(f.delayedAction)) : json(nullptr);
    j["automation"] = f.automation;
    static const char* const kLink[] = {"off", "on", "error"};
    j["link"] = {{"up", f.linkUp},
                 {"state", kLink[f.indicators[0] >= 0 && f.indicators[0] <= 2 ? f.indicators[0] : 0]},
                 {"emulate", f.emulate}};
    j["device"] = {{"address", s.device}, {"ready", f.indicators[1] != 0}, {"onAir", f.onAir}};
    j["time"] = TimesOf(s);
    return Dump(j);
}

std::string TimeJson(const AirSnapshot& s) { return Dump(TimesOf(s)); }

std::string TreeJson(const std::vector<air::TitlesNode>& tree, const std::string& root, const platform::CodePage& cp) {
    json groups = json::array();
    for (const air::TitlesNode& g : tree) groups.push_back(NodeJson(g, root, cp));
    return Dump(json{{"groups", std::move(groups)}});
}

std::string TitleJson(const TitleInfo& t, const platform::CodePage& cp, const std::vector<std::string>& warnings) {
    json fields = json::array();
    for (const air::TitleField& f : t.fields)
        fields.push_back({{"label", Utf8(cp, f.label)}, {"text", Utf8(cp, f.text)}, {"frame", f.frame}});
    json j = {{"path", Utf8(cp, t.path)},
              {"page", Utf8(cp, t.page)},
              {"showTime", t.showTime},
              {"fields", std::move(fields)}};
    if (!t.summary.empty()) j["summary"] = Utf8(cp, t.summary);
    if (!warnings.empty()) j["warnings"] = warnings;
    return Dump(j);
}

std::string ShowParamsJson(const air::ShowParams& p) {
    return Dump(json{{"timeMode", p.timeMode},
                     {"showTime", p.showTime},
                     {"plusTime", p.plusTime},
                     {"scrollSpeed", p.scrollSpeed},
                     {"stopScrolling", p.stopScrolling},
                     {"inType", p.inType},
                     {"inSpeed", p.inSpeed},
                     {"inBorder", p.inBorder},
                     {"inNewMoves", p.inNewMoves},
                     {"inOldMoves", p.inOldMoves},
                     {"outType", p.outType},
                     {"outSpeed", p.outSpeed},
                     {"outBorder", p.outBorder},
                     {"outMoves", p.outMoves},
                     {"inFade", p.inFade},
                     {"outFade", p.outFade}});
}

std::string AirLogJson(std::string_view line8, const platform::CodePage& cp) {
    return Dump(json{{"line", Utf8(cp, line8)}});
}

std::string DeviceRequestJson(int code) {
    json j = {{"request", code}};
    // Items 8..15 select items 0..7, 6 and 7 items 8 and 9 (as the air frame reads them).
    if (code >= 6 && code <= 15) j["item"] = code <= 7 ? code + 2 : code - 8;
    static const char* const kNames[] = {nullptr, "play", "pause", "stop"};
    if (code >= 1 && code <= 3) j["name"] = kNames[code];
    return Dump(j);
}

std::string ToCodePage(const platform::CodePage& cp, std::string_view utf8, std::vector<std::string>& lacking) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const size_t start = pos;
        const char32_t c = platform::NextUtf8(utf8, pos);
        if (pos <= start) break;  // never stands still
        const int b = c == 0xFFFD ? -1 : cp.fromUnicode(c);
        if (b >= 0) {
            out += char(b);
            continue;
        }
        out += '?';
        std::string shown;
        platform::AppendUtf8(shown, c);
        bool named = false;
        for (const std::string& l : lacking) named = named || l == shown;
        if (!named) lacking.push_back(shown);
    }
    return out;
}

bool ParseRenderBody(std::string_view body, RenderBody& out, std::string& why) {
    out = {};
    json j;
    if (!ParseObject(body, j, why) || !ReadPlay(j, out.play, why)) return false;
    const auto f = j.find("fields");
    if (f == j.end() || f->is_null()) return true;
    if (f->is_object()) {
        for (const auto& [label, text] : f->items()) {
            if (!text.is_string()) {
                why = "the text of field \"" + label + "\" is a string";
                return false;
            }
            if (label.empty()) {
                why = "a field's label is empty";
                return false;
            }
            out.values.push_back(FieldValue{label, -1, text.get<std::string>()});
        }
    } else if (f->is_array()) {
        int i = 0;
        for (const json& text : *f) {
            if (text.is_string()) out.values.push_back(FieldValue{{}, i, text.get<std::string>()});
            else if (!text.is_null()) {
                why = "each field's text is a string (null leaves a field as it is)";
                return false;
            }
            ++i;
        }
    } else {
        why = "\"fields\" is an object of label: text, or an array of texts";
        return false;
    }
    if (out.values.size() > size_t(air::kTitleFieldCount)) {
        why = "a title has at most " + std::to_string(air::kTitleFieldCount) + " fields";
        return false;
    }
    return true;
}

bool ParsePlayBody(std::string_view body, PlayBody& out, std::string& why) {
    out = {};
    json j;
    if (!ParseObject(body, j, why) || !ReadPlay(j, out.play, why)) return false;
    const auto p = j.find("path");
    if (p == j.end() || !p->is_string() || p->get<std::string>().empty()) {
        why = "give the file to play as \"path\", below the data root (\"Sequences/Evening.zxs\")";
        return false;
    }
    out.path = p->get<std::string>();
    return true;
}

bool ParseEffectBody(std::string_view body, EffectChanges& out, std::string& why) {
    using M = air::CEffectDialogModel;
    struct Named {
        const char* name;
        int control;
        bool flag;
    };
    static const Named kFields[] = {
        {"showTime", M::SHOW_TIME, false},       {"plusTime", M::PLUS_TIME, false},
        {"scrollSpeed", M::SCROLL_SPEED, false}, {"stopScrolling", M::STOP_SCROLLING, true},
        {"inType", M::IN_TYPE, false},           {"inSpeed", M::IN_SPEED, false},
        {"inBorder", M::IN_BORDER, false},       {"inFade", M::IN_FADE, true},
        {"inNewMoves", M::IN_NEW_MOVES, true},   {"inOldMoves", M::IN_OLD_MOVES, true},
        {"outType", M::OUT_TYPE, false},         {"outSpeed", M::OUT_SPEED, false},
        {"outBorder", M::OUT_BORDER, false},     {"outFade", M::OUT_FADE, true},
        {"outMoves", M::OUT_MOVES, true},
    };
    out.clear();
    json j;
    if (!ParseObject(body, j, why)) return false;
    for (const auto& [name, value] : j.items()) {
        if (name == "time") {
            if (!value.is_string() || (value != "fixed" && value != "variable")) {
                why = "\"time\" is \"fixed\" or \"variable\"";
                return false;
            }
            out.push_back({M::FIXED_TIME, value == "fixed" ? 1 : 0});
            continue;
        }
        const Named* field = nullptr;
        for (const Named& n : kFields)
            if (name == n.name) field = &n;
        if (!field) {
            why = "no show parameter \"" + name + "\"";
            return false;
        }
        if (field->flag && value.is_boolean()) {
            out.push_back({field->control, value.get<bool>() ? 1 : 0});
        } else if (value.is_number_integer() &&
                   (value.is_number_unsigned() ? value.get<uint64_t>() <= 1000000
                                               : value.get<int64_t>() >= -1000000 && value.get<int64_t>() <= 1000000)) {
            out.push_back({field->control, int(value.get<int64_t>())});
        } else {
            why = "\"" + name + "\" is " + (field->flag ? "true or false" : "a whole number");
            return false;
        }
    }
    if (out.empty()) {
        why = "give the show parameters to change (\"showTime\", \"inType\", ...)";
        return false;
    }
    return true;
}

}  // namespace control

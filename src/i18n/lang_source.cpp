#include "i18n/lang_source.h"

#include <cstdio>
#include <set>
#include <unordered_map>

#include "platform/code_page.h"

namespace i18n {

namespace {

std::string KeyText(uint32_t key) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", key);
    return buf;
}

bool ParseKey(std::string_view s, uint32_t& key) {
    if (s.size() != 8) return false;
    key = 0;
    for (char c : s) {
        int v = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                       : -1;
        if (v < 0) return false;
        key = key << 4 | uint32_t(v);
    }
    return true;
}

// The stored text of a source text: escapes resolved (\t kept as the stored "\t"), then the
// UTF-8 converted to the code page. False with the reason.
bool StoredOf(std::string_view text, const platform::CodePage& cp, std::string& out, std::string& why) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            utf8 += "\\t";
        } else if (c != '\\') {
            utf8 += c;
        } else if (i + 1 >= text.size()) {
            why = "a backslash ends the text (write \\\\ for one)";
            return false;
        } else {
            switch (text[++i]) {
                case 'n': utf8 += '\n'; break;
                case 'r': utf8 += '\r'; break;
                case 't': utf8 += "\\t"; break;
                case '\\': utf8 += '\\'; break;
                default: why = std::string("unknown escape \\") + text[i]; return false;
            }
        }
    }
    out.clear();
    for (size_t pos = 0; pos < utf8.size();) {
        const size_t at = pos;
        const char32_t u = platform::NextUtf8(utf8, pos);
        if (u == 0xFFFD && utf8.compare(at, 3, "\xEF\xBF\xBD") != 0) {
            why = "bytes that are not UTF-8";
            return false;
        }
        if (u == 0) {
            why = "a zero character";
            return false;
        }
        const int b = cp.fromUnicode(u);
        if (b < 0) {
            char buf[80];
            std::snprintf(buf, sizeof buf, "U+%04X is not in code page %d", unsigned(u), cp.number());
            why = buf;
            return false;
        }
        out += char(b);
    }
    return true;
}

// A stored text as a source text: the escapes written out, in UTF-8.
std::string SourceOf(std::string_view stored, const platform::CodePage& cp) {
    std::string utf8 = cp.toUtf8(stored), out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\\' && i + 1 < utf8.size() && utf8[i + 1] == 't') out += "\\t", ++i;
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

}  // namespace

CompiledLanguage CompileLanguageSource(std::string_view source, const LangTable& base, const platform::CodePage& cp) {
    CompiledLanguage r;
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
    std::unordered_map<uint32_t, std::string> texts;
    int lineNo = 0;
    auto error = [&](std::string message) { r.errors.push_back({lineNo, std::move(message)}); };
    while (!source.empty()) {
        ++lineNo;
        const size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        uint32_t key = 0;
        if (tab == std::string_view::npos || !ParseKey(line.substr(0, tab), key)) {
            error("not KEY<TAB>TEXT (KEY in eight hex digits)");
            continue;
        }
        const char* baseText = base.Lookup(key);
        if (!baseText) {
            error("key " + KeyText(key) + " is not in the base file");
            continue;
        }
        std::string stored, why;
        if (!StoredOf(line.substr(tab + 1), cp, stored, why)) {
            error("key " + KeyText(key) + ": " + why);
            continue;
        }
        if (stored.empty()) {
            error("key " + KeyText(key) + ": an empty text (leave the line out instead)");
            continue;
        }
        if (!texts.emplace(key, stored).second) {
            error("key " + KeyText(key) + " is given twice");
            continue;
        }
        if (!MarkersMatch(baseText, stored))
            r.warnings.push_back(
                {lineNo,
                 "key " + KeyText(key) + ": the format markers differ from the base text, which is shown instead"});
    }
    // The base file's order, so that the same source always gives the same file.
    std::vector<std::pair<uint32_t, std::string>> ordered;
    ordered.reserve(texts.size());
    for (const LangEntry& e : base.entries()) {
        auto it = texts.find(e.key);
        if (it == texts.end()) continue;
        ordered.emplace_back(e.key, std::move(it->second));
        texts.erase(it);
    }
    r.table = LangTable::Build(ordered);
    return r;
}

std::string WriteLanguageSource(const LangTable& base, const LangTable& language, const platform::CodePage& cp) {
    std::string out =
        "# KEY<TAB>TEXT, one translation a line; \\n is a line feed, \\t the TAB before a shortcut, \\\\ a\n"
        "# backslash. Keep the format markers (%1, %d ...) and the & of the menu letters.\n";
    std::set<uint32_t> seen;
    for (const LangEntry& e : base.entries()) {
        if (!seen.insert(e.key).second) continue;
        const char* translated = language.Lookup(e.key);
        out += "\n# " + SourceOf(base.textAt(e), cp) + "\n";
        out += KeyText(e.key) + "\t" + SourceOf(translated ? translated : base.textAt(e), cp) + "\n";
    }
    return out;
}

LanguageCheck CheckLanguage(const LangTable& language, const LangTable& base) {
    LanguageCheck c;
    std::set<uint32_t> seen;
    for (const LangEntry& e : base.entries()) {
        if (!seen.insert(e.key).second) continue;
        ++c.baseCount;
        const char* t = language.Lookup(e.key);
        if (!t) {
            c.missing.push_back(e.key);
            continue;
        }
        ++c.translated;
        if (!MarkersMatch(base.textAt(e), t)) c.markerMismatch.push_back(e.key);
    }
    std::set<uint32_t> own;
    for (const LangEntry& e : language.entries())
        if (own.insert(e.key).second && !base.Lookup(e.key)) c.notInBase.push_back(e.key);
    return c;
}

}  // namespace i18n

#include "i18n/format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace i18n {

namespace {

// Beyond this a width or precision of a translated pattern only wastes memory.
constexpr int kMaxWidth = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int64_t FormatArg::integer() const {
    switch (kind_) {
        case Kind::Int: return i_;
        case Kind::Real: return int64_t(d_);
        default: return std::strtoll(std::string(s_).c_str(), nullptr, 10);
    }
}

double FormatArg::real() const {
    switch (kind_) {
        case Kind::Int: return double(i_);
        case Kind::Real: return d_;
        default: return std::strtod(std::string(s_).c_str(), nullptr);
    }
}

std::string FormatArg::text() const {
    switch (kind_) {
        case Kind::Int: return std::to_string(i_);
        case Kind::Real: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%g", d_);
            return buf;
        }
        default: return std::string(s_);
    }
}

FormatMarker MarkerAt(std::string_view text, size_t at) {
    FormatMarker m;
    if (at + 1 >= text.size() || text[at] != '%') return m;
    if (text[at + 1] == '%') {
        m.length = 2;
        m.percent = true;
        return m;
    }
    size_t j = at + 1;
    while (j < text.size() && std::strchr("-+ #0", text[j])) ++j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j < text.size() && text[j] == '.') {
        ++j;
        while (j < text.size() && IsDigit(text[j])) ++j;
    }
    while (j < text.size() && std::strchr("hlLqjzt", text[j])) ++j;
    if (j < text.size() && text[j] != '\0' && std::strchr("diouxXeEfFgGaAcspn", text[j])) {
        m.length = j + 1 - at;
        m.conversion = text[j];
    } else if (text[at + 1] >= '1' && text[at + 1] <= '9') {
        m.length = 2;
        m.positional = text[at + 1] - '0';
    }
    return m;
}

namespace {

// One printf conversion with a value of ours: the flags, width and precision are taken over
// (within bounds), the length modifier is ours, so the value's type always fits.
std::string Convert(std::string_view marker, const FormatArg& arg) {
    std::string conversion = "%";
    size_t i = 1;
    while (i < marker.size() && std::strchr("-+ #0", marker[i])) conversion += marker[i++];
    auto number = [&](std::string& out) {
        int n = 0;
        bool any = false;
        while (i < marker.size() && IsDigit(marker[i])) {
            n = std::min(n * 10 + (marker[i++] - '0'), kMaxWidth);
            any = true;
        }
        if (any) out += std::to_string(n);
    };
    number(conversion);
    if (i < marker.size() && marker[i] == '.') {
        conversion += marker[i++];
        number(conversion);
    }
    const char c = marker.back();
    char buf[256];
    switch (c) {
        case 'd':
        case 'i':
            conversion += "lld";
            std::snprintf(buf, sizeof buf, conversion.c_str(), static_cast<long long>(arg.integer()));
            return buf;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            conversion += "ll";
            conversion += c;
            std::snprintf(buf, sizeof buf, conversion.c_str(), static_cast<unsigned long long>(arg.integer()));
            return buf;
        case 'c': {
            std::string one = arg.kind() == FormatArg::Kind::Text ? arg.text().substr(0, 1)
                                                                  : std::string(1, char(arg.integer() & 0xFF));
            conversion += 's';
            std::snprintf(buf, sizeof buf, conversion.c_str(), one.c_str());
            return buf;
        }
        case 's': {
            std::string s = arg.text();
            // Without width or precision the text goes in whole, whatever its length.
            if (conversion == "%") return s;
            conversion += 's';
            int n = std::snprintf(nullptr, 0, conversion.c_str(), s.c_str());
            std::string out(size_t(std::max(n, 0)), '\0');
            std::snprintf(out.data(), out.size() + 1, conversion.c_str(), s.c_str());
            return out;
        }
        case 'n': return {};
        case 'p': return std::string(marker);
        default:
            conversion += c;
            std::snprintf(buf, sizeof buf, conversion.c_str(), arg.real());
            return buf;
    }
}

}  // namespace

std::string Format(std::string_view pattern, const FormatArg* args, size_t count) {
    std::string out;
    out.reserve(pattern.size() + 32);
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        FormatMarker m = MarkerAt(pattern, i);
        if (m.length == 0) {
            out += '%';
            continue;
        }
        std::string_view marker = pattern.substr(i, m.length);
        if (m.percent) {
            out += '%';
        } else if (m.positional) {
            if (size_t(m.positional) <= count) out += args[m.positional - 1].text();
            else out += marker;
        } else if (m.conversion == 'n') {
            // Never a write through the pattern.
        } else if (next < count) {
            out += Convert(marker, args[next++]);
        } else {
            out += marker;
        }
        i += m.length - 1;
    }
    return out;
}

}  // namespace i18n

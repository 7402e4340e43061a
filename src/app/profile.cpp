#include "app/profile.h"

#include <cstdio>

#include "platform/files.h"

namespace app {

namespace {

std::string_view trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Profile::Profile(std::string path) { open(std::move(path)); }

void Profile::open(std::string path) {
    std::lock_guard lock(m_);
    path_ = std::move(path);
    lines_.clear();
    eol_ = "\n";
    std::string text;
    if (platform::ReadFile(path_, text)) parse(text);
}

void Profile::parse(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) eol_ = "\r\n";
    size_t pos = 0;
    std::string current;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view raw = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        Line line;
        line.raw = std::string(raw);
        std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            line.isSection = true;
            line.section =
                std::string(trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            current = line.section;
        } else if (!t.empty() && t.front() != ';') {
            size_t eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.key = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        line.section = line.isSection ? line.section : current;
        lines_.push_back(std::move(line));
    }
}

int Profile::findSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && platform::EqualsNoCase(lines_[i].section, section)) return int(i);
    return -1;
}

int Profile::sectionEnd(int header) const {
    size_t i = size_t(header) + 1;
    while (i < lines_.size() && !lines_[i].isSection) ++i;
    return int(i);
}

int Profile::findKey(std::string_view section, std::string_view key) const {
    int h = findSection(section);
    if (h < 0) return -1;
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (!lines_[size_t(i)].key.empty() && platform::EqualsNoCase(lines_[size_t(i)].key, key)) return i;
    return -1;
}

std::string Profile::getString(std::string_view section, std::string_view key, std::string_view def) const {
    std::lock_guard lock(m_);
    int i = findKey(section, key);
    if (i < 0) return std::string(def);
    std::string v = lines_[size_t(i)].value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

int Profile::ParseInt(std::string_view s, int def) {
    if (s.empty()) return def;
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    bool neg = false;
    while (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') neg = !neg;
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < s.size() && s[i] == '0') {
        char p = s[i + 1];
        if (p == 'x' || p == 'X') base = 16;
        else if (p == 'o' || p == 'O') base = 8;
        else if (p == 'b' || p == 'B') base = 2;
        if (base != 10) i += 2;
    }
    uint32_t v = 0;
    for (; i < s.size(); ++i) {
        int d = hexDigit(s[i]);
        if (d < 0 || unsigned(d) >= base) break;
        v = v * base + unsigned(d);  // wraps like the 32-bit original
    }
    return neg ? int(0u - v) : int(v);
}

int Profile::getInt(std::string_view section, std::string_view key, int def) const {
    std::string v;
    {
        std::lock_guard lock(m_);
        int i = findKey(section, key);
        if (i < 0) return def;
        v = lines_[size_t(i)].value;
    }
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return ParseInt(v, def);
}

std::string Profile::EncodeStruct(const void* data, size_t size) {
    static const char* hex = "0123456789ABCDEF";
    auto b = static_cast<const uint8_t*>(data);
    std::string s;
    s.reserve(size * 2 + 2);
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        s += hex[b[i] >> 4];
        s += hex[b[i] & 15];
        sum = uint8_t(sum + b[i]);
    }
    s += hex[sum >> 4];
    s += hex[sum & 15];
    return s;
}

bool Profile::DecodeStruct(std::string_view text, void* data, size_t size) {
    if (text.size() != size * 2 + 2) return false;
    std::vector<uint8_t> buf(size + 1);
    for (size_t i = 0; i <= size; ++i) {
        int hi = hexDigit(text[2 * i]), lo = hexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        buf[i] = uint8_t(hi * 16 + lo);
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = uint8_t(sum + buf[i]);
    if (sum != buf[size]) return false;
    if (size) std::copy(buf.begin(), buf.begin() + long(size), static_cast<uint8_t*>(data));
    return true;
}

bool Profile::getStruct(std::string_view section, std::string_view key, void* data, size_t size) const {
    std::lock_guard lock(m_);
    int i = findKey(section, key);
    if (i < 0) return false;
    return DecodeStruct(lines_[size_t(i)].value, data, size);
}

bool Profile::hasKey(std::string_view section, std::string_view key) const {
    std::lock_guard lock(m_);
    return findKey(section, key) >= 0;
}

std::vector<std::string> Profile::keys(std::string_view section) const {
    std::lock_guard lock(m_);
    std::vector<std::string> out;
    int h = findSection(section);
    if (h < 0) return out;
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (!lines_[size_t(i)].key.empty()) out.push_back(lines_[size_t(i)].key);
    return out;
}

std::vector<std::string> Profile::sections() const {
    std::lock_guard lock(m_);
    std::vector<std::string> out;
    for (auto& l : lines_)
        if (l.isSection) out.push_back(l.section);
    return out;
}

bool Profile::putString(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(m_);
    int i = findKey(section, key);
    if (i >= 0) {
        Line& l = lines_[size_t(i)];
        if (l.value == value) return true;
        l.value = std::string(value);
        l.raw.clear();
        return save();
    }
    Line line;
    line.key = std::string(key);
    line.value = std::string(value);
    line.section = std::string(section);
    int h = findSection(section);
    if (h < 0) {
        // A new section goes at the end of the file, after a blank line.
        if (!lines_.empty() && !trim(lines_.back().raw).empty()) lines_.push_back(Line{});
        Line header;
        header.isSection = true;
        header.section = std::string(section);
        header.raw = "[" + std::string(section) + "]";
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(line));
    } else {
        // After the section's last key, before its trailing blank lines and comments.
        int end = sectionEnd(h);
        int at = h + 1;
        for (int j = h + 1; j < end; ++j)
            if (!lines_[size_t(j)].key.empty()) at = j + 1;
        lines_.insert(lines_.begin() + at, std::move(line));
    }
    return save();
}

bool Profile::putInt(std::string_view section, std::string_view key, int value) {
    return putString(section, key, std::to_string(value));
}

bool Profile::putStruct(std::string_view section, std::string_view key, const void* data, size_t size) {
    return putString(section, key, EncodeStruct(data, size));
}

bool Profile::removeKey(std::string_view section, std::string_view key) {
    std::lock_guard lock(m_);
    int i = findKey(section, key);
    if (i < 0) return true;
    lines_.erase(lines_.begin() + i);
    return save();
}

bool Profile::removeSection(std::string_view section) {
    std::lock_guard lock(m_);
    int h = findSection(section);
    if (h < 0) return true;
    lines_.erase(lines_.begin() + h, lines_.begin() + sectionEnd(h));
    return save();
}

std::string Profile::text() const {
    std::lock_guard lock(m_);
    return render();
}

std::string Profile::render() const {
    std::string out;
    for (auto& l : lines_) {
        if (!l.isSection && !l.key.empty() && l.raw.empty()) out += l.key + "=" + l.value;
        else out += l.raw;
        out += eol_;
    }
    return out;
}

bool Profile::save() {
    if (batch_ > 0) {
        dirty_ = true;
        return true;
    }
    dirty_ = false;
    if (path_.empty()) return false;
    return platform::WriteFileAtomic(path_, render());
}

void Profile::beginBatch() {
    std::lock_guard lock(m_);
    ++batch_;
}

bool Profile::endBatch() {
    std::lock_guard lock(m_);
    if (batch_ > 0 && --batch_ == 0 && dirty_) return save();
    return true;
}

}  // namespace app

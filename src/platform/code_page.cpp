#include "platform/code_page.h"

#include <iconv.h>

#include <cstring>

#include "platform/bytes.h"

namespace platform {

namespace {

bool buildTable(int number, std::array<char32_t, 256>& table) {
    std::string name = "CP" + std::to_string(number);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == iconv_t(-1)) return false;
    for (int c = 0; c < 256; ++c) {
        char in[1] = {char(c)};
        char out[8] = {};
        char* ip = in;
        char* op = out;
        size_t il = 1, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || ol != 4) {
            table[c] = 0;
        } else {
            table[c] = char32_t(ByteReader(out, 4).u32());  // UTF-32LE
        }
    }
    iconv_close(cd);
    return true;
}

}  // namespace

CodePage::CodePage(int number) : number_(number) {
    valid_ = buildTable(number, toUni_);
    if (!valid_) {
        buildTable(1252, toUni_);
    }
    // Control characters and unassigned codes map to themselves so that nothing is lost.
    for (int c = 0; c < 256; ++c) {
        if (toUni_[c] == 0 && c != 0) toUni_[c] = c < 0x80 ? char32_t(c) : 0;
        if (toUni_[c] != 0 || c == 0) fromUni_.emplace(toUni_[c], uint8_t(c));
    }
}

int CodePage::fromUnicode(char32_t cp) const {
    auto it = fromUni_.find(cp);
    return it == fromUni_.end() ? -1 : it->second;
}

std::string CodePage::toUtf8(std::string_view text) const {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        char32_t u = toUni_[c];
        AppendUtf8(out, u ? u : char32_t(0xFFFD));
    }
    return out;
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = NextUtf8(utf8, pos);
        int c = fromUnicode(cp);
        out.push_back(c < 0 ? '?' : char(c));
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

char32_t NextUtf8(std::string_view s, size_t& pos) {
    unsigned char c = uint8_t(s[pos++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size() || (uint8_t(s[pos]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (uint8_t(s[pos++]) & 0x3F);
    }
    return cp;
}

}  // namespace platform

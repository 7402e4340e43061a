// filter.dat as it comes from disk, and message texts through the filter it gives: any bytes give
// words of 1 to 127 lower-case characters that read back the same once written, and a filtered
// text is never longer than the message and keeps every separator in its place when masking.
#include <cstdint>
#include <string_view>

#include "sms/chat_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first half is the file, the rest a message.
    const std::string_view file = bytes.substr(0, size / 2), text = bytes.substr(size / 2);
    const std::vector<std::string> words = sms::CChatFilter::ParseFile(file);
    for (const std::string& w : words) {
        if (w.empty() || w.size() > sms::kFilterWordMax || sms::ChatLowerText(w) != w) __builtin_trap();
    }
    if (sms::CChatFilter::ParseFile(sms::CChatFilter::FormatFile(words)) != words) __builtin_trap();
    sms::CChatFilter f;
    f.setWords(words);
    for (int mode = 0; mode < 4; ++mode) {
        f.partial = mode & 1;
        f.deleteWord = mode & 2;
        const std::string out = f.Apply(text);
        if (out.size() > text.size()) __builtin_trap();
        if (!f.deleteWord) {
            const std::string_view whole = text.substr(0, text.find('\0'));
            if (out.size() != whole.size()) __builtin_trap();
            for (size_t i = 0; i < out.size(); ++i)
                if (out[i] != whole[i] && (out[i] != '*' || !sms::IsChatAlnum(uint8_t(whole[i])))) __builtin_trap();
        }
    }
    return 0;
}

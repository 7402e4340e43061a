#include "air/captions_file.h"

#include "pages/file_result.h"
#include "platform/files.h"

namespace air {

namespace {

constexpr std::string_view kSeparator = "---";

// "---" followed by blanks only (none included).
bool IsDashLine(std::string_view line) {
    if (line.substr(0, 3) != kSeparator) return false;
    return line.find_first_not_of(' ', 3) == std::string_view::npos;
}

}  // namespace

CaptionList ParseCaptions(std::string_view text) {
    CaptionList out;
    bool inside = false;  // a separator has been seen
    std::string caption;
    bool hasLines = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = last ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == kSeparator) {
            if (inside && !caption.empty()) out.push_back(std::move(caption));
            caption.clear();
            hasLines = false;
            inside = true;
            continue;
        }
        if (!inside) continue;
        if (hasLines) caption += "\r\n";
        hasLines = true;
        if (IsDashLine(line)) caption.append(line.substr(0, line.size() - 1));  // the blank written to keep it
        else caption.append(line);
    }
    // What follows the last separator is no caption.
    return out;
}

std::string FormatCaptions(const CaptionList& captions) {
    std::string out;
    for (const std::string& c : captions) {
        out += "---\r\n";
        std::string_view rest = c;
        for (;;) {
            const size_t end = rest.find("\r\n");
            const std::string_view line = rest.substr(0, end);
            out.append(line);
            if (IsDashLine(line)) out += ' ';
            out += "\r\n";
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 2);
        }
    }
    out += "---\r\n";
    return out;
}

int ReadCaptionsFile(const std::string& path, CaptionList& out) {
    std::string text;
    if (path.empty() || !platform::ReadFile(platform::ResolvePath(path), text)) return pages::FILE_OPEN_ERROR;
    out = ParseCaptions(text);
    return pages::FILE_OK;
}

int WriteCaptionsFile(const std::string& path, const CaptionList& captions) {
    const std::string text = FormatCaptions(captions);
    return platform::WriteFileAtomic(path, std::string_view(text)) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

std::string CaptionText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace air

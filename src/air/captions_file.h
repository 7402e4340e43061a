// The captions' titles file: plain 8-bit text, each caption preceded by a line "---" and the
// file closed by one. A caption's lines are joined by CR LF inside the program.
//
// Written: "---" CR LF, the caption, CR LF for every caption, then "---" CR LF. A caption line
// that is "---" (with any number of blanks after it) gets one blank more, so that it does not
// split its caption when the file is read back; reading takes that blank off again.
// Read: lines end at LF (a CR before it is dropped, so LF-only files read the same); lines before
// the first "---" and after the last one are not used; an empty caption is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace air {

using CaptionList = std::vector<std::string>;

// Any bytes: NUL, lone CR, very long lines and a missing last line end are taken as they come.
CaptionList ParseCaptions(std::string_view text);
std::string FormatCaptions(const CaptionList& captions);

// A file result code: 257 when the file cannot be read. An empty list is no error here.
int ReadCaptionsFile(const std::string& path, CaptionList& out);
// Written atomically; 258 when it cannot be written.
int WriteCaptionsFile(const std::string& path, const CaptionList& captions);

// Line breaks of any kind (CR LF, LF, lone CR) as CR LF: a text box's text as a caption.
std::string CaptionText(std::string_view text);

}  // namespace air

// Names that reach the program from the control interface: a file given relative to the data
// root ("Sequences/Evening.zxs", "Titr\News\Headline.zxs") is found below the root only. An
// absolute name, a ".." step or a link that leads out of the root is refused, so that no request
// can name a file elsewhere on the machine.
#pragma once

#include <string>
#include <string_view>

namespace control {

enum PathResult : int {
    PATH_OK = 0,
    PATH_BAD = 1,      // empty, too long, absolute, "..", a control character, or leading out
    PATH_MISSING = 2,  // below the root, but no such file
};

// The longest name a request may give.
constexpr size_t kMaxDataName = 1024;

// Resolves name below root (an existing folder). On PATH_OK, out is the file's path as the program
// opens it (root + the name's components, letter case as found on disk). why says what was wrong.
// Only regular files resolve; a folder is PATH_MISSING.
PathResult ResolveDataPath(const std::string& root, std::string_view name, std::string& out, std::string& why);

// The name below root of a path that lies there ("Titr/News/Headline.zxs"), '/' between the
// components; the path itself when it does not.
std::string NameBelowRoot(const std::string& root, const std::string& path);

// True when path lies inside folder (both resolved through their links), or is the folder.
bool IsInside(const std::string& folder, const std::string& path);

}  // namespace control

#include "control/data_paths.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/files.h"

namespace control {

namespace {

// The deepest part of path that exists, resolved ("" when not even "/" does).
std::string RealExistingPart(std::string path) {
    for (;;) {
        std::string real = platform::RealPath(path);
        if (!real.empty()) return real;
        while (!path.empty() && path.back() == '/') path.pop_back();
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos) return platform::RealPath(".");
        path.resize(slash == 0 ? 1 : slash);
    }
}

bool Within(const std::string& realFolder, const std::string& realPath) {
    if (realFolder.empty() || realPath.empty()) return false;
    if (realPath == realFolder) return true;
    const std::string prefix = realFolder.back() == '/' ? realFolder : realFolder + "/";
    return realPath.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool IsInside(const std::string& folder, const std::string& path) {
    return Within(platform::RealPath(folder), RealExistingPart(path));
}

PathResult ResolveDataPath(const std::string& root, std::string_view name, std::string& out, std::string& why) {
    out.clear();
    if (name.empty()) {
        why = "no file named";
        return PATH_BAD;
    }
    if (name.size() > kMaxDataName) {
        why = "the name is longer than " + std::to_string(kMaxDataName) + " bytes";
        return PATH_BAD;
    }
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) {
            why = "the name holds a control character";
            return PATH_BAD;
        }
    const std::string n = platform::NormaliseDataName(name);
    // "/etc/passwd", "C:/x", "//host/share": names are given below the data root only.
    if (n[0] == '/' || (n.size() >= 2 && n[1] == ':')) {
        why = "names are given relative to the data root, not as absolute paths";
        return PATH_BAD;
    }
    std::vector<std::string> parts;
    for (size_t i = 0; i <= n.size();) {
        size_t j = n.find('/', i);
        if (j == std::string::npos) j = n.size();
        const std::string part = n.substr(i, j - i);
        if (part == "..") {
            why = "\"..\" may not be used in a name";
            return PATH_BAD;
        }
        if (!part.empty() && part != ".") parts.push_back(part);
        i = j + 1;
    }
    if (parts.empty()) {
        why = "no file named";
        return PATH_BAD;
    }
    std::string joined = root;
    if (!joined.empty() && joined.back() != '/') joined += '/';
    for (size_t i = 0; i < parts.size(); ++i) joined += (i ? "/" : "") + parts[i];
    const std::string found = platform::ResolvePath(joined);
    // The file, or as much of its folders as exists, must lie inside the root once every link is
    // followed: a link out of the root is refused whether or not its target exists.
    const std::string realRoot = platform::RealPath(root);
    if (realRoot.empty()) {
        why = "the data root does not exist";
        return PATH_MISSING;
    }
    if (!Within(realRoot, RealExistingPart(found))) {
        why = "the name leads out of the data root";
        return PATH_BAD;
    }
    struct stat st {};
    if (::stat(found.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "no such file below the data root";
        return PATH_MISSING;
    }
    out = found;
    return PATH_OK;
}

std::string NameBelowRoot(const std::string& root, const std::string& path) {
    std::string r = root;
    if (!r.empty() && r.back() != '/') r += '/';
    if (!r.empty() && path.size() > r.size() && path.compare(0, r.size(), r) == 0) return path.substr(r.size());
    return path;
}

}  // namespace control

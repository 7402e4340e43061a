// Names of files given to the control interface, resolved below a data root that holds links in
// and out of it: whatever resolves is a regular file inside the root once every link is followed.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "control/data_paths.h"

namespace {

std::string gBase;

void RemoveTree() {
    std::error_code ec;
    std::filesystem::remove_all(gBase, ec);
}

std::string MakeTree() {
    char tmpl[] = "/tmp/zx-fuzz-paths-XXXXXX";
    const char* base = ::mkdtemp(tmpl);
    if (!base) __builtin_trap();
    const std::string b = base;
    gBase = b;
    std::atexit(RemoveTree);
    const std::string root = b + "/Data";
    for (const std::string& d : {root, root + "/Sequences", root + "/Sequences/News", root + "/Titr", b + "/Out"})
        ::mkdir(d.c_str(), 0700);
    for (const std::string& f : {root + "/Sequences/News/Evening.zxs", root + "/Titr/Name.zxs", b + "/Out/secret.zxs"})
        if (FILE* fp = std::fopen(f.c_str(), "w")) std::fclose(fp);
    if (::symlink((b + "/Out").c_str(), (root + "/Sequences/Out").c_str()) != 0 ||
        ::symlink((root + "/Sequences/News").c_str(), (root + "/Titr/Alias").c_str()) != 0 ||
        ::symlink((b + "/Out/secret.zxs").c_str(), (root + "/Titr/secret.zxs").c_str()) != 0)
        __builtin_trap();
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = MakeTree();
    static const std::string realRoot = [] {
        char* r = ::realpath(root.c_str(), nullptr);
        std::string s = r ? r : "";
        std::free(r);
        return s;
    }();
    const std::string name(reinterpret_cast<const char*>(data), size);
    std::string out, why;
    const control::PathResult r = control::ResolveDataPath(root, name, out, why);
    if (r != control::PATH_OK) {
        if (!out.empty() || why.empty()) __builtin_trap();
        return 0;
    }
    char* real = ::realpath(out.c_str(), nullptr);
    if (!real) __builtin_trap();
    const std::string rp = real;
    std::free(real);
    if (rp.compare(0, realRoot.size() + 1, realRoot + "/") != 0) __builtin_trap();
    struct stat st {};
    if (::stat(out.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) __builtin_trap();
    if (control::NameBelowRoot(root, out).find("..") != std::string::npos && name.find("..") == std::string::npos)
        __builtin_trap();
    return 0;
}

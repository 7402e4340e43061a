// The layer check: every #include of the tree against the layers of the build.
//
// Usage: zx_check_layers LAYERS_FILE
//
// The layers file (written by CMake, see cmake/ZentrixTargets.cmake) has one record a line, its
// fields separated by tabs and lists by commas:
//   root   the source folder the paths are relative to (relative: to the layers file's folder)
//   scan   folders whose C++ files must each belong to a layer
//   skip   folders left out (not built by this configure, or test data)
//   layer  name, include prefix ("-" for none), 1 when it may include Qt, paths, libraries below it
// A file belongs to the layer naming the longest path that holds it. The check fails on an
// include of a library ("<prefix>/...") that is neither the layer itself nor below it (the closure
// of its libraries), on a Qt include in a layer that neither may include Qt nor builds on one that
// may, on an include that climbs out of its folder ("../"), on a file of no layer, and on layer
// lists that are not a hierarchy (unknown names, cycles). Plain C++: it runs in every build.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Layer {
    std::string name;
    std::string prefix;  // empty: not a library
    bool qt = false;
    std::vector<std::string> paths;
    std::vector<std::string> deps;
    std::set<std::string> below;  // every library it builds on, directly or not
    bool mayUseQt = false;
};

struct Checker {
    fs::path root;
    std::vector<std::string> scan, skip;
    std::vector<Layer> layers;
    std::map<std::string, size_t> byName, byPrefix;
    std::vector<std::string> faults;

    void fault(const std::string& text) { faults.push_back(text); }

    static std::vector<std::string> split(const std::string& s, char sep) {
        std::vector<std::string> out;
        std::string item;
        std::istringstream in(s);
        while (std::getline(in, item, sep))
            if (!item.empty()) out.push_back(item);
        return out;
    }

    bool read(const fs::path& file) {
        std::ifstream in(file);
        if (!in) {
            std::fprintf(stderr, "layers: cannot read %s\n", file.c_str());
            return false;
        }
        std::string line;
        int n = 0;
        while (std::getline(in, line)) {
            ++n;
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> f;
            std::string field;
            std::istringstream fields(line);
            while (std::getline(fields, field, '\t')) f.push_back(field);
            if (f[0] == "root" && f.size() == 2) {
                root = fs::path(f[1]).is_absolute() ? fs::path(f[1]) : file.parent_path() / f[1];
            } else if (f[0] == "scan" && f.size() <= 2) {
                scan = split(f.size() == 2 ? f[1] : "", ',');
            } else if (f[0] == "skip" && f.size() <= 2) {
                skip = split(f.size() == 2 ? f[1] : "", ',');
            } else if (f[0] == "layer" && f.size() >= 5 && f.size() <= 6) {
                Layer l;
                l.name = f[1];
                l.prefix = f[2] == "-" ? "" : f[2];
                l.qt = f[3] == "1";
                l.paths = split(f[4], ',');
                if (f.size() == 6) l.deps = split(f[5], ',');
                if (byName.count(l.name)) {
                    fault("layer " + l.name + ": declared twice");
                    continue;
                }
                if (!l.prefix.empty() && byPrefix.count(l.prefix))
                    fault("layer " + l.name + ": its headers' folder \"" + l.prefix + "\" is also " +
                          layers[byPrefix[l.prefix]].name + "'s");
                byName[l.name] = layers.size();
                if (!l.prefix.empty()) byPrefix.emplace(l.prefix, layers.size());
                layers.push_back(std::move(l));
            } else {
                std::fprintf(stderr, "layers: %s:%d: not a layer record\n", file.c_str(), n);
                return false;
            }
        }
        if (root.empty()) {
            std::fprintf(stderr, "layers: %s names no root\n", file.c_str());
            return false;
        }
        return true;
    }

    // Fills below and mayUseQt of layer i; state 1 marks the layers on the current path.
    void close(size_t i, std::vector<int>& state) {
        if (state[i] == 2) return;
        Layer& l = layers[i];
        state[i] = 1;
        l.mayUseQt = l.qt;
        for (const std::string& d : l.deps) {
            auto it = byName.find(d);
            if (it == byName.end()) {
                fault("layer " + l.name + ": builds on \"" + d + "\", which is no layer");
                continue;
            }
            const size_t j = it->second;
            if (layers[j].prefix.empty()) {
                fault("layer " + l.name + ": builds on " + d + ", which is not a library");
                continue;
            }
            if (state[j] == 1) {
                fault("layer " + l.name + ": builds on " + d + ", which builds on " + l.name + " (a cycle)");
                continue;
            }
            close(j, state);
            l.below.insert(d);
            l.below.insert(layers[j].below.begin(), layers[j].below.end());
            l.mayUseQt = l.mayUseQt || layers[j].mayUseQt;
        }
        state[i] = 2;
    }

    static bool under(const std::string& path, const std::string& folder) {
        return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                                  path[folder.size()] == '/');
    }

    // The layer of a file: the one naming the longest path that holds it (-1: none).
    int owner(const std::string& file) {
        int best = -1;
        size_t bestLength = 0;
        for (size_t i = 0; i < layers.size(); ++i)
            for (const std::string& p : layers[i].paths)
                if (under(file, p) && (best < 0 || p.size() > bestLength)) {
                    best = int(i);
                    bestLength = p.size();
                }
        return best;
    }

    std::string listBelow(const Layer& l) {
        if (l.below.empty()) return "nothing";
        std::string out;
        for (const std::string& b : l.below) out += (out.empty() ? "" : ", ") + b;
        return out;
    }

    void checkFile(const std::string& rel, const Layer& l) {
        std::ifstream in(root / rel);
        std::string line;
        int n = 0;
        while (std::getline(in, line)) {
            ++n;
            size_t k = line.find_first_not_of(" \t");
            if (k == std::string::npos || line[k] != '#') continue;
            k = line.find_first_not_of(" \t", k + 1);
            if (k == std::string::npos || line.compare(k, 7, "include") != 0) continue;
            k = line.find_first_not_of(" \t", k + 7);
            if (k == std::string::npos || (line[k] != '"' && line[k] != '<')) continue;
            const char closer = line[k] == '"' ? '"' : '>';
            const size_t end = line.find(closer, k + 1);
            if (end == std::string::npos) continue;
            const std::string path = line.substr(k + 1, end - k - 1);
            const std::string shown = line.substr(k, end - k + 1);
            const std::string where = rel + ":" + std::to_string(n) + ": includes " + shown;
            if (path.compare(0, 3, "../") == 0 || path.find("/../") != std::string::npos) {
                fault(where + ", which climbs out of its folder (include it by its library's path)");
                continue;
            }
            if (!path.empty() && path[0] == 'Q') {
                if (!l.mayUseQt)
                    fault(where + ", but " + l.name +
                          " may not use Qt (ui, what builds on it and the layers declared QT may)");
                continue;
            }
            const size_t slash = path.find('/');
            if (slash == std::string::npos) continue;
            auto lib = byPrefix.find(path.substr(0, slash));
            if (lib == byPrefix.end()) continue;
            const std::string& name = layers[lib->second].name;
            if (name != l.name && !l.below.count(name))
                fault(where + ", but " + l.name + " does not build on " + name + " (it builds on " + listBelow(l) +
                      ")");
        }
    }

    static bool isSource(const fs::path& p) {
        const std::string e = p.extension().string();
        return e == ".cpp" || e == ".h" || e == ".cc" || e == ".hpp" || e == ".c";
    }

    int run() {
        std::vector<int> state(layers.size(), 0);
        for (size_t i = 0; i < layers.size(); ++i) close(i, state);

        std::vector<std::string> files;
        for (const std::string& s : scan) {
            std::error_code ec;
            if (!fs::is_directory(root / s, ec)) continue;
            for (auto it = fs::recursive_directory_iterator(root / s, ec); it != fs::recursive_directory_iterator();
                 it.increment(ec)) {
                if (ec) break;
                const std::string rel = it->path().lexically_relative(root).generic_string();
                const bool skipped =
                    std::any_of(skip.begin(), skip.end(), [&](const std::string& k) { return under(rel, k); });
                if (skipped) {
                    if (it->is_directory()) it.disable_recursion_pending();
                    continue;
                }
                if (it->is_regular_file() && isSource(it->path())) files.push_back(rel);
            }
        }
        std::sort(files.begin(), files.end());
        for (const std::string& f : files) {
            const int o = owner(f);
            if (o >= 0) {
                checkFile(f, layers[size_t(o)]);
                continue;
            }
            fault(f + ": belongs to no layer (declare its library with zx_library, its program with zx_uses)");
        }

        for (const std::string& f : faults) std::fprintf(stderr, "%s\n", f.c_str());
        if (!faults.empty()) {
            std::fprintf(stderr, "layers: %zu fault%s\n", faults.size(), faults.size() == 1 ? "" : "s");
            return 1;
        }
        std::printf("layers: %zu files of %zu layers keep to their layers\n", files.size(), layers.size());
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zx_check_layers LAYERS_FILE\n");
        return 2;
    }
    Checker c;
    if (!c.read(argv[1])) return 2;
    return c.run();
}

#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

template <class Buf>
bool readAll(const std::string& path, Buf& out) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(size_t(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    ::close(fd);
    return true;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

}  // namespace

bool WriteAll(int fd, const void* data, size_t size) {
    auto p = static_cast<const uint8_t*>(data);
    while (size) {
        const ssize_t w = ::write(fd, p, size);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        size -= size_t(w);
    }
    return true;
}

bool AppendToFile(const std::string& path, std::string_view data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::flock(fd, LOCK_EX);
    const bool ok = WriteAll(fd, data.data(), data.size());
    ::flock(fd, LOCK_UN);
    return (::close(fd) == 0) && ok;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& out) { return readAll(path, out); }
bool ReadFile(const std::string& path, std::string& out) { return readAll(path, out); }

namespace {

// Temporaries are named "NAME.tmp<PID>_<N>". One left by a save that was killed stays until the
// next save of the same file removes it, once its process has gone.
void removeStaleTemporaries(const std::string& dir, const std::string& base) {
    const std::string prefix = base + ".tmp";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const pid_t self = ::getpid();
    while (dirent* e = ::readdir(d)) {
        std::string_view name(e->d_name);
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        std::string_view rest = name.substr(prefix.size());
        const size_t us = rest.find('_');
        if (us == 0 || us == std::string_view::npos || us > 9) continue;
        long pid = 0;
        bool digits = true;
        for (char c : rest.substr(0, us)) {
            if (c < '0' || c > '9') digits = false;
            pid = pid * 10 + (c - '0');
        }
        for (char c : rest.substr(us + 1)) digits = digits && c >= '0' && c <= '9';
        if (!digits || rest.size() == us + 1 || pid <= 0 || pid == self) continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

bool writeAndSync(int fd, const void* data, size_t size) { return WriteAll(fd, data, size) && ::fsync(fd) == 0; }

// Keeps the permissions of a file we replace.
void keepMode(int fd, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const void* data, size_t size) {
    static std::atomic<unsigned> serial{0};
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    removeStaleTemporaries(dir, base);
    const std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(serial++);

    // An unnamed file in the target's folder: a crash while it is written leaves nothing behind.
    // It gets a name only for the moment between linking it in and the rename.
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        bool ok = writeAndSync(fd, data, size);
        if (ok) {
            keepMode(fd, path);
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            ok = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0;
            if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
                ::unlink(tmp.c_str());
                ok = false;
            }
        }
        ok = (::close(fd) == 0) && ok;
        return ok;
    }

    // File systems without unnamed files: a named temporary, removed on failure (and by the next
    // save when this process is killed meanwhile).
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAndSync(fd, data, size);
    if (ok) keepMode(fd, path);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

std::string NormaliseDataName(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

std::string RealPath(const std::string& path, std::string_view otherwise) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return std::string(otherwise);
    std::string out(real);
    std::free(real);
    return out;
}

std::string ResolvePath(std::string_view pathIn) {
    std::string path = NormaliseDataName(pathIn);
    if (path.empty() || FileExists(path) || IsDirectory(path)) return path;

    // Walk the components, keeping each that exists and matching the others case-insensitively.
    std::string result;
    size_t i = 0;
    if (path[0] == '/') {
        result = "/";
        i = 1;
    }
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string comp = path.substr(i, j - i);
        bool last = j >= path.size();
        if (!comp.empty()) {
            std::string candidate = result + comp;
            struct stat st {};
            if (::stat(candidate.c_str(), &st) != 0) {
                std::string dirName = result.empty() ? "." : result;
                std::string found;
                if (DIR* d = ::opendir(dirName.c_str())) {
                    while (dirent* e = ::readdir(d)) {
                        if (EqualsNoCase(e->d_name, comp)) {
                            found = e->d_name;
                            break;
                        }
                    }
                    ::closedir(d);
                }
                if (found.empty()) return path;
                candidate = result + found;
            }
            result = candidate;
            if (!last) result += '/';
        } else if (!last && !result.empty() && result.back() != '/') {
            result += '/';
        }
        i = j + 1;
    }
    return result;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string cur;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!cur.empty() && !IsDirectory(cur)) {
                if (::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
            }
        }
        if (i < path.size()) cur += path[i];
    }
    return IsDirectory(path);
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return int64_t(st.st_size);
}

std::string ExecutableDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    buf[n] = 0;
    return DirectoryOf(buf);
}

std::string RuntimeDir() {
    std::string dir;
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x && IsDirectory(x)) {
        dir = x;
    } else {
        dir = "/tmp/zentrix-" + std::to_string(::getuid());
        ::mkdir(dir.c_str(), 0700);
    }
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string DirectoryOf(std::string_view path) {
    size_t p = path.find_last_of('/');
    if (p == std::string_view::npos) return {};
    return std::string(path.substr(0, p + 1));
}

std::string FileNameOf(std::string_view path) {
    size_t p = path.find_last_of('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtensionOfPath(std::string_view path) {
    std::string name = FileNameOf(path);
    size_t p = name.find_last_of('.');
    if (p == std::string::npos) return {};
    return name.substr(p);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = lowerAscii(c);
    return r;
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

}  // namespace platform

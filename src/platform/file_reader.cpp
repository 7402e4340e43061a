#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {

FileReader::~FileReader() { close(); }

bool FileReader::open(const std::string& path) {
    close();
    reset(0);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        return fail();
    }
    reset(size_t(st.st_size));
    return true;
}

void FileReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool FileReader::readAt(uint8_t* dst, size_t n, size_t offset) {
    while (n) {
        const ssize_t got = ::pread(fd_, dst, n, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        dst += got, n -= size_t(got), offset += size_t(got);
    }
    return true;
}

bool FileReader::refill(size_t n) {
    if (fd_ < 0) return false;
    const size_t at = pos();
    const size_t want = std::min(std::max(n, readAhead_), size() - at);
    if (buf_.size() < want) buf_.resize(want);
    if (!readAt(buf_.data(), want, at)) return false;
    setWindow(buf_.data(), at, want);
    return true;
}

bool FileReader::readInto(void* dst, size_t n) {
    if (n < readAhead_) return ByteReader::readInto(dst, n);
    // A large block goes straight from the file to its place.
    const size_t at = pos();
    if (fd_ < 0 || !readAt(static_cast<uint8_t*>(dst), n, at)) return false;
    return seek(at + n);
}

}  // namespace platform

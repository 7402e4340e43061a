#include "wizards/banner_player.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/log/event_log.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace wizards {

namespace {

// Exactly n bytes at offset; false on an error or a file cut short.
bool ReadAt(int fd, void* dst, size_t n, uint64_t offset) {
    auto* p = static_cast<uint8_t*>(dst);
    while (n > 0) {
        const ssize_t got = ::pread(fd, p, n, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got, n -= size_t(got), offset += uint64_t(got);
    }
    return true;
}

}  // namespace

CBannerPlayer::~CBannerPlayer() { close(); }

int CBannerPlayer::open(const std::string& given) {
    close();
    const std::string path = platform::ResolvePath(given);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return pages::FILE_OPEN_ERROR;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return pages::FILE_OPEN_ERROR;
    }
    uint8_t head[pages::BANNER_HEADER_SIZE];
    pages::BannerHeader h;
    int rc = ReadAt(fd, head, sizeof head, 0) ? pages::CheckBannerFile(head, sizeof head, uint64_t(st.st_size), h)
                                              : pages::FILE_FORMAT_ERROR;
    // The header's size is only trusted once the checks have passed.
    pages::CBitmap32 preview;
    if (rc == pages::FILE_OK) preview.create(h.width, h.height);
    if (rc == pages::FILE_OK && (h.flags & pages::BANNER_HAS_PREVIEW) &&
        !ReadAt(fd, preview.bits(), preview.byteSize(), pages::BANNER_HEADER_SIZE))
        rc = pages::FILE_FORMAT_ERROR;
    if (rc != pages::FILE_OK) {
        ::close(fd);
        LogMessage("CBannerPlayer::Open %s: %d", path.c_str(), rc);
        return rc;
    }
    fd_ = fd;
    path_ = path;
    header_ = h;
    preview_ = std::move(preview);
    thumbnail_.create(360, 288);
    thumbnail_.fillAll(0xFF000000);
    pages::CBitmap32 half(h.width / 2, h.height / 2);
    half.reduce(preview_);
    thumbnail_.blit(half, h.x / 2, h.y / 2, half.width(), half.height(), 0, 0, pages::BLIT_COPY);
    periodMs_ = 100000 / h.rate100;
    loop_ = (h.flags & pages::BANNER_LOOP) != 0;
    rect_ = {h.x, h.y, h.x + h.width, h.y + h.height};
    blockSize_ = size_t(pages::BannerBlockSize(h));
    for (auto& b : buffers_) b = std::make_shared<std::vector<uint8_t>>(blockSize_, 0);
    Rewind();
    return pages::FILE_OK;
}

void CBannerPlayer::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
    header_ = {};
    preview_.clear();
    thumbnail_.clear();
    periodMs_ = 0;
    blockSize_ = 0;
    for (auto& b : buffers_) b.reset();
    delivered_ = 0;
    finished_ = false;
    half_ = 0;
    anyRead_ = false;
}

void CBannerPlayer::Rewind() {
    delivered_ = 0;
    finished_ = false;
    half_ = 0;
}

bool CBannerPlayer::NextFrame() {
    if (fd_ < 0) finished_ = true;
    if (finished_) return true;
    if (delivered_ >= header_.frames) {
        if (!loop_) {
            finished_ = true;
            return true;
        }
        // Back to the first frame, but the halves keep alternating: with an odd number of frames
        // a reset to buffer 0 would load the first frame over the half being shown.
        delivered_ = 0;
    }
    const int other = 1 - half_;
    auto& buf = buffers_[other];
    // Still on its way to the Device: read into a fresh buffer instead.
    if (!buf || buf.use_count() > 1) buf = std::make_shared<std::vector<uint8_t>>(blockSize_, 0);
    const uint64_t at = pages::BannerFramesOffset(header_) + uint64_t(delivered_) * blockSize_;
    if (!ReadAt(fd_, buf->data(), blockSize_, at)) {
        // Half a frame is never sent: the banner ends here.
        LogMessage("CBannerPlayer::NextFrame() frame %u of %s cannot be read", delivered_, path_.c_str());
        finished_ = true;
        return true;
    }
    half_ = other;
    anyRead_ = true;
    ++delivered_;
    return false;
}

const uint8_t* CBannerPlayer::block() const {
    if (!anyRead_ || !buffers_[half_]) return nullptr;
    return buffers_[half_]->data();
}

device::DataRef CBannerPlayer::FrameBlock() const {
    if (!anyRead_ || !buffers_[half_]) return {};
    return device::DataRef::Share(buffers_[half_]);
}

bool CBannerPlayer::ReadFrame(uint32_t n, std::vector<uint8_t>& out) const {
    if (fd_ < 0 || n >= header_.frames) return false;
    out.assign(blockSize_, 0);
    return ReadAt(fd_, out.data(), blockSize_, pages::BannerFramesOffset(header_) + uint64_t(n) * blockSize_);
}

}  // namespace wizards

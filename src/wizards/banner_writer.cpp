#include "wizards/banner_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "pages/device_picture.h"

namespace wizards {

CBannerWriter::~CBannerWriter() { Abandon(); }

bool CBannerWriter::Create(const std::string& path, const pages::BannerHeader& header) {
    Abandon();
    path_ = path;
    header_ = header;
    added_ = 0;
    std::string tmpl = path + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    temp_ = tmpl;
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        Abandon();
        return false;
    }
    const std::vector<uint8_t> head = pages::BannerHeadBytes(header_, nullptr);
    ok_ = std::fwrite(head.data(), 1, pages::BANNER_HEADER_SIZE, file_) == pages::BANNER_HEADER_SIZE;
    block_.assign(pages::DeviceBlockSize(header.width, header.height), 0);
    return ok_;
}

bool CBannerWriter::WritePreview(const pages::CBitmap32& canvas) {
    if (!file_ || added_ != 0 || canvas.width() != header_.width || canvas.height() != header_.height) ok_ = false;
    if (ok_ && (header_.flags & pages::BANNER_HAS_PREVIEW))
        ok_ = std::fwrite(canvas.bits(), 1, canvas.byteSize(), file_) == canvas.byteSize();
    return ok_;
}

bool CBannerWriter::AddFrame(const pages::CBitmap32& canvas) {
    if (!file_ || canvas.width() != header_.width || canvas.height() != header_.height) ok_ = false;
    if (!ok_) return false;
    pages::ToDevice(canvas.view(), 0, 0, header_.width, header_.height, block_.data(), true);
    ok_ = std::fwrite(block_.data(), 1, block_.size(), file_) == block_.size();
    if (ok_) ++added_;
    return ok_;
}

bool CBannerWriter::Finish() {
    if (!file_) return false;
    if (ok_ && added_ > 0 && added_ != header_.frames) {
        const uint8_t count[4] = {uint8_t(added_), uint8_t(added_ >> 8), uint8_t(added_ >> 16), uint8_t(added_ >> 24)};
        ok_ = std::fseek(file_, 8, SEEK_SET) == 0 && std::fwrite(count, 1, 4, file_) == 4;
    }
    ok_ = ok_ && added_ > 0 && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok_ || !closed || std::rename(temp_.c_str(), path_.c_str()) != 0) {
        Abandon();
        return false;
    }
    temp_.clear();
    return true;
}

void CBannerWriter::Abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
    ok_ = false;
}

}  // namespace wizards

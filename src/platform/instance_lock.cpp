#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/files.h"

namespace platform {

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::string& name, const std::string& dir) {
    release();
    const std::string path = JoinPath(dir.empty() ? RuntimeDir() : dir, name + ".lock");
    // Each open gets its own open file description, so two locks in one process exclude each
    // other as well.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace platform

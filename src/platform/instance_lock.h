// A named lock held for the life of the process, in place of a named mutex: a lock file in the
// user's runtime folder held with flock. The system drops it when the process ends, however it
// ends, so a crashed copy never blocks the next start.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock `name`; false when another process (or another InstanceLock of this
    // process) holds it. dir defaults to RuntimeDir().
    bool acquire(const std::string& name, const std::string& dir = {});
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace platform

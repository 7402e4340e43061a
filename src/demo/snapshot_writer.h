// Pictures of the program output encoded and saved away from the event loop, so that a playout
// keeps its pace.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "pages/bitmap32.h"
#include "pages/png_io.h"

namespace demo {

class CSnapshotWriter {
public:
    CSnapshotWriter() : thread_([this] { run(); }) {}
    ~CSnapshotWriter() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void put(std::string path, pages::CBitmap32 picture) {
        {
            std::lock_guard lock(m_);
            queue_.push_back({std::move(path), std::move(picture)});
        }
        cv_.notify_all();
    }
    size_t backlog() {
        std::lock_guard lock(m_);
        return queue_.size() + (busy_ ? 1 : 0);
    }
    // Waits until everything is written; the first file that failed, or "".
    std::string finish() {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return queue_.empty() && !busy_; });
        return failed_;
    }

private:
    struct Job {
        std::string path;
        pages::CBitmap32 picture;
    };
    void run() {
        std::unique_lock lock(m_);
        for (;;) {
            cv_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            const bool ok = pages::WritePng(job.path, job.picture);
            lock.lock();
            busy_ = false;
            if (!ok && failed_.empty()) failed_ = job.path;
            cv_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Job> queue_;
    bool busy_ = false;
    bool stop_ = false;
    std::string failed_;
    std::thread thread_;
};

}  // namespace demo

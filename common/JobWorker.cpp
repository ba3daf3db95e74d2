#include "common/JobWorker.h"

#include "common/Log.h"

namespace vorl {

void JobWorker::start() {
    stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { run(); });
}

void JobWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    busy_ = false;
}

void JobWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        waiting_.push_back(std::move(job));
        busy_ = true;
    }
    wake_.notify_all();
}

void JobWorker::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            job = std::move(waiting_.front());
            waiting_.pop_front();
        }
        try {
            job();
        } catch (const std::exception& e) {
            logLine("{}: {}", name_, e.what());
        }
        std::lock_guard lock(mutex_);
        if (waiting_.empty()) busy_ = false;
    }
}

} // namespace vorl

#include "common/LatestJobWorker.h"

#include "common/Log.h"

namespace vorl {

void LatestJobWorker::start() {
    stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { run(); });
}

void LatestJobWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    busy_ = false;
}

void LatestJobWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        waiting_ = std::move(job);
        busy_ = true;
    }
    wake_.notify_all();
}

void LatestJobWorker::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || waiting_.has_value(); });
            if (stopping_) return;
            job = std::move(*waiting_);
            waiting_.reset();
        }
        try {
            job();
        } catch (const std::exception& e) {
            logLine("{}: {}", name_, e.what());
        }
        std::lock_guard lock(mutex_);
        if (!waiting_) busy_ = false;
    }
}

} // namespace vorl

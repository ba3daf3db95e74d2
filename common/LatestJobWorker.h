#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vorl {

// A thread that runs posted jobs one at a time. Only the latest waiting job is kept: a newer
// request makes an older one that has not started yet pointless.
class LatestJobWorker {
public:
    explicit LatestJobWorker(std::string name) : name_(std::move(name)) {}
    ~LatestJobWorker() { stop(); }
    LatestJobWorker(const LatestJobWorker&) = delete;
    LatestJobWorker& operator=(const LatestJobWorker&) = delete;

    void start();
    // Waits for a running job to finish; a waiting one is dropped.
    void stop();
    void post(std::function<void()> job);
    bool busy() const { return busy_.load(); }

private:
    void run();

    std::string name_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::function<void()>> waiting_;
    std::thread thread_;
    bool stopping_ = true;
    std::atomic<bool> busy_{false};
};

} // namespace vorl

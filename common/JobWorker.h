#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vorl {

// A thread that runs posted jobs one at a time, in the order they were posted: work that may
// wait (for the network, for the simulator) is done here instead of on the thread that asks.
class JobWorker {
public:
    explicit JobWorker(std::string name) : name_(std::move(name)) {}
    ~JobWorker() { stop(); }
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;

    void start();
    // Waits for a running job to finish; waiting ones are dropped.
    void stop();
    void post(std::function<void()> job);
    // A job runs or waits.
    bool busy() const { return busy_.load(); }

private:
    void run();

    std::string name_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> waiting_;
    std::thread thread_;
    bool stopping_ = true;
    std::atomic<bool> busy_{false};
};

} // namespace vorl

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "common/LatestJobWorker.h"

using namespace vorl;
using namespace std::chrono_literals;

TEST(LatestJobWorker, OnlyTheLatestWaitingJobRunsAndStopWaitsForTheRunningOne) {
    LatestJobWorker worker("test");
    worker.start();
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<int> ran{0}, last{0};
    std::atomic<bool> started{false};
    worker.post([&] {
        started = true;
        released.wait();
        ++ran;
    });
    while (!started) std::this_thread::sleep_for(1ms);
    for (int i = 1; i <= 5; ++i) worker.post([&, i] {
        ++ran;
        last = i;
    });
    release.set_value();
    while (worker.busy()) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(ran.load(), 2) << "the running job, then only the newest of the waiting ones";
    EXPECT_EQ(last.load(), 5);
    worker.post([] { throw std::runtime_error("kept alive"); });
    while (worker.busy()) std::this_thread::sleep_for(1ms);
    worker.post([&] { ++ran; });
    worker.stop();
    EXPECT_FALSE(worker.busy());
    worker.post([&] { ++ran; });
    EXPECT_LE(ran.load(), 3) << "a stopped worker takes nothing";
}

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "common/JobWorker.h"

using namespace vorl;
using namespace std::chrono_literals;

TEST(JobWorker, JobsRunInTheirOrderAndStopWaitsForTheRunningOne) {
    JobWorker worker("test");
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
    EXPECT_EQ(ran.load(), 6) << "no posted job is lost: a command may be among them";
    EXPECT_EQ(last.load(), 5) << "the last posted runs last";
    worker.post([] { throw std::runtime_error("kept alive"); });
    while (worker.busy()) std::this_thread::sleep_for(1ms);
    worker.post([&] { ++ran; });
    worker.stop();
    EXPECT_FALSE(worker.busy());
    worker.post([&] { ++ran; });
    EXPECT_LE(ran.load(), 7) << "a stopped worker takes nothing";
}

// The pieces every request shares: the write callback, the interruptible sleep, URLs.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "rt/RtConnection.h"
#include "rt/RtRequest.h"
#include "rt/RtConfig.h"

namespace vorl::test {
namespace {

TEST(RtTransport, WriteCallbackAppendsAndRefusesWithoutTarget) {
    std::string target = "ab";
    char data[] = "cdef";
    EXPECT_EQ(lf_callbackwriter(data, 2, 2, &target), 4u);
    EXPECT_EQ(target, "abcdef");
    EXPECT_EQ(lf_callbackwriter(data, 1, 4, nullptr), 0u);
}

TEST(RtTransport, UrlsJoinBaseAndPath) {
    RtConfig config;
    config.baseUrl = "http://127.0.0.1:8080/";
    EXPECT_EQ(gf_rtUrl(config, "/v5/auth"), "http://127.0.0.1:8080/v5/auth");
}

TEST(RtTransport, SleepEndsSoonAfterStopIsRequested) {
    RtConnection connection("aucurl_");
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        connection.requestStop();
    });
    sleepInterruptible(connection, 60000);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // A stopped connection does not sleep at all, and non-positive times return at once.
    sleepInterruptible(connection, 60000);
    connection.reset();
    EXPECT_FALSE(connection.stopSet());
    sleepInterruptible(connection, 0);
    sleepInterruptible(connection, -5);
}

TEST(RtTransport, SleepRunsItsFullLengthWithoutStop) {
    RtConnection connection("aucurl_");
    const auto start = std::chrono::steady_clock::now();
    sleepInterruptible(connection, 23); // four slices of 5 ms and 3 ms
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(23));
}

} // namespace
} // namespace vorl::test

#include "rt/RtConnection.h"

#include <chrono>
#include <limits>

namespace vorl {

RtConnection::RtConnection(const char* handlePrefix) : handle(gf_makeCurlHandle(handlePrefix)), handlePrefix_(handlePrefix) {
    buffer.reserve(4096);
}

void RtConnection::reset() {
    buffer.clear();
    handle = gf_makeCurlHandle(handlePrefix_);
    stop.exchange(false);
    ended_.store(false);
    extra = 0;
    counter = 0;
    reply = nlohmann::json();
}

void RtConnection::requestStop() {
    stop.exchange(true);
    std::lock_guard lock(sleepMutex);
    sleepWake.notify_all();
}

namespace {

using SteadyClock = std::chrono::steady_clock;

SteadyClock::time_point lf_deadlineAfter(std::int64_t ms) {
    const auto now = SteadyClock::now().time_since_epoch().count();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    static_assert(std::is_same_v<SteadyClock::duration, std::chrono::nanoseconds>);
    const std::int64_t ns = ms > kMax / 1000000 ? kMax : ms * 1000000;
    const std::int64_t until = now > kMax - ns ? kMax : now + ns;
    return SteadyClock::time_point(SteadyClock::duration(until));
}

// True when stop was seen.
bool lf_waitSlice(RtConnection& obj, std::int64_t ms) {
    const auto deadline = lf_deadlineAfter(ms);
    std::unique_lock lock(obj.sleepMutex);
    return obj.sleepWake.wait_until(lock, deadline, [&] { return obj.stop.load(); });
}

} // namespace

void sleepInterruptible(RtConnection& obj, std::int64_t ms) {
    if (ms < 1) return;
    const std::int64_t slice = ms / 4;
    for (int i = 0; i < 4; ++i) {
        if (obj.stop.load()) return;
        if (lf_waitSlice(obj, slice)) return;
    }
    if (ms % 4 != 0 && !obj.stop.load()) lf_waitSlice(obj, ms % 4);
}

} // namespace vorl

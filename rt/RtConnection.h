#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "rt/CurlHandle.h"

namespace vorl {

// What both reader objects share: the session GUID, one easy handle, the last answer and the
// pacing state. The reader thread that owns the object is the only one that performs requests
// with it; other threads only set `stop` (through requestStop) and read the atomics.
class RtConnection {
public:
    explicit RtConnection(const char* handlePrefix);
    virtual ~RtConnection() = default;
    RtConnection(const RtConnection&) = delete;
    RtConnection& operator=(const RtConnection&) = delete;

    // Back to the state of a fresh object, with a new handle; before every new session.
    virtual void reset();

    // Asks the owning reader to stop and wakes it if it sleeps.
    void requestStop();
    bool stopSet() const { return stop.load(); }

    // Result of the reader loop once it has ended: 9999 stopped on request, else the failing status.
    bool ended() const { return ended_.load(); }
    void markEnded(bool on) { ended_.store(on); }

    std::string guid;
    std::uint64_t counter = 0;
    CurlHandle handle;
    nlohmann::json reply;
    std::string buffer;
    std::string scratch; // the body of the request in flight; libcurl reads it while performing
    std::int32_t extra = 0;
    std::int32_t rrl = 2000;
    std::int32_t wrrl = 2000;
    std::atomic<bool> stop{false};
    std::mutex sleepMutex;
    std::condition_variable sleepWake;

private:
    const char* handlePrefix_;
    std::atomic<bool> ended_{false};
};

// Sleeps `ms` milliseconds in four slices (plus the remainder), returning early once `obj.stop`
// is set.
void sleepInterruptible(RtConnection& obj, std::int64_t ms);

} // namespace vorl

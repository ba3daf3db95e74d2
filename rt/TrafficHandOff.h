#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "rt/TrafficRecord.h"

namespace vorl {

// Play-out time of each record: base + delay, spread by the record's distance in time from the
// batch's median data time, in hundredths of a second.
void gf_setPlayoutTimes(std::vector<TrafficRecord>& batch, std::int32_t base, int delaySeconds);

// Where the traffic reader leaves its batches for the run loop. Live batches are only taken when
// the previous one has been consumed; buffered-start records queue up in arrival order.
class TrafficHandOff {
public:
    void setAccepting(bool on) { accepting_.store(on); }
    bool accepting() const { return accepting_.load(); }

    // Moves the records out of `batch` when the input batch is empty and traffic is accepted;
    // `batch` is cleared either way but keeps its capacity. True when the batch was taken.
    bool offerLive(std::vector<TrafficRecord>& batch);
    void pushBuffered(std::vector<TrafficRecord>& batch);

    // Run loop: swaps the pending records into `out` (which is cleared first).
    void takeLive(std::vector<TrafficRecord>& out);
    void takeBuffered(std::vector<TrafficRecord>& out);

private:
    std::mutex mutex_;
    std::vector<TrafficRecord> live_;
    std::vector<TrafficRecord> buffered_;
    std::atomic<bool> accepting_{false};
};

} // namespace vorl

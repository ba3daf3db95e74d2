#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/ParkingLink.h"
#include "app/ProgramServices.h"
#include "rt/TrafficRecord.h"
#include "sim/LiveTraffic.h"

namespace vorl {

class LiveryMatching;
class RtLink;

// A live aircraft as the parking sees it: identity, position and the stand it uses.
LiveAtAirport gf_liveAtAirport(const LiveAircraft& aircraft);

// The live traffic of one run: the aircraft the traffic reader hands over, moved every cycle of
// the run loop, with the play-out clock they are shown by. Owned and driven by the run loop's
// thread; the few entries other threads use say so.
class LiveTrafficLink {
public:
    LiveTrafficLink(const ProgramServices& services, ParkingLink& parking, LiveSnapshot& snapshot, LiveryMatching& liveries);

    // Every cycle, in this order: every aircraft moved on (the play-out clock advanced first),
    // then new records admitted and one creation queued, then the user kept clear.
    void update();
    void takeRecords(RtLink* link);
    void avoidCollisions();
    void onMessage(const SimMessage& message);
    // Once a second: settings and surroundings refreshed, the parking's picture published.
    void perSecond();

    // Any thread: the play-out clock in hundredths of a second (the traffic reader stamps by it).
    std::int32_t playoutClock() const { return playoutClock_.load(); }
    // Any thread: the aircraft leaves at the next cycle (a callsign the user blocked).
    void requestRemoval(std::uint32_t hexId);

    LiveTraffic& traffic() { return *live_; }
    int activeCount() const { return activeCount_.load(); }
    int parkedCount() const { return parkedCount_.load(); }

    // Once a minute when asked for: every live aircraft in the simulator, one per line.
    void writeObjectList() const;
    // The aircraft whose livery could not be matched, into the log.
    void reportUnmatchedLiveries() const;
    // The simulator's object id of the active aircraft with this callsign, as ObjectIdList.txt writes it.
    std::optional<std::string> objectIdText(const std::string& callsign) const;

    // Closing down: the figures of the run logged.
    void closeDown();

private:
    std::int32_t advancePlayoutClock();
    LiveTrafficHooks hooks(LiveryMatching& liveries);
    LiveTrafficSettings settings() const;
    std::optional<UserView> user() const;
    std::optional<AirportView> airport();

    const ProgramServices& services_;
    ParkingLink& parking_;
    LiveSnapshot& snapshot_;
    std::unique_ptr<LiveTraffic> live_;
    std::vector<TrafficRecord> incoming_;
    std::atomic<std::int32_t> playoutClock_{0};
    std::chrono::steady_clock::time_point playoutStart_ = std::chrono::steady_clock::now();
    std::atomic<int> activeCount_{0};
    std::atomic<int> parkedCount_{0};
    std::mutex removalsMutex_;
    std::vector<std::uint32_t> removals_;
    std::optional<LatLon> airportSearchedAt_;
    std::optional<AirportView> airport_;
};

} // namespace vorl

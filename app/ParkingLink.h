#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "airports/ParkAirport.h"
#include "app/SimFacilityAirports.h"
#include "app/StatusFigures.h"
#include "app/ProgramServices.h"
#include "common/JobWorker.h"
#include "sim/SimInbox.h"
#include "sim/StandHooks.h"

namespace vorl {

class LiveryMatching;
class RtLink;

// The park airport as the traffic reader sees it (any thread): ground traffic is taken only
// near it, and its elevation tells the ground from the air.
struct CurrentAirport {
    LatLon position;
    double elevationFt = 0.0;
};

// What the parking sees of the live aircraft: a copy the run loop refreshes once a second and
// the parking's worker reads.
class LiveSnapshot {
public:
    void publish(std::vector<LiveAtAirport> aircraft);
    std::vector<LiveAtAirport> aircraft() const;

private:
    mutable std::mutex mutex_;
    std::vector<LiveAtAirport> aircraft_;
};

// The static parking of one run: the park airport that follows the user's aircraft, its plan
// and static aircraft, the stands that live aircraft park on, and the user's commands about them.
// Planning waits for parked traffic (seconds), so it runs on a worker of its own; the run loop
// only places planned aircraft and never waits for the worker.
class ParkingLink {
public:
    ParkingLink(const ProgramServices& services, const LiveSnapshot& live, LiveryMatching& liveries,
                std::function<RtLink*()> realTraffic);
    ~ParkingLink();
    ParkingLink(const ParkingLink&) = delete;
    ParkingLink& operator=(const ParkingLink&) = delete;

    // Run loop: the park airport follows the user (every 16th second, and at the loop's start).
    void followUser(bool renew);
    // Run loop, once a second: the simulator's answers applied and the next static aircraft placed.
    void placeNext();
    // Run loop: the simulator's answers about static aircraft.
    void onStaticMessage(const SimMessage& message);
    // Run loop, every cycle: a static aircraft 200 cycles after its creation shuts down and is
    // logged as parked.
    void stepActivations();
    // Run loop, every fifth second: whatever stands on the reserved stand; true when a static
    // aircraft was removed (the live side is asked otherwise).
    bool clearReservedStand();
    std::string reservedStand() const;
    // Run loop, every 61st second: a static aircraft that is also flying live leaves.
    void removeDuplicatesOfLive();
    // Run loop, once a second: static aircraft give way to live aircraft taxiing into them (with
    // "Live X parked") and to the user's aircraft moving on the ground (with "User ground").
    void guardStatics(const std::vector<LiveAtAirport>& taxiing);
    // Window commands, carried out by the run loop.
    void applyDestination(const std::string& icao);
    // Re-reads my_park_airports.txt and the park airport's stands; `done` runs on the worker
    // when the stands are read again.
    void reRead(std::function<void(const std::string& result)> done);
    void setPaused(bool paused) { paused_.store(paused); }
    bool paused() const { return paused_.load(); }
    // Every static aircraft leaves and the stands are planned again.
    void flushAndReplan();
    void setNavLightsWhileParked(bool on);
    // After a flight load the user may sit at a stand, which becomes the reserved one (SimClient
    // thread; applied by the next follow).
    void reserveUserStand(const std::string& stand);

    // The simulator link asks (SimClient thread).
    bool hasStands() const;
    std::optional<std::string> nearestStandName(double lat, double lon, double maxNm) const;
    // The traffic reader asks (reader thread).
    std::optional<CurrentAirport> currentAirport() const;
    // The live parking's stands; `removeOneLiveParked` makes room when too many are parked.
    LiveStandHooks liveStandHooks(std::function<void()> removeOneLiveParked);

    bool hasStaticAircraft() const { return staticCount_.load() > 0; }
    // A new park airport was planned since the last call.
    bool takeNewPlan() { return newPlan_.exchange(false); }
    // The park airport's part of the parking panel.
    ParkingPanel panel() const;

    // Closing down: the worker stopped, the static aircraft removed and the learned file saved.
    void closeDown();

private:
    PlannerSettings plannerSettings() const;
    ParkingSettings parkingSettings() const;
    void applyAirportSettings(const ParkingSettings& s);
    PlannerWorld world(const NearAirport& airport);
    bool createStatic(const PlannedPosition& position, const Stand& stand, std::uint32_t aircraftId);
    ParkingHooks hooks();
    void applyMessages();
    void publish();
    // Removals the parking asks for on any thread reach the outbox on the run loop's.
    void sendRemovals();

    const ProgramServices& services_;
    const LiveSnapshot& live_;
    LiveryMatching& liveries_;
    std::function<RtLink*()> realTraffic_;

    SimFacilityAirports facilities_;
    ParkAirportList list_;
    ParkAirport park_;
    mutable std::mutex mutex_; // the park airport, shared by the worker and the run loop
    JobWorker worker_{"parking"};
    std::atomic<bool> paused_{false};
    // Where the user's aircraft last settled: the choice of airport is made once per place.
    std::optional<LatLon> lastSettled_;
    std::optional<LatLon> lastUserOnGround_;

    std::mutex messagesMutex_;
    std::vector<SimMessage> messages_;
    std::string userStandToReserve_;
    // Objects to remove, and static aircraft whose creation must be withdrawn (object id 0).
    struct Removal {
        std::uint32_t objectId = 0;
        std::uint32_t aircraftId = 0;
    };
    std::vector<Removal> removals_;
    // Live aircraft that drove onto a stand while the worker held the airport.
    struct MakeWay {
        std::uint32_t stand = 0;
        std::string callsign;
        bool spawned = false;
        bool excludedStand = false;
    };
    std::vector<MakeWay> makeWay_;
    struct Activation {
        std::uint32_t objectId = 0;
        int cycles = 0;
    };
    std::vector<Activation> activations_; // run loop only
    void makeWayNow(const MakeWay& way);
    std::vector<std::pair<std::uint32_t, LiveAtAirport>> learned_;
    // The livery each static aircraft was created with, for the simulator's refusals.
    struct Created {
        std::string label;
        std::string title;
    };
    std::map<std::uint32_t, Created> created_;

    // Published for other threads whenever the airport changes.
    mutable std::mutex publishedMutex_;
    std::optional<CurrentAirport> current_;
    ParkingPanel panel_;
    std::atomic<int> staticCount_{0};
    std::atomic<bool> newPlan_{false};
};

} // namespace vorl

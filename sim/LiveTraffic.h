#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/Geodesy.h"
#include "rt/TrafficRecord.h"
#include "sim/LiveAircraft.h"
#include "sim/LiveMovement.h"
#include "sim/SimInbox.h"

namespace vorl {

class SimOutbox;

// The settings the live aircraft follow, read once a second from the settings store.
struct LiveTrafficSettings {
    int maxLive = 1000;
    std::string blockCallsign;
    bool collisionUserAir = true;
    bool collisionUserGround = true;
    bool navLightsWhileParked = false;
    bool straightPushbacksOnly = false;
    bool liveryChanges = true;
    int holdingThresholdMeters = 200;
    int maxHoldingMinutes = 10;
    bool airborneOnly = false;
    bool lightAircraft = true;
    bool helicopters = true;
    bool highPerfAircraft = true;
    double rangeNm = 25.0;
};

// The user's aircraft as the live traffic keeps clear of it.
struct UserView {
    LatLon position;
    double altitudeFt = 0.0;
    double aboveGroundFt = 0.0;
    double headingDeg = 0.0;
    double groundSpeedKt = 0.0;
    double halfWingspanNm = 0.0;
    bool onGround = false;
};

struct AirportView {
    LatLon position;
    double elevationFt = 0.0;
};

// Links from the live traffic to the rest of the program; empty members give neutral answers.
struct LiveTrafficHooks {
    std::function<LiveTrafficSettings()> settings;
    // The livery title for an aircraft, nothing when no installed livery fits.
    std::function<std::optional<std::string>(const LiveAircraft& aircraft)> matchLivery;
    // A livery the simulator refused to create.
    std::function<void(const std::string& label, const std::string& title)> liveryFailed;
    std::function<AircraftCategory(std::uint16_t typeIndex)> category;
    // Airline, operator and cargo role of a flight from its callsign and registration.
    std::function<ModelCode(const std::string& callsign, const std::string& registration, std::uint16_t typeIndex)> identity;
    std::function<std::optional<double>(const std::string& type)> halfWingspanNm;
    // False for types the model database does not take as traffic (balloons, ground vehicles).
    std::function<bool(const std::string& type)> acceptedType;
    std::function<std::optional<UserView>()> user;
    std::function<std::optional<AirportView>()> airport;
    // Flight plan written for a created aircraft (true when written), removed when it leaves.
    std::function<bool(const LiveAircraft& aircraft)> writeFlightPlan;
    std::function<void(const LiveAircraft& aircraft)> removeFlightPlan;
    std::function<void(std::uint32_t objectId)> requestStaticAttitude;
    // The park airport's stands, while live parking is active there.
    LiveStandHooks stands;
};

// All live aircraft of the run: from the traffic records handed over to the positions written
// into the simulator every cycle. Run-loop thread only.
class LiveTraffic {
public:
    LiveTraffic(SimOutbox& outbox, LiveTrafficHooks hooks);

    // New records from the traffic reader, in any order.
    void addRecords(std::vector<TrafficRecord>& records);
    // Per cycle: new records admitted (at most two), one spawned aircraft queued for creation.
    void admit(std::int32_t cycle);
    // Per cycle: every aircraft moved on, created aircraft activated, deleted ones dropped.
    void update(std::int32_t cycle);
    // The simulator's messages about live aircraft.
    void onMessage(const SimMessage& message);
    // After the cycle: at most one aircraft in conflict with the user removed.
    void avoidCollisions();
    // Once a second: the settings and the surroundings refreshed.
    void refresh();
    void removeHexId(std::uint32_t hexId);
    // Of the aircraft parked at stands, the one that has stood longest leaves (too many parked).
    void removeLongestParked();

    // Operations the window asks for.
    // Aircraft with this callsign leave the simulator (blocked); false when there was none.
    bool removeCallsign(const std::string& callsign);
    // Active aircraft beyond `maxLive` leave, the newest first.
    void removeSurplus(int maxLive);
    // Every aircraft starts afresh: the traffic picture moved in time.
    void removeAll();
    void setNavLightsWhileParked(bool on);
    // The live aircraft parked on the stand named `standId` leaves; false when none stands there.
    bool removeParkedAt(const std::string& standId);
    // The callsigns of the active aircraft, sorted.
    std::vector<std::string> activeCallsigns() const;
    const LiveAircraft* activeByCallsign(const std::string& callsign) const;
    std::size_t parkedCount() const;
    // The aircraft whose livery could not be matched this flight (their matching keys).
    const std::set<std::string>& unmatchedLiveries() const { return noMatch_; }
    // The per-flight lookups (unmatched keys, chosen liveries) start empty again.
    void forgetFlightLookups();

    const std::vector<LiveAircraft>& aircraft() const { return live_; }
    const LiveAircraft* find(std::uint32_t hexId) const;
    std::size_t activeCount() const;
    std::size_t pendingRecords() const { return addingStack_.size(); }
    // Counters for the summary.
    std::size_t createdCount() const { return created_; }
    std::size_t removedCount() const { return removed_; }

private:
    struct CreatedMessage {
        SimMessage message;
        int cycles = 0;
    };

    LiveAircraft* findById(std::uint32_t hexId);
    LiveAircraft* findByObjectId(std::uint32_t objectId);
    void processNewRecord(const TrafficRecord& record, std::int32_t cycle);
    void newLiveAircraft(const TrafficRecord& record);
    bool respawnCheck(LiveAircraft& aircraft, const TrafficRecord& record);
    void decodeExisting(LiveAircraft& aircraft, PositionSample sample, std::int32_t cycle);
    bool updateLiveAc(LiveAircraft& aircraft, std::int32_t cycle);
    void bufferRule(LiveAircraft& aircraft, std::int32_t cycle);
    bool limitReached(const LiveAircraft& newcomer);
    void spawnLiveAc(LiveAircraft& aircraft);
    void ghostCheck(const LiveAircraft& aircraft);
    void keepUpWhileQueued(LiveAircraft& aircraft, std::int32_t cycle);
    bool onCreated(const SimMessage& message);
    void activate(std::int32_t cycle);
    void activateLive(LiveAircraft& aircraft);
    void onObjectRemoved(std::uint32_t objectId);
    void onCreateFailed(std::uint32_t hexId);
    void onStaticAttitude(std::uint32_t objectId, double cgHeightFt, double staticPitch);
    void liveryRespawn(LiveAircraft& aircraft);
    void remove(LiveAircraft& aircraft);
    void clearLiveAtStand(const StandSpot& stand, const LiveAircraft& newcomer);
    bool isSuffixedDuplicate(const std::string& callsign, std::uint32_t selfId) const;
    std::string liveryKey(const LiveAircraft& aircraft) const;
    bool waitsForUser(LiveAircraft& aircraft, const PositionSample& first) const;

    SimOutbox& outbox_;
    LiveTrafficHooks hooks_;
    LiveTrafficSettings settings_;
    MovementContext context_;
    std::optional<UserView> user_;
    std::vector<LiveAircraft> live_;
    std::deque<TrafficRecord> addingStack_;
    std::vector<std::uint32_t> addingList_;
    std::vector<std::string> blockedCallsigns_;
    std::vector<CreatedMessage> createdMessages_;
    std::set<std::string> noMatch_;
    std::map<std::uint32_t, std::string> liveryCache_;
    std::size_t created_ = 0;
    std::size_t removed_ = 0;
};

} // namespace vorl

#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "airports/AirportFile.h"
#include "airports/LiveStandSearch.h"
#include "airports/ParkAirportList.h"
#include "airports/StaticParkingPlanner.h"

namespace vorl {

// The user's aircraft stands at a stand when it is this close to it (55 m).
inline constexpr double kUserStandNm = 0.029697624190064796;

struct NearAirport {
    std::string icao;
    LatLon position;
    double distanceNm = 0.0;
};

// What the park airport needs of the rest of the program.
struct ParkingHooks {
    // The closest airport of the airport database to a position (with the neighbour rule).
    std::function<std::optional<NearAirport>(LatLon position)> closestAirport;
    std::function<bool(std::string_view icao)> hasAirportFile;
    std::function<std::string(std::string_view icao)> locateAirportFile;
    // An airport file made when there is no other or it cannot be read; empty when none can be made.
    std::function<std::string(const std::string& icao)> fallbackAirportFile;
    std::function<PlannerSettings()> plannerSettings;
    // The airport's parking settings take effect in the settings store and the window.
    std::function<void(const ParkingSettings&)> applyAirportSettings;
    // For a plan: the live aircraft, the aircraft in range and, when the link answers, parked
    // traffic (which may take seconds to come).
    std::function<PlannerWorld(const NearAirport& airport)> world;
    // For placing: only the live aircraft, at once.
    std::function<std::vector<LiveAtAirport>()> liveAircraft;
    // Creates a static aircraft at a stand under `aircraftId` (1 to 10000); false when it cannot
    // be created (no livery fits), so that the stand stays free.
    std::function<bool(const PlannedPosition& position, const Stand& stand, std::uint32_t aircraftId)> createStatic;
    // `objectId` 0: the creation has not been answered yet and must never show up.
    std::function<void(std::uint32_t objectId, std::uint32_t aircraftId)> removeStatic;
    std::function<void(const std::string& text)> status;
    std::function<ParkingClock()> clock;
};

// The one airport whose stands hold static parked aircraft: chosen where the user's aircraft
// stands, kept while it stays in sight, left (aircraft removed, learned file saved) otherwise.
class ParkAirport {
public:
    ParkAirport(ParkAirportList& list, ParkingHooks hooks, std::uint32_t seed = std::random_device{}());

    // The user's aircraft stands still on the ground at `user`.
    void chooseOnGround(LatLon user, const std::string& userStand);
    // The user's aircraft flies: leave the airport when out of sight or a listed one is nearer.
    void checkAirborne(LatLon user, double altitudeFeet, double rangeNm, double heightFeet);
    void leave();

    // One planned static aircraft from the end of the plan, unless it would collide.
    void placeNextStatic();
    // The periodic adjustment (all static aircraft renewed with `flush`).
    void adjust(bool flush);
    // Keeps live parked plus static aircraft at or below the wanted count.
    void maxParkCheck(bool aboutToPark, const std::function<void()>& removeOneLiveParked);

    // A creation answered for an aircraft that has gone meanwhile is removed at once.
    void onStaticCreated(std::uint32_t aircraftId, std::uint32_t objectId);
    void onObjectRemoved(std::uint32_t objectId);
    // The simulator could not create it: the stand is free again.
    void onCreateFailed(std::uint32_t aircraftId);

    bool isSet() const { return airport_.has_value(); }
    const std::optional<NearAirport>& nearAirport() const { return airport_; }
    const AirportState* airport() const { return airport_ ? &state_ : nullptr; }
    AirportState* airport() { return airport_ ? &state_ : nullptr; }
    std::string icao() const { return airport_ ? airport_->icao : std::string{}; }
    std::string reservedStand() const;
    std::size_t staticCount() const { return standing_.size(); }
    std::size_t plannedCount() const { return planned_.size(); }
    // The stand nearest to a position within `maxNm`, or nothing.
    std::optional<std::string> nearestStandName(double lat, double lon, double maxNm) const;
    // The stand a live aircraft parks on (never the user's nor the reserved one); a too-small
    // stand that is taken grows to the aircraft's size.
    LiveStandFind findLiveStand(const LiveStandQuery& query);
    const Stand* stand(std::uint32_t number) const;
    // Static aircraft on the stand or a neighbour of it leave, planned ones there are dropped.
    void makeWayForLive(std::uint32_t standNumber, const std::string& liveCallsign, bool excludedStand = false);
    // A live aircraft appears parked on the stand: what is planned there goes, and a static
    // aircraft standing there is removed; the neighbours stay, as they stand beside it already.
    void parkLiveOver(std::uint32_t standNumber, const std::string& liveCallsign);
    // The live aircraft standing at a stand is learned as a real option of it.
    void learnLiveAtStand(std::uint32_t standNumber, const LiveAtAirport& aircraft);

    // The static aircraft standing on the stand named `standId` leaves; false when none stands there.
    bool removeStaticAt(const std::string& standId);
    // A static aircraft that shows the same aircraft as a live one on the ground (same
    // registration, or the live callsign followed by "*") leaves; one per call.
    void removeDuplicateOfLive(const std::vector<LiveAtAirport>& live);
    // Where the user's aircraft stands now ("" for none): that stand is kept free as well.
    void setUserStand(const std::string& stand) { userStand_ = stand; }
    // The list was read again: the reserved stand follows it, and the result is logged.
    void reCheckReservedStand(const std::string& before);
    // The first static aircraft in the simulator (not called `exceptCallsign`) whose stand is
    // within 1.1 x (its radius + `halfWingspanNm`) of `at` leaves; false when none is that close.
    bool removeStaticNear(LatLon at, double halfWingspanNm, const std::string& exceptCallsign, const std::string& who);
    // The simulator's objects of the static aircraft standing now.
    std::vector<std::uint32_t> staticObjectIds() const;
    // The static aircraft the simulator shows as `objectId`: its stand and callsign.
    struct StaticOnStand {
        std::string standId;
        std::string callsign;
        bool cargoStand = false;
    };
    std::optional<StaticOnStand> staticByObject(std::uint32_t objectId) const;
    // How many static plus parked live aircraft the airport wants; 0 without park airport.
    int wantedCount() const;
    // The mean fit level of the last plan, nothing before the first.
    std::optional<double> averageFit() const { return averageFit_; }

private:
    struct Standing {
        StaticAircraft aircraft;
        std::uint32_t aircraftId = 0;
        std::uint32_t objectId = 0;
    };
    bool readAirportFile(const NearAirport& airport, const std::string& userStand, std::optional<LatLon> user = {});
    void removeAll();

    ParkAirportList& list_;
    ParkingHooks hooks_;
    StaticParkingPlanner planner_;
    std::optional<NearAirport> airport_;
    AirportState state_;
    std::string userStand_;
    std::vector<PlannedPosition> planned_;
    std::vector<Standing> standing_;
    std::uint32_t runningNumber_ = 0;
    std::size_t placedCount_ = 0; // static aircraft handed to the simulator at this airport
    std::optional<double> averageFit_;

    void takePlan(std::vector<PlannedPosition> plan);
    // The static aircraft leaves the simulator (or its creation is withdrawn) and the airport.
    std::vector<Standing>::iterator dropStatic(std::vector<Standing>::iterator it);
    // What is planned at the stands `inTheWay` accepts is dropped, and the static aircraft
    // standing there leave, each `announce`d first.
    void clearStands(const std::function<bool(std::uint32_t stand)>& inTheWay,
                     const std::function<void(const Standing&)>& announce);
};

} // namespace vorl

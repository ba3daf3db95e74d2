#pragma once
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "airports/AirportFile.h"
#include "airports/ParkingClock.h"
#include "common/ModelCode.h"
#include "rt/TrafficRecord.h"

namespace vorl {

// One static aircraft the planner wants at a stand.
struct PlannedPosition {
    enum Kind : int { FromAirportFile = 0, FromParkedTraffic = 1 };
    int kind = FromAirportFile;
    std::uint32_t stand = 0; // stand number
    int fit = 0;
    std::uint16_t airline = 0;
    std::uint16_t type = 0;
    // What a parked-traffic record's registration entry tells of the livery to wear: the
    // operating airline and a cargo role.
    std::uint16_t operatorIndex = 0;
    bool cargo = false;
    std::string callsign;
    std::string callsignExtra;
    std::string registration;
    bool staysOn = false; // still there in the next half-hour
};

// A static aircraft standing in the simulator.
struct StaticAircraft {
    std::string callsign;
    std::string registration;
    std::uint32_t stand = 0;
    int kind = PlannedPosition::FromAirportFile;
};

// A live aircraft as the planner has to respect it.
struct LiveAtAirport {
    std::string callsign;
    std::string registration;
    ModelCode identity;
    std::uint32_t stand = 0; // the stand it stands on or drives to, 0 for none
    bool parked = false;
    double lat = 0.0;
    double lon = 0.0;
    double halfWingspanNm = 0.0;
};

struct PlannerSettings {
    int parkingPercentage = 30;
    int customParkingPercentage = -1;
    int maxParkSel = 500;
    int maxFit = 47;
    bool week = false;
    bool parkSoft = false;
    bool rtParkTrafficOnly = false;
    bool helicopterStands = true;
    bool initialLoadOnly = false;
};

// What the planner reads of the rest of the program for one plan or adjustment.
struct PlannerWorld {
    std::function<double(std::uint16_t type)> halfWingspanNm;
    std::function<int(std::uint16_t type)> category; // 0 light .. 5 rotorcraft
    // Airline and type of a parked-traffic record (airline from the callsign, or "PVT").
    std::function<ModelCode(const ParkedRecord&)> identityOf;
    std::vector<LiveAtAirport> live;
    std::set<std::string, std::less<>> inRangeCallsigns; // reported by the simulator at the last request
    bool parkedTrafficReceived = false;
    std::vector<ParkedRecord> parkedTraffic;
    std::vector<std::string> reservedStandIds; // the user's reserved and current stand
};

struct ParkingChanges {
    std::vector<StaticAircraft> remove;
    std::vector<PlannedPosition> add; // placed from the end
};

// Decides which stands of the park airport hold static aircraft and which aircraft: parked
// traffic first, then the aircraft the airport file remembers for this weekday and time.
class StaticParkingPlanner {
public:
    explicit StaticParkingPlanner(std::uint32_t seed = std::random_device{}()) : random_(seed) {}

    static int wantedCount(const PlannerSettings& settings, std::size_t standCount);

    // The full plan; the planned list is sorted so that its end holds the best fits.
    std::vector<PlannedPosition> plan(AirportState& airport, const PlannerSettings& settings, const PlannerWorld& world,
                                      const ParkingClock& clock);

    // The periodic adjustment for the static aircraft now standing; with `flush` all of them go.
    ParkingChanges adjust(AirportState& airport, const PlannerSettings& settings, const PlannerWorld& world,
                          const ParkingClock& clock, const std::vector<StaticAircraft>& standing, bool flush);

    int realFit() const { return realFit_; }
    int softFit() const { return softFit_; }

private:
    struct Flags {
        bool selected = false;
        bool liveOccupied = false;
        bool reserved = false;
        bool neighbourTaken = false;
    };
    struct PassFilter {
        bool realOnly;
        bool todayOnly;
        const char* label;
    };

    void begin(AirportState& airport, const PlannerSettings& settings, const PlannerWorld& world, const ParkingClock& clock);
    void select(std::uint32_t standNumber);
    std::size_t selectedCount() const;
    int placeParkedTraffic(const std::set<std::string, std::less<>>& alreadyStanding);
    std::uint32_t standForParked(const ParkedRecord& record, const ModelCode& identity, double halfWingspanNm);
    bool fits(const Stand& stand, std::uint16_t type, double halfWingspanNm) const;
    void fillPasses(std::size_t kept);
    void runPass(const PassFilter& filter, std::size_t kept);
    std::vector<PlannedPosition> searchStands(const PassFilter& filter, int fit);
    bool inUse(const StandOption& option) const;
    bool stillStands(const StaticAircraft& aircraft) const;

    AirportState* airport_ = nullptr;
    const PlannerSettings* settings_ = nullptr;
    const PlannerWorld* world_ = nullptr;
    ParkingClock clock_;
    std::size_t wanted_ = 0;
    std::vector<Flags> flags_;
    std::vector<PlannedPosition> planned_;
    std::vector<StaticAircraft> standing_; // static aircraft of the simulator, staying or leaving
    std::mt19937 random_;
    int realFit_ = -1;
    int softFit_ = -1;
};

// Learns a live aircraft standing at a stand as a real option of it for this weekday and
// half-hour. True when the airport's options changed (one update of the learned file).
bool lf_addRealStandOption(AirportState& airport, std::uint32_t standNumber, const LiveAtAirport& aircraft,
                           const ParkingClock& clock);

} // namespace vorl

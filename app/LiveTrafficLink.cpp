#include "app/LiveTrafficLink.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "airports/ClosestAirport.h"
#include "app/AppPaths.h"
#include "app/MainLoopHooks.h"
#include "app/ParkingLink.h"
#include "app/Parameters.h"
#include "app/RealTrafficSession.h"
#include "app/StatusFigures.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "models/FlightIdentity.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"
#include "sim/FlightPlan.h"
#include "sim/LiveTraffic.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

// Landing aircraft look for their runway at the airport nearest the user within this distance.
constexpr double kAirportSearchNm = 40.0;
constexpr double kAirportRecheckNm = 2.0;

std::atomic<std::int32_t> g_playoutClock{0};
std::chrono::steady_clock::time_point g_playoutStart;

// The play-out clock counts the loop's 10 ms cycles, but never falls behind the wall clock: the
// loop restarts its rhythm at every one-second tick and drops lags, and each lost part of a
// cycle would otherwise add to the 30 s the aircraft are shown behind their data.
std::int32_t lf_advancePlayoutClock() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_playoutStart);
    const auto wall = static_cast<std::int32_t>(elapsed.count() / 10);
    const std::int32_t next = std::max(g_playoutClock.load() + 1, wall);
    g_playoutClock.store(next);
    return next;
}
std::unique_ptr<LiveTraffic> g_live;
std::vector<TrafficRecord> g_incoming;

// What the parking sees of the live aircraft, refreshed once a second by the main loop and read
// by the parking's worker.
std::mutex g_snapshotMutex;
std::vector<LiveAtAirport> g_snapshot;

struct AirportCache {
    std::optional<LatLon> searchedAt;
    std::optional<AirportView> airport;
};
AirportCache g_airport;

LiveTrafficSettings lf_settings() {
    const Parameters& p = gf_params();
    LiveTrafficSettings s;
    s.maxLive = p.MAX_LIVE_SEL.value();
    s.blockCallsign = p.BLOCK_CALLSIGN.value();
    s.collisionUserAir = p.COLLISION_USER_AIR.value();
    s.collisionUserGround = p.COLLISION_USER_GND.value();
    s.navLightsWhileParked = p.NAV_LIGHTS_WHILE_PARKED.value();
    s.straightPushbacksOnly = p.STRAIGHT_PBS_ONLY.value();
    s.liveryChanges = p.GUID_CHANGES.value();
    s.holdingThresholdMeters = p.HOLDING_THRESHOLD_METERS.value();
    s.maxHoldingMinutes = p.MAX_HOLDING_MINUTES.value();
    s.airborneOnly = p.AIRBORNE_ONLY.value();
    s.lightAircraft = p.LIGHT_AIRCRAFT.value();
    s.helicopters = p.HELICOPTERS.value();
    s.highPerfAircraft = p.HIGH_PERF_AIRCRAFT.value();
    s.rangeNm = p.RANGE.value();
    return s;
}

std::optional<UserView> lf_user() {
    const SimSession& sim = gf_simSession();
    if (!sim.connected.load()) return std::nullopt;
    const UserAircraftState state = sim.userState.load();
    if (state.latitude == 0.0 && state.longitude == 0.0) return std::nullopt;
    UserView user;
    user.position = {state.latitude, state.longitude};
    user.altitudeFt = state.altitude;
    user.aboveGroundFt = state.altitudeAboveGround;
    user.headingDeg = gf_radToDeg(state.heading);
    user.groundSpeedKt = state.groundVelocity;
    user.halfWingspanNm = sim.halfWingspanNm.load();
    user.onGround = sim.onGround.load();
    return user;
}

std::optional<AirportView> lf_airport() {
    const auto user = lf_user();
    if (!user) return g_airport.airport;
    if (g_airport.searchedAt && gf_distanceNm(*g_airport.searchedAt, user->position) < kAirportRecheckNm) return g_airport.airport;
    g_airport.searchedAt = user->position;
    const AirportInfo* nearest = gf_nearestAirport(user->position, kAirportSearchNm);
    g_airport.airport = nearest ? std::optional<AirportView>(AirportView{nearest->position(), nearest->altitude}) : std::nullopt;
    return g_airport.airport;
}

std::string lf_code(const IataCode& code, bool present) { return present ? code.str() : std::string(); }

LiveTrafficHooks lf_hooks() {
    LiveTrafficHooks hooks;
    hooks.settings = lf_settings;
    hooks.matchLivery = [](const LiveAircraft& a) -> std::optional<std::string> {
        const auto& f = gf_liveSources().matchLivery;
        return f ? f(a) : std::nullopt;
    };
    hooks.liveryFailed = [](const std::string& label, const std::string& title) {
        const auto& f = gf_liveSources().liveryFailed;
        if (f) f(label, title);
    };
    hooks.stands = gf_liveStandHooks();
    hooks.category = [](std::uint16_t typeIndex) { return gf_modelDatabase().category(typeIndex); };
    hooks.identity = [](const std::string& callsign, const std::string& registration, std::uint16_t typeIndex) {
        return gf_flightModelCode(gf_modelDatabase(), callsign, registration, typeIndex);
    };
    hooks.halfWingspanNm = [](const std::string& type) { return gf_modelDatabase().halfWingspanNm(type); };
    hooks.acceptedType = [](const std::string& type) { return !ModelDatabase::isNonAircraftType(type); };
    hooks.user = lf_user;
    hooks.airport = lf_airport;
    hooks.writeFlightPlan = [](const LiveAircraft& a) {
        FlightPlanRequest request;
        request.objectId = a.presence.objectId;
        request.category = a.category;
        request.departure = lf_code(a.origin, a.hasOrigin);
        request.destination = lf_code(a.destination, a.hasDestination);
        request.label = a.presence.label;
        return createFlightPlan(request, gf_paths().flightPlanFolder, gf_simSession().connectedToMsfs2020.load());
    };
    hooks.removeFlightPlan = [](const LiveAircraft& a) {
        gf_removeFlightPlan(gf_paths().flightPlanFolder, a.presence.objectId, a.flightPlanWritten);
    };
    hooks.requestStaticAttitude = [](std::uint32_t objectId) { requestStaticAttitude(objectId); };
    return hooks;
}

void lf_takeRecords(std::int32_t cycle) {
    if (RtLink* link = gf_rtLink()) {
        TrafficHandOff& handOff = link->traffic().handOff();
        // Live batches are kept only while the loop takes them, so that a paused flight does
        // not pile up traffic that is stale by the time it resumes.
        handOff.setAccepting(true);
        handOff.takeBuffered(g_incoming);
        if (!g_incoming.empty()) g_live->addRecords(g_incoming);
        handOff.takeLive(g_incoming);
        if (!g_incoming.empty()) g_live->addRecords(g_incoming);
    }
    g_live->admit(cycle);
}

void lf_publishSnapshot() {
    std::vector<LiveAtAirport> snapshot;
    for (const LiveAircraft& a : g_live->aircraft()) {
        if (a.presence.simState != SimState::Active || !a.groundMode) continue;
        snapshot.push_back(gf_liveAtAirport(a));
    }
    std::lock_guard lock(g_snapshotMutex);
    g_snapshot.swap(snapshot);
}

// Once a minute when asked for: every live aircraft in the simulator, one per line.
void lf_writeObjectList() {
    if (!g_live) return;
    const bool msfs2020 = gf_simSession().connectedToMsfs2020.load();
    const ModelDatabase& db = gf_modelDatabase();
    std::string text;
    for (const LiveAircraft& a : g_live->aircraft()) {
        if (a.presence.simState != SimState::Active) continue;
        const std::string id = msfs2020 ? fmt::format("{}", a.presence.objectId) : fmt::format("{:x}", a.presence.objectId);
        const bool parked = a.flightState == FlightState::Parked && a.stand.spot.number != 0;
        text += fmt::format("{};{};{};{};{};{};{}\n", id, a.callsign(), a.registration, a.type, db.airlineOf(a.code.airlineIndex),
                            a.groundMode ? "GND" : "AIR", parked ? "PARK" : "");
    }
    const auto path = gf_paths().outputInfo / "ObjectIdList.txt";
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (!gf_writeFileAtomically(path, text)) logLine("Failed to write {}", path.string());
}

void lf_perSecond() {
    if (!g_live) return;
    g_live->refresh();
    lf_publishSnapshot();
    gf_figures().liveCount.store(static_cast<int>(g_live->activeCount()));
}

} // namespace

LiveSources& gf_liveSources() {
    static LiveSources sources;
    return sources;
}

std::int32_t gf_playoutClock() { return g_playoutClock.load(); }

LiveAtAirport gf_liveAtAirport(const LiveAircraft& a) {
    LiveAtAirport entry;
    entry.callsign = a.callsign();
    entry.registration = a.registration;
    entry.identity = a.code;
    entry.parked = a.flightState == FlightState::Parked && a.stand.spot.number != 0;
    entry.stand = a.stand.spot.number;
    entry.lat = a.motion.lat;
    entry.lon = a.motion.lon;
    entry.halfWingspanNm = a.halfWingspanNm;
    return entry;
}

LiveTraffic* gf_liveTraffic() { return g_live.get(); }

void gf_liveTrafficSetUp() {
    g_playoutClock.store(0);
    g_playoutStart = std::chrono::steady_clock::now();
    g_airport = {};
    g_live = std::make_unique<LiveTraffic>(gf_simOutbox(), lf_hooks());
    MainLoopHooks& loop = gf_mainLoopHooks();
    loop.handleAddingStack = [](std::uint64_t) {
        if (g_live) lf_takeRecords(lf_advancePlayoutClock());
    };
    loop.updateLiveAircraft = [](std::uint64_t) {
        if (!g_live) return;
        g_live->update(g_playoutClock.load());
        g_live->avoidCollisions();
    };
    loop.onLiveMessage = [](const SimMessage& message) {
        if (g_live) g_live->onMessage(message);
    };
    loop.perSecondLive = lf_perSecond;
    loop.writeObjectList = lf_writeObjectList;
    gf_parkingSources().liveAircraft = [] {
        std::lock_guard lock(g_snapshotMutex);
        return g_snapshot;
    };
}

void gf_liveTrafficCloseDown() {
    MainLoopHooks& loop = gf_mainLoopHooks();
    loop.handleAddingStack = nullptr;
    loop.updateLiveAircraft = nullptr;
    loop.onLiveMessage = nullptr;
    loop.perSecondLive = nullptr;
    loop.writeObjectList = nullptr;
    gf_parkingSources().liveAircraft = nullptr;
    // The simulator removes the objects of a client that leaves; only the figures are left to tell.
    if (g_live) logLine("{} live aircraft created, {} removed", g_live->createdCount(), g_live->removedCount());
    g_live.reset();
    std::lock_guard lock(g_snapshotMutex);
    g_snapshot.clear();
}

} // namespace vorl

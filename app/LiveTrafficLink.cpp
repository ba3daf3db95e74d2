#include "app/LiveTrafficLink.h"

#include <filesystem>

#include "airports/ClosestAirport.h"
#include "app/AppPaths.h"
#include "app/LiveryMatching.h"
#include "app/Parameters.h"
#include "common/Log.h"
#include "common/RequiredLink.h"
#include "common/SafeWrite.h"
#include "models/FlightIdentity.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"
#include "sim/FlightPlan.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

// Landing aircraft look for their runway at the airport nearest the user within this distance.
constexpr double kAirportSearchNm = 40.0;
constexpr double kAirportRecheckNm = 2.0;

void lf_requireComplete(const LiveTrafficHooks& h) {
    constexpr std::string_view owner = "live traffic";
    gf_requireLink(h.settings, owner, "settings");
    gf_requireLink(h.matchLivery, owner, "matchLivery");
    gf_requireLink(h.liveryFailed, owner, "liveryFailed");
    gf_requireLink(h.category, owner, "category");
    gf_requireLink(h.identity, owner, "identity");
    gf_requireLink(h.halfWingspanNm, owner, "halfWingspanNm");
    gf_requireLink(h.acceptedType, owner, "acceptedType");
    gf_requireLink(h.user, owner, "user");
    gf_requireLink(h.airport, owner, "airport");
    gf_requireLink(h.writeFlightPlan, owner, "writeFlightPlan");
    gf_requireLink(h.removeFlightPlan, owner, "removeFlightPlan");
    gf_requireLink(h.requestStaticAttitude, owner, "requestStaticAttitude");
    gf_requireLink(h.stands.find, owner, "stands.find");
    gf_requireLink(h.stands.makeWay, owner, "stands.makeWay");
    gf_requireLink(h.stands.recordUse, owner, "stands.recordUse");
    gf_requireLink(h.stands.maxParkCheck, owner, "stands.maxParkCheck");
}

std::string lf_code(const IataCode& code, bool present) { return present ? code.str() : std::string(); }

std::string lf_objectIdText(std::uint32_t objectId) {
    // MSFS 2024 numbers its objects in a way that reads best in hexadecimal.
    return gf_simSession().connectedToMsfs2020.load() ? fmt::format("{}", objectId) : fmt::format("{:x}", objectId);
}

} // namespace

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

LiveTrafficLink::LiveTrafficLink(const ProgramServices& services, ParkingLink& parking, LiveSnapshot& snapshot,
                                 LiveryMatching& liveries)
    : services_(services), parking_(parking), snapshot_(snapshot),
      live_(std::make_unique<LiveTraffic>(services.outbox, hooks(liveries))) {}

LiveTrafficSettings LiveTrafficLink::settings() const {
    const Parameters& p = services_.params;
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

std::optional<UserView> LiveTrafficLink::user() const {
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

std::optional<AirportView> LiveTrafficLink::airport() {
    const auto here = user();
    if (!here) return airport_;
    if (airportSearchedAt_ && gf_distanceNm(*airportSearchedAt_, here->position) < kAirportRecheckNm) return airport_;
    airportSearchedAt_ = here->position;
    const AirportInfo* nearest = gf_nearestAirport(here->position, kAirportSearchNm, services_.airports);
    airport_ = nearest ? std::optional<AirportView>(AirportView{nearest->position(), nearest->altitude}) : std::nullopt;
    return airport_;
}

LiveTrafficHooks LiveTrafficLink::hooks(LiveryMatching& liveries) {
    LiveTrafficHooks hooks;
    ModelDatabase& db = services_.models;
    hooks.settings = [this] { return settings(); };
    hooks.matchLivery = [&liveries](const LiveAircraft& a) { return liveries.matchLive(a); };
    hooks.liveryFailed = [&liveries](const std::string& label, const std::string& title) { liveries.liveryFailed(label, title); };
    hooks.stands = parking_.liveStandHooks([this] { live_->removeLongestParked(); });
    hooks.category = [&db](std::uint16_t typeIndex) { return db.category(typeIndex); };
    hooks.identity = [&db](const std::string& callsign, const std::string& registration, std::uint16_t typeIndex) {
        return gf_flightModelCode(db, callsign, registration, typeIndex);
    };
    hooks.halfWingspanNm = [&db](const std::string& type) { return db.halfWingspanNm(type); };
    hooks.acceptedType = [](const std::string& type) { return !ModelDatabase::isNonAircraftType(type); };
    hooks.user = [this] { return user(); };
    hooks.airport = [this] { return airport(); };
    hooks.writeFlightPlan = [this](const LiveAircraft& a) {
        FlightPlanRequest request;
        request.objectId = a.presence.objectId;
        request.category = a.category;
        request.departure = lf_code(a.origin, a.hasOrigin);
        request.destination = lf_code(a.destination, a.hasDestination);
        request.label = a.presence.label;
        return createFlightPlan(request, services_.paths.flightPlanFolder, gf_simSession().connectedToMsfs2020.load());
    };
    hooks.removeFlightPlan = [this](const LiveAircraft& a) {
        gf_removeFlightPlan(services_.paths.flightPlanFolder, a.presence.objectId, a.flightPlanWritten);
    };
    hooks.requestStaticAttitude = [](std::uint32_t objectId) { requestStaticAttitude(objectId); };
    lf_requireComplete(hooks);
    return hooks;
}

// The play-out clock counts the loop's 10 ms cycles, but never falls behind the wall clock: the
// loop restarts its rhythm at every one-second tick and drops lags, and each lost part of a
// cycle would otherwise add to the 30 s the aircraft are shown behind their data.
std::int32_t LiveTrafficLink::advancePlayoutClock() {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - playoutStart_);
    const auto wall = static_cast<std::int32_t>(elapsed.count() / 10);
    const std::int32_t next = std::max(playoutClock_.load() + 1, wall);
    playoutClock_.store(next);
    return next;
}

void LiveTrafficLink::requestRemoval(std::uint32_t hexId) {
    std::lock_guard lock(removalsMutex_);
    removals_.push_back(hexId);
}

void LiveTrafficLink::update() {
    const std::int32_t cycle = advancePlayoutClock();
    std::vector<std::uint32_t> removals;
    {
        std::lock_guard lock(removalsMutex_);
        removals.swap(removals_);
    }
    for (const std::uint32_t hexId : removals) live_->removeHexId(hexId);
    live_->update(cycle);
}

void LiveTrafficLink::takeRecords(RtLink* link) {
    if (link != nullptr) {
        TrafficHandOff& handOff = link->traffic().handOff();
        // Live batches are kept only while the loop takes them, so that a paused flight does
        // not pile up traffic that is stale by the time it resumes.
        handOff.setAccepting(true);
        handOff.takeBuffered(incoming_);
        if (!incoming_.empty()) live_->addRecords(incoming_);
        handOff.takeLive(incoming_);
        if (!incoming_.empty()) live_->addRecords(incoming_);
    }
    live_->admit(playoutClock_.load());
}

void LiveTrafficLink::avoidCollisions() { live_->avoidCollisions(); }

void LiveTrafficLink::onMessage(const SimMessage& message) { live_->onMessage(message); }

void LiveTrafficLink::perSecond() {
    live_->refresh();
    std::vector<LiveAtAirport> snapshot;
    std::vector<LiveAtAirport> taxiing;
    for (const LiveAircraft& a : live_->aircraft()) {
        if (a.presence.simState != SimState::Active || !a.groundMode) continue;
        snapshot.push_back(gf_liveAtAirport(a));
        const bool moving = a.flightState == FlightState::Taxi || a.flightState == FlightState::Parking;
        if (moving && !a.takeOffRoll && !a.landingRoll) taxiing.push_back(snapshot.back());
    }
    snapshot_.publish(std::move(snapshot));
    parking_.guardStatics(taxiing);
    activeCount_.store(static_cast<int>(live_->activeCount()));
    parkedCount_.store(static_cast<int>(live_->parkedCount()));
}

void LiveTrafficLink::writeObjectList() const {
    const ModelDatabase& db = services_.models;
    std::string text;
    for (const LiveAircraft& a : live_->aircraft()) {
        if (a.presence.simState != SimState::Active) continue;
        const bool parked = a.flightState == FlightState::Parked && a.stand.spot.number != 0;
        text += fmt::format("{};{};{};{};{};{};{}\n", lf_objectIdText(a.presence.objectId), a.callsign(), a.registration,
                            a.type, db.airlineOf(a.code.airlineIndex), a.groundMode ? "GND" : "AIR", parked ? "PARK" : "");
    }
    const auto path = services_.paths.outputInfo / "ObjectIdList.txt";
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (!gf_writeFileAtomically(path, text)) logLine("Failed to write {}", path.string());
}

void LiveTrafficLink::reportUnmatchedLiveries() const {
    const auto& unmatched = live_->unmatchedLiveries();
    if (unmatched.empty()) return;
    logLine("{:5} aircraft without a matching livery:", unmatched.size());
    for (const std::string& key : unmatched) logLine("      {}", key);
}

std::optional<std::string> LiveTrafficLink::objectIdText(const std::string& callsign) const {
    const LiveAircraft* a = live_->activeByCallsign(callsign);
    if (a == nullptr || a->presence.objectId == 0) return std::nullopt;
    return lf_objectIdText(a->presence.objectId);
}

void LiveTrafficLink::closeDown() {
    logLine("{} live aircraft created, {} removed", live_->createdCount(), live_->removedCount());
    snapshot_.publish({});
    activeCount_.store(0);
    parkedCount_.store(0);
}

} // namespace vorl

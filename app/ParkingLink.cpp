#include "app/ParkingLink.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>

#include "airports/AirportFileLocator.h"
#include "airports/AirportFilesContext.h"
#include "airports/ClosestAirport.h"
#include "airports/ClosestStand.h"
#include "app/AppPaths.h"
#include "app/LiveTrafficLink.h"
#include "app/MainLoopHooks.h"
#include "app/Parameters.h"
#include "app/RealTrafficSession.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/UserPosition.h"
#include "common/LatestJobWorker.h"
#include "common/Log.h"
#include "models/FlightIdentity.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"
#include "sim/LiveAircraft.h"
#include "sim/LiveTraffic.h"
#include "sim/SimHooks.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

// The user's aircraft counts as settled on the ground below this speed.
constexpr double kSettledKnots = 2.0;

struct ParkingRun {
    ParkAirportList list;
    ParkAirport park;
    std::mutex mutex; // the park airport, shared by the worker and the main loop
    // Planning waits for parked traffic (up to seconds), so it runs on a worker of its own; the
    // main loop only places the planned aircraft and never waits for the worker.
    LatestJobWorker worker{"parking"};
    std::atomic<bool> renewalAsked{false};
    // Where the user's aircraft last settled: the choice of airport (which may fetch airport
    // files for the closest-stand rule) is made once per place it settles at. Main loop only.
    std::optional<LatLon> lastSettled;
    // The simulator's answers about static aircraft wait here while the worker holds the airport.
    std::mutex messagesMutex;
    std::vector<SimMessage> messages;

    void applyMessages() {
        std::vector<SimMessage> pending;
        {
            std::lock_guard lock(messagesMutex);
            pending.swap(messages);
        }
        for (const SimMessage& m : pending) {
            if (m.kind == SimMessageKind::StaticCreated) park.onStaticCreated(m.aircraftId, m.objectId);
            else if (m.kind == SimMessageKind::ObjectRemoved) park.onObjectRemoved(m.objectId);
            else if (m.kind == SimMessageKind::CreateFailed) park.onCreateFailed(m.aircraftId);
        }
    }

    ParkingRun(ParkAirportList::AirportLookup lookup, ParkingHooks hooks)
        : list(gf_paths().myParkAirports, std::move(lookup), [](const std::string& t) { gf_status().setStatus(t, true); }),
          park(list, std::move(hooks)) {}
};

std::unique_ptr<ParkingRun> g_run;

PlannerSettings lf_plannerSettings() {
    const Parameters& p = gf_params();
    PlannerSettings s;
    s.parkingPercentage = p.parking_percentage.value();
    s.customParkingPercentage = p.CUSTOM_PARKING_PERCENTAGE.value();
    s.maxParkSel = p.MAX_PARK_SEL.value();
    s.maxFit = p.MAX_FIT.value();
    s.week = p.WEEK.value();
    s.parkSoft = p.PARK_SOFT.value();
    s.rtParkTrafficOnly = p.RT_PARKTRAFFIC_ONLY.value();
    s.helicopterStands = p.HELICOPTERS.value();
    return s;
}

ParkingSettings lf_parkingSettings() {
    const Parameters& p = gf_params();
    ParkingSettings s;
    s.range = p.RANGE.value();
    s.autoRange = p.AUTO_RANGE.value();
    s.initialLoadOnly = p.INITIAL_LOAD_ONLY.value();
    s.parkSoft = p.PARK_SOFT.value();
    s.parkingPercentage = p.parking_percentage.value();
    s.maxFit = p.MAX_FIT.value();
    s.week = p.WEEK.value();
    s.rtParkTrafficOnly = p.RT_PARKTRAFFIC_ONLY.value();
    return s;
}

void lf_applyAirportSettings(const ParkingSettings& s) {
    Parameters& p = gf_params();
    p.INITIAL_LOAD_ONLY.set(s.initialLoadOnly);
    p.PARK_SOFT.set(s.parkSoft);
    p.parking_percentage.set(s.parkingPercentage);
    p.MAX_FIT.set(s.maxFit);
    p.MAX_FIT_FL.set(static_cast<float>(gf_maxFitHours(s.maxFit)));
    p.WEEK.set(s.week);
    p.RT_PARKTRAFFIC_ONLY.set(s.rtParkTrafficOnly);
    for (const Parameter* parameter : {static_cast<const Parameter*>(&p.INITIAL_LOAD_ONLY), static_cast<const Parameter*>(&p.PARK_SOFT),
                                       static_cast<const Parameter*>(&p.parking_percentage), static_cast<const Parameter*>(&p.MAX_FIT),
                                       static_cast<const Parameter*>(&p.MAX_FIT_FL), static_cast<const Parameter*>(&p.WEEK),
                                       static_cast<const Parameter*>(&p.RT_PARKTRAFFIC_ONLY)})
        p.updateControl(*parameter);
}

PlannerWorld lf_world(const NearAirport& airport) {
    PlannerWorld world;
    if (gf_parkingSources().liveAircraft) world.live = gf_parkingSources().liveAircraft();
    ModelDatabase& db = gf_modelDatabase();
    world.halfWingspanNm = [&db](std::uint16_t type) {
        return db.halfWingspanNm(db.typeOf(type)).value_or(17.0 * kMetersToNm);
    };
    world.category = [&db](std::uint16_t type) { return static_cast<int>(db.category(type)); };
    world.identityOf = [&db](const ParkedRecord& record) {
        if (record.code.airlineIndex != 0) return record.code;
        return gf_flightModelCode(db, record.callsign, record.registration,
                                  record.code.typeIndex != 0 ? record.code.typeIndex : db.typeIndexOf(record.type));
    };
    RtLink* link = gf_rtLink();
    if (link != nullptr && gf_params().MAX_PARK_SEL.value() > 0 &&
        // Parked traffic as old as the fit window is still worth placing, like the stands' history.
        link->traffic().requestParkedTraffic(airport.position, gf_params().MAX_FIT.value(), false)) {
        world.parkedTrafficReceived = true;
        world.parkedTraffic = link->traffic().parkedRecords();
    }
    return world;
}

void lf_createStatic(const PlannedPosition& position, const Stand& stand, std::uint32_t aircraftId) {
    const auto& sources = gf_parkingSources();
    const auto title = sources.staticLivery ? sources.staticLivery(position.airline, position.type, position.registration)
                                            : std::nullopt;
    if (!title) {
        logLine("{:8}: no livery for static {} {}", stand.id, position.callsign, position.registration);
        return;
    }
    CreateRequest request;
    request.initPosition.Latitude = stand.latitude;
    request.initPosition.Longitude = stand.longitude;
    request.initPosition.Altitude = 0.0;
    request.initPosition.Heading = gf_radToDeg(stand.heading);
    request.initPosition.OnGround = 1;
    request.callsign = position.callsign.empty() ? position.registration : position.callsign;
    request.liveryTitle = *title;
    request.aircraftId = aircraftId;
    gf_simOutbox().queueStaticCreation(std::move(request));
}

ParkingHooks lf_hooks() {
    ParkingHooks hooks;
    hooks.closestAirport = [](LatLon p) {
        const auto& f = gf_parkingSources().closestAirport;
        return f ? f(p) : std::nullopt;
    };
    hooks.hasAirportFile = [](std::string_view icao) { return gf_hasAirportFile(icao); };
    hooks.locateAirportFile = [](std::string_view icao) { return gf_locateAirportFile(icao); };
    hooks.plannerSettings = lf_plannerSettings;
    hooks.applyAirportSettings = lf_applyAirportSettings;
    hooks.world = lf_world;
    hooks.liveAircraft = [] {
        const auto& f = gf_parkingSources().liveAircraft;
        return f ? f() : std::vector<LiveAtAirport>{};
    };
    hooks.createStatic = lf_createStatic;
    hooks.removeStatic = [](std::uint32_t objectId, std::uint32_t aircraftId) {
        if (objectId != 0) gf_simOutbox().queueRemoval(objectId);
        else (void)aircraftId;
    };
    hooks.status = [](const std::string& text) { gf_status().setStatus(text, true); };
    hooks.clock = [] { return gf_parkingClock(std::time(nullptr)); };
    return hooks;
}

std::mutex g_currentMutex;
std::optional<CurrentAirport> g_current;

void lf_publishCurrentAirport(const ParkAirport& park) {
    std::optional<CurrentAirport> current;
    if (const auto& airport = park.nearAirport()) {
        const AirportState* state = park.airport();
        current = CurrentAirport{airport->position, state != nullptr ? static_cast<double>(state->elevationFeet) : 0.0};
        if (const AirportInfo* info = gf_airportDatabase().find(IcaoCode(airport->icao)); info && (state == nullptr || state->elevationFeet == 0))
            current->elevationFt = info->altitude;
    }
    std::lock_guard lock(g_currentMutex);
    g_current = current;
}

void lf_showFigures(const ParkAirport& park) {
    lf_publishCurrentAirport(park);
    StatusFigures& figures = gf_figures();
    figures.staticCount.store(static_cast<int>(park.staticCount()));
    const AirportState* airport = park.airport();
    figures.parkStands.store(airport ? static_cast<int>(airport->stands.size()) : 0);
    figures.parkUpdates.store(airport ? airport->updates : 0);
}

// Every sixteenth second: the park airport follows the user's aircraft.
void lf_followUser() {
    if (!g_run || g_run->worker.busy()) return;
    const SimSession& sim = gf_simSession();
    const UserAircraftState user = sim.userState.load();
    const bool airborne = !sim.onGround.load();
    const LatLon here{user.latitude, user.longitude};
    const auto& last = g_run->lastSettled;
    const bool settledAnew = sim.onGround.load() && user.groundVelocity <= kSettledKnots &&
                             (!last || std::fabs(last->lat - here.lat) > 1e-8 || std::fabs(last->lon - here.lon) > 1e-8);
    if (settledAnew) g_run->lastSettled = here;
    if (airborne) g_run->lastSettled.reset();
    const bool renew = g_run->renewalAsked.exchange(false);
    if (!settledAnew && !airborne && !renew) return;
    g_run->worker.post([settled = settledAnew, airborne, renew, user] {
        std::lock_guard lock(g_run->mutex);
        const Parameters& p = gf_params();
        const LatLon position{user.latitude, user.longitude};
        if (settled) {
            const auto stand = g_run->park.nearestStandName(user.latitude, user.longitude, kUserStandNm);
            g_run->park.chooseOnGround(position, stand.value_or(""));
        } else if (airborne) {
            g_run->park.checkAirborne(position, user.altitude, p.AIRP_RANGE.value(), p.AIRP_HEIGHT.value());
        }
        if (renew) g_run->park.adjust(false);
        lf_showFigures(g_run->park);
    });
}

// Once a second: the next planned static aircraft, unless the worker holds the airport.
void lf_placeNext() {
    if (!g_run) return;
    std::unique_lock lock(g_run->mutex, std::try_to_lock);
    if (!lock.owns_lock()) return;
    g_run->applyMessages();
    g_run->park.placeNextStatic();
    lf_showFigures(g_run->park);
}

void lf_connectSimHooks() {
    SimHooks& hooks = gf_simHooks();
    hooks.parkAirportHasStands = [] {
        if (!g_run) return false;
        std::unique_lock lock(g_run->mutex, std::try_to_lock);
        return lock.owns_lock() && g_run->park.airport() != nullptr && !g_run->park.airport()->stands.empty();
    };
    hooks.nearestStandName = [](double lat, double lon, double maxNm) -> std::optional<std::string> {
        if (!g_run) return std::nullopt;
        std::unique_lock lock(g_run->mutex, std::try_to_lock);
        if (!lock.owns_lock()) return std::nullopt;
        return g_run->park.nearestStandName(lat, lon, maxNm);
    };
}

const AirportInfo* lf_known(std::string_view icao) {
    if (!IcaoCode::isValid(icao)) return nullptr;
    return gf_airportDatabase().find(IcaoCode(icao));
}

// The airport database answers where airports are and which have archived airport files.
ParkingSources lf_airportDatabaseSources() {
    ParkingSources sources;
    sources.closestAirport = [](LatLon position) -> std::optional<NearAirport> {
        const AirportInfo* airport = gf_closestAirport(position, gf_airportDatabase(), [](const AirportInfo& a, LatLon p) {
            ClosestStand stand;
            stand.distanceNm = gf_readDestApfForClosestStand(a.icao.view(), p.lat, p.lon, stand.name);
            return stand;
        });
        if (airport == nullptr) return std::nullopt;
        return NearAirport{airport->icao.str(), airport->position(), gf_distanceNm(position, airport->position())};
    };
    sources.airportPosition = [](std::string_view icao) -> std::optional<LatLon> {
        const AirportInfo* airport = lf_known(icao);
        return airport ? std::optional<LatLon>(airport->position()) : std::nullopt;
    };
    sources.standClass = [](std::string_view icao) -> std::optional<int> {
        const AirportInfo* airport = lf_known(icao);
        return airport ? std::optional<int>(airport->stands) : std::nullopt;
    };
    return sources;
}

StandSpot lf_spotOf(const Stand& stand) {
    return {stand.number, stand.id, stand.latitude, stand.longitude, stand.heading, stand.radius, stand.cargo, stand.adjacent};
}

} // namespace

std::optional<CurrentAirport> gf_currentParkAirport() {
    std::lock_guard lock(g_currentMutex);
    return g_current;
}

LiveStandHooks gf_liveStandHooks() {
    LiveStandHooks hooks;
    hooks.find = [](const LiveAircraft& a, LatLon at, bool wide) -> StandAnswer {
        if (!g_run) return {};
        std::unique_lock lock(g_run->mutex, std::try_to_lock);
        if (!lock.owns_lock()) return {StandSearch::Busy, {}};
        LiveStandQuery query{at, a.halfWingspanNm, a.category, wide, a.callsign(), a.registration, a.code, {}};
        const LiveStandFind found = g_run->park.findLiveStand(std::move(query));
        const Stand* stand = found.number != 0 ? g_run->park.stand(found.number) : nullptr;
        if (stand == nullptr) return {};
        if (found.widened) gf_figures().standChanges.fetch_add(1);
        return {StandSearch::Found, lf_spotOf(*stand)};
    };
    hooks.makeWay = [](const StandSpot& stand, const LiveAircraft& a) {
        if (!g_run) return;
        std::lock_guard lock(g_run->mutex);
        g_run->park.makeWayForLive(stand.number, a.callsign());
    };
    hooks.recordUse = [](const StandSpot& stand, const LiveAircraft& a) {
        if (!g_run) return;
        std::unique_lock lock(g_run->mutex, std::try_to_lock);
        if (lock.owns_lock()) g_run->park.learnLiveAtStand(stand.number, gf_liveAtAirport(a));
    };
    hooks.maxParkCheck = [](bool aboutToPark) {
        if (!g_run) return;
        std::unique_lock lock(g_run->mutex, std::try_to_lock);
        if (!lock.owns_lock()) return;
        g_run->park.maxParkCheck(aboutToPark, [] {
            if (LiveTraffic* live = gf_liveTraffic()) live->removeLongestParked();
        });
    };
    return hooks;
}

ParkingSources& gf_parkingSources() {
    static ParkingSources sources = lf_airportDatabaseSources();
    return sources;
}

void gf_parkingSessionSetUp() {
    const Parameters& p = gf_params();
    AirportFilesContext& context = gf_airportFilesContext();
    context.root = ".";
    context.serverBase = p.DOWNLOAD_SERVER_URL.value();
    context.msfs2020 = p.isMsfs2020();
    context.standClass = [](std::string_view icao) {
        const auto& f = gf_parkingSources().standClass;
        return f ? f(icao) : std::nullopt;
    };
    context.currentSettings = lf_parkingSettings;

    const auto lookup = [](std::string_view icao) {
        const auto& f = gf_parkingSources().airportPosition;
        return f ? f(icao) : std::nullopt;
    };
    g_run = std::make_unique<ParkingRun>(lookup, lf_hooks());
    g_run->list.read();
    g_run->worker.start();
    lf_connectSimHooks();

    MainLoopHooks& loop = gf_mainLoopHooks();
    loop.planStaticParkingOnce = lf_followUser;
    loop.updateStaticParking = lf_followUser;
    loop.onStaticMessage = [](const SimMessage& message) {
        if (!g_run) return;
        std::lock_guard lock(g_run->messagesMutex);
        g_run->messages.push_back(message);
    };
    loop.perSecondParking = lf_placeNext;
    loop.renewStaticParking = [] {
        if (!g_run || gf_params().INITIAL_LOAD_ONLY.value()) return false;
        g_run->renewalAsked = true;
        return true;
    };
}

void gf_parkingCloseDown() {
    {
        std::lock_guard lock(g_currentMutex);
        g_current.reset();
    }
    if (!g_run) return;
    g_run->worker.stop();
    {
        std::lock_guard lock(g_run->mutex);
        g_run->park.leave();
    }
    MainLoopHooks& loop = gf_mainLoopHooks();
    loop.planStaticParkingOnce = nullptr;
    loop.updateStaticParking = nullptr;
    loop.perSecondParking = nullptr;
    loop.onStaticMessage = nullptr;
    loop.renewStaticParking = nullptr;
    gf_simHooks().parkAirportHasStands = nullptr;
    gf_simHooks().nearestStandName = nullptr;
    g_run.reset();
}

} // namespace vorl

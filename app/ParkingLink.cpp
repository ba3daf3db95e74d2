#include "app/ParkingLink.h"

#include <cmath>

#include "airports/AirportDatabase.h"
#include "airports/AirportFileLocator.h"
#include "airports/AirportFilesContext.h"
#include "airports/ClosestAirport.h"
#include "airports/ClosestStand.h"
#include "app/AppPaths.h"
#include "app/LiveTrafficLink.h"
#include "app/LiveryMatching.h"
#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "common/Log.h"
#include "common/RequiredLink.h"
#include "models/FlightIdentity.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"
#include "sim/AircraftControls.h"
#include "sim/LiveAircraft.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

// The user's aircraft counts as settled on the ground below this speed.
constexpr double kSettledKnots = 2.0;
// Cycles from a static aircraft's creation to its shut-down: the simulator has settled the model.
constexpr int kStaticActivationCycles = 200;

void lf_requireComplete(const ParkingHooks& h) {
    constexpr std::string_view owner = "static parking";
    gf_requireLink(h.closestAirport, owner, "closestAirport");
    gf_requireLink(h.hasAirportFile, owner, "hasAirportFile");
    gf_requireLink(h.locateAirportFile, owner, "locateAirportFile");
    gf_requireLink(h.fallbackAirportFile, owner, "fallbackAirportFile");
    gf_requireLink(h.plannerSettings, owner, "plannerSettings");
    gf_requireLink(h.applyAirportSettings, owner, "applyAirportSettings");
    gf_requireLink(h.world, owner, "world");
    gf_requireLink(h.liveAircraft, owner, "liveAircraft");
    gf_requireLink(h.createStatic, owner, "createStatic");
    gf_requireLink(h.removeStatic, owner, "removeStatic");
    gf_requireLink(h.status, owner, "status");
    gf_requireLink(h.clock, owner, "clock");
}

const AirportInfo* lf_known(const AirportDatabase& airports, std::string_view icao) {
    if (!IcaoCode::isValid(icao)) return nullptr;
    return airports.find(IcaoCode(icao));
}

StandSpot lf_spotOf(const Stand& stand) {
    return {stand.number, stand.id, stand.latitude, stand.longitude, stand.heading, stand.radius, stand.cargo, stand.adjacent};
}

} // namespace

void LiveSnapshot::publish(std::vector<LiveAtAirport> aircraft) {
    std::lock_guard lock(mutex_);
    aircraft_.swap(aircraft);
}

std::vector<LiveAtAirport> LiveSnapshot::aircraft() const {
    std::lock_guard lock(mutex_);
    return aircraft_;
}

ParkingLink::ParkingLink(const ProgramServices& services, const LiveSnapshot& live, LiveryMatching& liveries,
                         std::function<RtLink*()> realTraffic)
    : services_(services), live_(live), liveries_(liveries), realTraffic_(std::move(realTraffic)),
      facilities_(services.paths.airports / "simfacilities"),
      list_(services.paths.myParkAirports,
            [&airports = services.airports](std::string_view icao) -> std::optional<LatLon> {
                const AirportInfo* airport = lf_known(airports, icao);
                return airport ? std::optional<LatLon>(airport->position()) : std::nullopt;
            },
            [&status = services.status](const std::string& t) { status.setStatus(t, true); }),
      park_(list_, hooks()) {
    gf_requireLink(realTraffic_, "static parking", "realTraffic");
    AirportFilesContext& context = gf_airportFilesContext();
    context.root = ".";
    context.serverBase = services.params.DOWNLOAD_SERVER_URL.value();
    context.msfs2020 = services.params.isMsfs2020();
    context.standClass = [&airports = services.airports](std::string_view icao) -> std::optional<int> {
        const AirportInfo* airport = lf_known(airports, icao);
        return airport ? std::optional<int>(airport->stands) : std::nullopt;
    };
    context.currentSettings = [this] { return parkingSettings(); };
    list_.read();
    worker_.start();
}

ParkingLink::~ParkingLink() {
    worker_.stop();
    // The airport files outlive the run; they must not ask a parking that is gone.
    gf_airportFilesContext().currentSettings = nullptr;
}

PlannerSettings ParkingLink::plannerSettings() const {
    const Parameters& p = services_.params;
    PlannerSettings s;
    s.parkingPercentage = p.parking_percentage.value();
    s.customParkingPercentage = p.CUSTOM_PARKING_PERCENTAGE.value();
    s.maxParkSel = p.MAX_PARK_SEL.value();
    s.maxFit = p.MAX_FIT.value();
    s.week = p.WEEK.value();
    s.parkSoft = p.PARK_SOFT.value();
    s.rtParkTrafficOnly = p.RT_PARKTRAFFIC_ONLY.value();
    s.helicopterStands = p.HELICOPTERS.value();
    s.initialLoadOnly = p.INITIAL_LOAD_ONLY.value();
    return s;
}

ParkingSettings ParkingLink::parkingSettings() const {
    const Parameters& p = services_.params;
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

void ParkingLink::applyAirportSettings(const ParkingSettings& s) {
    Parameters& p = services_.params;
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

PlannerWorld ParkingLink::world(const NearAirport& airport) {
    PlannerWorld world;
    world.live = live_.aircraft();
    // What the simulator shows near the user right now is not planned again as a static aircraft.
    world.inRangeCallsigns = gf_simSession().inRangeCallsigns();
    ModelDatabase& db = services_.models;
    world.halfWingspanNm = [&db](std::uint16_t type) {
        return db.halfWingspanNm(db.typeOf(type)).value_or(17.0 * kMetersToNm);
    };
    world.category = [&db](std::uint16_t type) { return static_cast<int>(db.category(type)); };
    world.identityOf = [&db](const ParkedRecord& record) {
        if (record.code.airlineIndex != 0) return record.code;
        return gf_flightModelCode(db, record.callsign, record.registration,
                                  record.code.typeIndex != 0 ? record.code.typeIndex : db.typeIndexOf(record.type));
    };
    RtLink* link = realTraffic_();
    const Parameters& p = services_.params;
    if (link == nullptr || p.MAX_PARK_SEL.value() <= 0) return world;
    try {
        // Parked traffic as old as the fit window is still worth placing, like the stands' history.
        if (link->traffic().requestParkedTraffic(airport.position, p.MAX_FIT.value(), false)) {
            world.parkedTrafficReceived = true;
            world.parkedTraffic = link->traffic().parkedRecords();
        }
    } catch (const std::exception& e) {
        // Without parked traffic the airport file's options still fill the stands.
        logLine("{} exception: {}", "requestParkedTraffic", e.what());
    }
    return world;
}

bool ParkingLink::createStatic(const PlannedPosition& position, const Stand& stand, std::uint32_t aircraftId) {
    ModelCode code;
    code.airlineIndex = position.airline;
    code.operatorIndex = position.operatorIndex;
    code.typeIndex = position.type;
    code.cargo = position.cargo ? 1 : 0;
    const auto title = liveries_.matchStatic(code, position.registration, stand.cargo);
    if (!title) {
        logLine("{:8}: no livery for static {} {}", stand.id, position.callsign, position.registration);
        return false;
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
    created_[aircraftId] = {fmt::format("{:8}: static {}", stand.id, request.callsign), *title};
    services_.outbox.queueStaticCreation(std::move(request));
    return true;
}

ParkingHooks ParkingLink::hooks() {
    ParkingHooks hooks;
    const AirportDatabase& airports = services_.airports;
    hooks.closestAirport = [&airports](LatLon position) -> std::optional<NearAirport> {
        const AirportInfo* airport = gf_closestAirport(position, airports, [](const AirportInfo& a, LatLon p) {
            ClosestStand stand;
            stand.distanceNm = gf_readDestApfForClosestStand(a.icao.view(), p.lat, p.lon, stand.name);
            return stand;
        });
        if (airport == nullptr) return std::nullopt;
        return NearAirport{airport->icao.str(), airport->position(), gf_distanceNm(position, airport->position())};
    };
    hooks.hasAirportFile = [](std::string_view icao) { return gf_hasAirportFile(icao); };
    hooks.locateAirportFile = [](std::string_view icao) { return gf_locateAirportFile(icao); };
    hooks.fallbackAirportFile = [this](const std::string& icao) { return facilities_.airportFile(icao); };
    hooks.plannerSettings = [this] { return plannerSettings(); };
    hooks.applyAirportSettings = [this](const ParkingSettings& s) { applyAirportSettings(s); };
    hooks.world = [this](const NearAirport& airport) { return world(airport); };
    hooks.liveAircraft = [this] { return live_.aircraft(); };
    hooks.createStatic = [this](const PlannedPosition& position, const Stand& stand, std::uint32_t aircraftId) {
        return createStatic(position, stand, aircraftId);
    };
    hooks.removeStatic = [this](std::uint32_t objectId, std::uint32_t aircraftId) {
        std::lock_guard lock(messagesMutex_);
        removals_.push_back({objectId, aircraftId});
    };
    hooks.status = [this](const std::string& text) { services_.status.setStatus(text, true); };
    hooks.clock = [] { return gf_parkingClock(std::time(nullptr)); };
    lf_requireComplete(hooks);
    return hooks;
}

void ParkingLink::sendRemovals() {
    std::vector<Removal> removals;
    {
        std::lock_guard lock(messagesMutex_);
        removals.swap(removals_);
    }
    for (const Removal& r : removals) {
        // A creation still waiting in the outbox is taken back; one already sent is removed
        // when its object id arrives.
        if (r.objectId != 0) services_.outbox.queueRemoval(r.objectId);
        else services_.outbox.withdrawQueuedStaticCreation(r.aircraftId);
    }
}

void ParkingLink::makeWayNow(const MakeWay& way) {
    if (way.spawned) park_.parkLiveOver(way.stand, way.callsign);
    else park_.makeWayForLive(way.stand, way.callsign, way.excludedStand);
}

void ParkingLink::applyMessages() {
    std::vector<SimMessage> pending;
    std::vector<MakeWay> makeWay;
    std::vector<std::pair<std::uint32_t, LiveAtAirport>> learned;
    {
        std::lock_guard lock(messagesMutex_);
        pending.swap(messages_);
        makeWay.swap(makeWay_);
        learned.swap(learned_);
    }
    for (const MakeWay& m : makeWay) makeWayNow(m);
    for (const auto& [stand, aircraft] : learned) park_.learnLiveAtStand(stand, aircraft);
    for (const SimMessage& m : pending) {
        if (m.kind == SimMessageKind::StaticCreated) {
            park_.onStaticCreated(m.aircraftId, m.objectId);
        } else if (m.kind == SimMessageKind::ObjectRemoved) {
            park_.onObjectRemoved(m.objectId);
        } else if (m.kind == SimMessageKind::CreateFailed) {
            park_.onCreateFailed(m.aircraftId);
            // A refused livery counts like a live one's and is not picked again.
            if (const auto it = created_.find(m.aircraftId); it != created_.end())
                liveries_.liveryFailed(it->second.label, it->second.title);
        }
    }
}

// Called with the airport's lock held, on whichever thread changed it.
void ParkingLink::publish() {
    std::optional<CurrentAirport> current;
    const AirportState* state = park_.airport();
    if (const auto& airport = park_.nearAirport()) {
        current = CurrentAirport{airport->position, state != nullptr ? static_cast<double>(state->elevationFeet) : 0.0};
        const AirportInfo* info = lf_known(services_.airports, airport->icao);
        if (info != nullptr && (state == nullptr || state->elevationFeet == 0)) current->elevationFt = info->altitude;
    }
    // Only what the simulator shows counts: a static aircraft still waiting for its object is not there yet.
    staticCount_.store(static_cast<int>(park_.staticObjectIds().size()));
    ParkingPanel panel;
    panel.airport = park_.icao();
    panel.reservedStand = park_.reservedStand();
    panel.stands = state ? static_cast<int>(state->stands.size()) : 0;
    panel.updates = state ? state->updates : 0;
    panel.staticCount = staticCount_.load();
    panel.qualityFactor = state && state->qfReal >= 0 ? fmt::format("{}/{}", state->qfReal, state->qfSoft) : std::string();
    if (const auto fit = park_.averageFit()) panel.averageFit = fmt::format("{:.1f}", *fit);
    if (state)
        panel.trafficWeek = fmt::format(" {}, {}{}, wk={}", state->icao, state->publisher, state->handmade ? " (handmade)" : "",
                                        state->rtTrafficWeeks);
    const Parameters& p = services_.params;
    panel.maxPark = park_.isSet() && !p.RT_PARKTRAFFIC_ONLY.value() ? park_.wantedCount() : -1;
    panel.parkingPercentage = p.parkingPercentage();
    panel.week = p.WEEK.value();
    panel.soft = p.PARK_SOFT.value();
    std::lock_guard lock(publishedMutex_);
    current_ = current;
    panel_ = std::move(panel);
}

void ParkingLink::followUser(bool renew) {
    if (paused_.load() || worker_.busy()) return;
    const SimSession& sim = gf_simSession();
    const UserAircraftState user = sim.userState.load();
    const bool onGround = sim.onGround.load();
    const LatLon here{user.latitude, user.longitude};
    const bool settledAnew = onGround && user.groundVelocity <= kSettledKnots &&
                             (!lastSettled_ || std::fabs(lastSettled_->lat - here.lat) > 1e-8 ||
                              std::fabs(lastSettled_->lon - here.lon) > 1e-8);
    if (settledAnew) lastSettled_ = here;
    if (!onGround) lastSettled_.reset();
    std::string reserve;
    {
        std::lock_guard lock(messagesMutex_);
        reserve.swap(userStandToReserve_);
    }
    if (!settledAnew && onGround && !renew && reserve.empty()) return;
    worker_.post([this, settled = settledAnew, airborne = !onGround, renew, user, reserve] {
        std::lock_guard lock(mutex_);
        const Parameters& p = services_.params;
        const LatLon position{user.latitude, user.longitude};
        if (!reserve.empty() && park_.isSet()) {
            const std::string before = park_.reservedStand();
            if (before != reserve) list_.remember(park_.icao(), reserve);
        }
        const std::string before = park_.icao();
        if (settled) {
            const auto stand = park_.nearestStandName(user.latitude, user.longitude, kUserStandNm);
            park_.chooseOnGround(position, stand.value_or(""));
        } else if (airborne) {
            park_.checkAirborne(position, user.altitude, p.AIRP_RANGE.value(), p.AIRP_HEIGHT.value());
        }
        // An airport chosen in the air learns the user's stand only once the aircraft is down.
        if (!airborne) park_.setUserStand(park_.nearestStandName(user.latitude, user.longitude, kUserStandNm).value_or(""));
        if (renew) park_.adjust(false);
        if (park_.isSet() && park_.icao() != before) newPlan_.store(true);
        publish();
    });
}

void ParkingLink::placeNext() {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    applyMessages();
    if (!paused_.load()) park_.placeNextStatic();
    publish();
    sendRemovals();
}

void ParkingLink::onStaticMessage(const SimMessage& message) {
    {
        std::lock_guard lock(messagesMutex_);
        messages_.push_back(message);
    }
    if (message.kind == SimMessageKind::StaticCreated) activations_.push_back({message.objectId, 0});
}

void ParkingLink::stepActivations() {
    if (activations_.empty()) return;
    for (Activation& a : activations_) ++a.cycles;
    if (activations_.front().cycles < kStaticActivationCycles) return;
    // The airport may be busy with a plan: the aircraft shuts down a cycle later then.
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    applyMessages();
    const bool navLights = services_.params.NAV_LIGHTS_WHILE_PARKED.value();
    while (!activations_.empty() && activations_.front().cycles >= kStaticActivationCycles) {
        const std::uint32_t objectId = activations_.front().objectId;
        activations_.erase(activations_.begin());
        // Gone meanwhile (made way, flushed): nothing to shut down.
        const auto parked = park_.staticByObject(objectId);
        if (!parked) continue;
        std::uint32_t throttle = kNoThrottleSent, flaps = kNoFlapsSent;
        const AiControlTarget target{objectId, AircraftCategory::Large, throttle, flaps};
        gf_queueShutDownSet(services_.outbox, target, navLights, parked->cargoStand, gf_drawZeroToNine());
        logLine("{:8}: {:8} parked", parked->standId, parked->callsign);
    }
}

bool ParkingLink::clearReservedStand() {
    bool removed = false;
    {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return false;
        const std::string reserved = park_.reservedStand();
        removed = !reserved.empty() && park_.removeStaticAt(reserved);
    }
    sendRemovals();
    return removed;
}

std::string ParkingLink::reservedStand() const {
    std::lock_guard lock(publishedMutex_);
    return panel_.reservedStand;
}

void ParkingLink::removeDuplicatesOfLive() {
    {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return;
        park_.removeDuplicateOfLive(live_.aircraft());
    }
    sendRemovals();
}

void ParkingLink::guardStatics(const std::vector<LiveAtAirport>& taxiing) {
    const Parameters& p = services_.params;
    const SimSession& sim = gf_simSession();
    const UserAircraftState user = sim.userState.load();
    const LatLon here{user.latitude, user.longitude};
    const bool userMoved = sim.onGround.load() && lastUserOnGround_ &&
                           (std::fabs(lastUserOnGround_->lat - here.lat) > 1e-8 || std::fabs(lastUserOnGround_->lon - here.lon) > 1e-8);
    lastUserOnGround_ = sim.onGround.load() ? std::optional<LatLon>(here) : std::nullopt;
    {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock() || !park_.isSet()) return;
        if (p.COLLISION_USER_GND.value() && userMoved)
            park_.removeStaticNear(here, sim.halfWingspanNm.load(), {}, "the user's aircraft");
        if (p.COLLISION_LIVE_PARKED_GND.value())
            for (const LiveAtAirport& a : taxiing)
                if (park_.removeStaticNear({a.lat, a.lon}, a.halfWingspanNm, a.callsign, a.callsign)) break;
    }
    sendRemovals();
}

void ParkingLink::applyDestination(const std::string& icao) {
    // The destination goes first in the park-airport list, so that it becomes the park airport
    // as soon as it is in sight, before the aircraft lands.
    worker_.post([this, icao] {
        std::lock_guard lock(mutex_);
        const ParkAirportEntry* entry = list_.find(icao);
        list_.remember(icao, entry ? entry->reservedStand : std::string());
        publish();
    });
}

void ParkingLink::reRead(std::function<void(const std::string& result)> done) {
    worker_.post([this, done = std::move(done)] {
        std::string result;
        {
            std::lock_guard lock(mutex_);
            const std::string before = park_.reservedStand();
            list_.read();
            park_.reCheckReservedStand(before);
            if (park_.isSet()) {
                park_.adjust(true);
                const AirportState* state = park_.airport();
                result = fmt::format("Stands of {} re-read: {} stands, reserved stand '{}'", park_.icao(),
                                     state ? state->stands.size() : 0, park_.reservedStand());
            } else {
                result = fmt::format("Park airports re-read: {} airports, no park airport", list_.entries().size());
            }
            publish();
        }
        done(result);
    });
}

void ParkingLink::flushAndReplan() {
    worker_.post([this] {
        std::lock_guard lock(mutex_);
        park_.adjust(true);
        publish();
    });
}

void ParkingLink::setNavLightsWhileParked(bool on) {
    worker_.post([this, on] {
        std::lock_guard lock(mutex_);
        for (std::uint32_t objectId : park_.staticObjectIds()) gf_setNavLights(services_.outbox, objectId, on);
    });
}

void ParkingLink::reserveUserStand(const std::string& stand) {
    std::lock_guard lock(messagesMutex_);
    userStandToReserve_ = stand;
}

bool ParkingLink::hasStands() const {
    std::unique_lock lock(mutex_, std::try_to_lock);
    return lock.owns_lock() && park_.airport() != nullptr && !park_.airport()->stands.empty();
}

std::optional<std::string> ParkingLink::nearestStandName(double lat, double lon, double maxNm) const {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;
    return park_.nearestStandName(lat, lon, maxNm);
}

std::optional<CurrentAirport> ParkingLink::currentAirport() const {
    std::lock_guard lock(publishedMutex_);
    return current_;
}

LiveStandHooks ParkingLink::liveStandHooks(std::function<void()> removeOneLiveParked) {
    gf_requireLink(removeOneLiveParked, "live parking", "removeOneLiveParked");
    LiveStandHooks hooks;
    hooks.find = [this](const LiveAircraft& a, LatLon at, bool wide) -> StandAnswer {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return {StandSearch::Busy, {}};
        const LiveStandQuery query{at, a.halfWingspanNm, a.category, wide, a.callsign(), a.registration, a.code};
        const LiveStandFind found = park_.findLiveStand(query);
        const Stand* stand = found.number != 0 ? park_.stand(found.number) : nullptr;
        if (stand == nullptr) return {};
        StandSpot spot = lf_spotOf(*stand);
        spot.tooSmall = found.tooSmall;
        return {StandSearch::Found, spot};
    };
    hooks.makeWay = [this](const StandSpot& stand, const LiveAircraft& a, bool spawned) {
        // The run loop never waits for the worker, which may hold the airport for seconds while
        // it waits for parked traffic: the way is made as soon as the airport is free again.
        {
            std::unique_lock lock(mutex_, std::try_to_lock);
            const MakeWay way{stand.number, a.callsign(), spawned, stand.tooSmall};
            if (lock.owns_lock()) makeWayNow(way);
            else {
                std::lock_guard pending(messagesMutex_);
                makeWay_.push_back(way);
            }
        }
        sendRemovals();
    };
    hooks.recordUse = [this](const StandSpot& stand, const LiveAircraft& a) {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (lock.owns_lock()) return park_.learnLiveAtStand(stand.number, gf_liveAtAirport(a));
        // Learned later rather than lost while the worker holds the airport.
        std::lock_guard pending(messagesMutex_);
        learned_.push_back({stand.number, gf_liveAtAirport(a)});
    };
    hooks.maxParkCheck = [this, removeOneLiveParked = std::move(removeOneLiveParked)](bool aboutToPark) {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return;
        park_.maxParkCheck(aboutToPark, removeOneLiveParked);
    };
    return hooks;
}

ParkingPanel ParkingLink::panel() const {
    std::lock_guard lock(publishedMutex_);
    return panel_;
}

void ParkingLink::closeDown() {
    worker_.stop();
    std::lock_guard lock(mutex_);
    applyMessages();
    park_.leave();
    publish();
    sendRemovals();
}

} // namespace vorl

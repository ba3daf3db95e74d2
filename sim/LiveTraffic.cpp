#include "sim/LiveTraffic.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>

#include "common/Log.h"
#include "common/TimeStamp.h"
#include "sim/AircraftControls.h"
#include "sim/LiveParking.h"
#include "sim/MovementTables.h"
#include "sim/RecordAdmission.h"
#include "sim/SimIds.h"
#include "sim/SimOutbox.h"

namespace vorl {
namespace {

constexpr std::size_t kMaxStream = 200;
constexpr int kRecordsPerCycle = 2;
constexpr std::size_t kCreationQueueBackPressure = 11;
constexpr int kActivationCycles = 200;
constexpr double kUserGroundClearNm = 0.08099352051835854; // 150 m
constexpr double kHeldClearNm = 500.0 / 1852.0;
constexpr double kHeldUserSpeedKt = 8.0;
constexpr double kDefaultHalfWingspanNm = 17.0 / 1852.0;
constexpr double kAirportLevelBandFt = 108.0;

struct ConflictLimits {
    double distanceNm;
    double altitudeFt;
    double crossTrackFt;
};
constexpr ConflictLimits kNarrow{4.0, 1000.0, 700.0};
constexpr ConflictLimits kWide{6.0, 3000.0, 4000.0};

// Whether an aircraft flying on its heading passes the user closer than the limits allow: the
// user lies ahead of it, less than the cross distance off its track.
bool lf_conflict(const UserView& user, LatLon position, double altitudeFt, double headingRad, const ConflictLimits& limits) {
    const double distanceNm = gf_distanceNm(user.position, position);
    if (distanceNm > limits.distanceNm || std::abs(altitudeFt - user.altitudeFt) >= limits.altitudeFt) return false;
    const double bearing = gf_degToRad(gf_bearingDeg(position, user.position));
    const double x = gf_normalisePi(headingRad - bearing);
    const double d = distanceNm * kFeetPerNm;
    return std::cos(x) * d > 0.0 && std::abs(std::sin(x)) * d <= limits.crossTrackFt;
}

std::string lf_positionText(const LiveAircraft& a) { return fmt::format("{:.6f},{:.6f}", a.motion.lat, a.motion.lon); }

// Where the simulator is asked to create the aircraft: its output position.
CreateRequest lf_creationRequest(const LiveAircraft& a) {
    CreateRequest request;
    const AiPositionBlock out = a.output();
    request.initPosition.Latitude = out.latitude;
    request.initPosition.Longitude = out.longitude;
    request.initPosition.Altitude = out.altitude;
    request.initPosition.Pitch = gf_radToDeg(out.pitch);
    request.initPosition.Bank = gf_radToDeg(out.bank);
    request.initPosition.Heading = gf_radToDeg(out.heading);
    request.initPosition.OnGround = 0;
    request.initPosition.Airspeed = 0;
    request.callsign = a.callsign();
    request.liveryTitle = a.liveryTitle;
    request.aircraftId = a.id();
    return request;
}

// The output at the first sample: on a stand nose along the stand, taxiing towards the next
// sample, in the air on the reported heading. On the ground it stands at the airport's elevation
// rather than at the samples' 0 ft, which lies under the ground of an airport above the sea
// until the simulator's ground data arrives.
void lf_placeAtFirstSample(LiveAircraft& a, bool onStand, std::optional<double> airportElevationFt) {
    const auto& s = a.stream;
    const PositionSample& first = s.front();
    a.motion = MotionState{};
    a.motion.lat = first.lat;
    a.motion.lon = first.lon;
    a.motion.altitude = a.groundMode && airportElevationFt ? *airportElevationFt + a.cgHeightFt : first.altitude;
    double heading = first.headingValid != 0 ? gf_radToDeg(first.trueHeading) : first.track;
    if (onStand) heading = gf_radToDeg(a.stand.spot.heading);
    else if (a.groundMode && s.size() >= 2) heading = gf_bearingDeg({first.lat, first.lon}, {s[1].lat, s[1].lon});
    a.motion.heading = gf_degToRad(heading);
    a.motion.pitch = a.groundMode ? a.staticPitch : gf_wantedPitchRad(first.verticalRate);
}

} // namespace

const char* gf_flightStateName(FlightState state) {
    switch (state) {
    case FlightState::PushingBack: return "pushing_back";
    case FlightState::PushedBack: return "pushed_back";
    case FlightState::Taxi: return "taxi";
    case FlightState::TakeOff: return "take_off";
    case FlightState::Flying: return "flying";
    case FlightState::Parking: return "parking";
    case FlightState::Parked: return "parked";
    case FlightState::Birth: return "birth";
    }
    return "birth";
}

std::string gf_liveLabel(const std::string& callsign) { return fmt::format("{:8}", callsign); }

LiveTraffic::LiveTraffic(SimOutbox& outbox, LiveTrafficHooks hooks) : outbox_(outbox), hooks_(std::move(hooks)) {
    context_.outbox = &outbox_;
    if (hooks_.stands.find) context_.stands = &hooks_.stands;
    context_.clearLiveAtStand = [this](const StandSpot& stand, const LiveAircraft& newcomer) { clearLiveAtStand(stand, newcomer); };
    context_.taxiingNeighbourWithin = [this](const LiveAircraft& self, double factor) {
        return std::any_of(live_.begin(), live_.end(), [&](const LiveAircraft& other) {
            return other.id() != self.id() && other.presence.simState == SimState::Active && other.groundMode &&
                   other.flightState == FlightState::Taxi &&
                   gf_distanceNm(self.motion.lat, self.motion.lon, other.motion.lat, other.motion.lon) <=
                       factor * (self.halfWingspanNm + other.halfWingspanNm);
        });
    };
    refresh();
}

void LiveTraffic::refresh() {
    if (hooks_.settings) settings_ = hooks_.settings();
    user_ = hooks_.user ? hooks_.user() : std::nullopt;
    const auto airport = hooks_.airport ? hooks_.airport() : std::nullopt;
    context_.airportPosition = airport ? std::optional<LatLon>(airport->position) : std::nullopt;
    context_.airportElevationFt = airport ? std::optional<double>(airport->elevationFt) : std::nullopt;
    context_.userPosition = user_ ? std::optional<LatLon>(user_->position) : std::nullopt;
    context_.rangeNm = settings_.rangeNm;
    context_.airborneOnly = settings_.airborneOnly;
    context_.lightAircraft = settings_.lightAircraft;
    context_.helicopters = settings_.helicopters;
    context_.highPerfAircraft = settings_.highPerfAircraft;
    context_.maxHoldingMinutes = settings_.maxHoldingMinutes;
    context_.straightPushbacksOnly = settings_.straightPushbacksOnly;
    context_.navLightsWhileParked = settings_.navLightsWhileParked;
}

void LiveTraffic::addRecords(std::vector<TrafficRecord>& records) {
    // Oldest data first: a record older than the last one taken of its aircraft would be dropped
    // as out of order, so the buffered history of a fresh start must go in before the newest.
    std::stable_sort(records.begin(), records.end(),
                     [](const TrafficRecord& a, const TrafficRecord& b) { return a.dataTime < b.dataTime; });
    for (TrafficRecord& r : records) addingStack_.push_back(std::move(r));
    records.clear();
}

LiveAircraft* LiveTraffic::findById(std::uint32_t hexId) {
    const auto it = std::find_if(live_.begin(), live_.end(), [hexId](const LiveAircraft& a) { return a.id() == hexId; });
    return it == live_.end() ? nullptr : &*it;
}

const LiveAircraft* LiveTraffic::find(std::uint32_t hexId) const {
    const auto it = std::find_if(live_.begin(), live_.end(), [hexId](const LiveAircraft& a) { return a.id() == hexId; });
    return it == live_.end() ? nullptr : &*it;
}

LiveAircraft* LiveTraffic::findByObjectId(std::uint32_t objectId) {
    if (objectId == 0) return nullptr;
    const auto it = std::find_if(live_.begin(), live_.end(),
                                 [objectId](const LiveAircraft& a) { return a.presence.objectId == objectId; });
    return it == live_.end() ? nullptr : &*it;
}

std::size_t LiveTraffic::activeCount() const {
    return static_cast<std::size_t>(std::count_if(live_.begin(), live_.end(), [](const LiveAircraft& a) {
        return a.presence.simState == SimState::Active;
    }));
}

void LiveTraffic::admit(std::int32_t cycle) {
    context_.cycle = cycle;
    for (int i = 0; i < kRecordsPerCycle && !addingStack_.empty(); ++i) {
        const TrafficRecord record = std::move(addingStack_.front());
        addingStack_.pop_front();
        processNewRecord(record, cycle);
    }
    if (addingList_.empty()) return;
    const std::uint32_t id = addingList_.back();
    addingList_.pop_back();
    LiveAircraft* a = findById(id);
    if (a == nullptr || a->presence.simState != SimState::Adding2Sim) return;
    if (a->callsign().empty()) {
        logImportant("{} {} objectid = 0?", "lf_handleAddingStack", a->presence.label);
        return;
    }
    outbox_.queueLiveCreation(lf_creationRequest(*a));
}

void LiveTraffic::processNewRecord(const TrafficRecord& record, std::int32_t cycle) {
    LiveAircraft* a = findById(record.hexId);
    if (a == nullptr) {
        const bool sameFlight = !record.callsign.empty() && std::any_of(live_.begin(), live_.end(), [&](const LiveAircraft& o) {
            return o.callsign() == record.callsign && o.code.typeIndex == record.code.typeIndex;
        });
        if (!sameFlight) newLiveAircraft(record);
        return;
    }
    if (a->presence.simState == SimState::LiveryRespawn || a->presence.simState == SimState::RemovingFromSim) return;
    if (!a->stream.empty() && gf_redundantRecord(a->stream.back(), a->lastDataTime, record, a->pendingCourseChange)) return;
    if (a->presence.simState == SimState::Buffer && record.altitude > 0.0 && record.altitude < 10000.0) {
        // A report at the airport's level while still buffered is a ground report with a bad
        // altitude: it would start the aircraft in the air above the runway.
        const double elevation = context_.airportElevationFt.value_or(-1000.0);
        if (std::abs(record.altitude - elevation) <= kAirportLevelBandFt) return;
    }
    if (respawnCheck(*a, record)) return;
    a->lastDataTime = static_cast<double>(record.dataTime);
    decodeExisting(*a, gf_sampleOf(record), cycle);
}

void LiveTraffic::newLiveAircraft(const TrafficRecord& record) {
    if (hooks_.acceptedType && !hooks_.acceptedType(record.type)) return;
    LiveAircraft a;
    a.presence.id = record.hexId;
    a.presence.callsign = record.callsign;
    a.presence.label = gf_liveLabel(record.callsign);
    a.code = hooks_.identity ? hooks_.identity(record.callsign, record.registration, record.code.typeIndex) : record.code;
    a.type = record.type;
    a.registration = record.registration;
    a.origin = record.origin;
    a.destination = record.destination;
    a.hasOrigin = record.hasOrigin;
    a.hasDestination = record.hasDestination;
    a.category = hooks_.category ? hooks_.category(record.code.typeIndex) : AircraftCategory::Large;
    a.halfWingspanNm = (hooks_.halfWingspanNm ? hooks_.halfWingspanNm(record.type) : std::nullopt).value_or(kDefaultHalfWingspanNm);
    a.taxiSpeedKt = gf_standTaxiSpeedKt(a.category);
    a.lastDataTime = static_cast<double>(record.dataTime);
    a.stream.push_back(gf_sampleOf(record));
    live_.push_back(std::move(a));
}

// The feed may change its mind about an aircraft: a buffered one just takes the new identity,
// an active one is created again when the livery that fits the new identity is another one.
bool LiveTraffic::respawnCheck(LiveAircraft& a, const TrafficRecord& record) {
    if (a.landing || a.flareStage > 0 || a.goAround) return false;
    const bool typeChanged = record.code.typeIndex != 0 && record.code.typeIndex != a.code.typeIndex;
    const bool callsignChanged = !record.callsign.empty() && record.callsign != a.callsign();
    if (!typeChanged && !callsignChanged) return false;
    const auto takeIdentity = [&] {
        if (typeChanged) {
            a.code.typeIndex = record.code.typeIndex;
            a.type = record.type;
        }
        if (callsignChanged) {
            a.presence.callsign = record.callsign;
            a.presence.label = gf_liveLabel(record.callsign);
        }
        if (!record.registration.empty()) a.registration = record.registration;
        if (hooks_.identity) a.code = hooks_.identity(a.callsign(), a.registration, a.code.typeIndex);
    };
    if (a.presence.simState == SimState::Buffer) {
        takeIdentity();
        return false;
    }
    if (a.presence.simState != SimState::Active || a.flightState == FlightState::PushingBack || a.pendingCourseChange) return false;
    if (callsignChanged && isSuffixedDuplicate(record.callsign, a.id())) return true;
    takeIdentity();
    if (!settings_.liveryChanges || !hooks_.matchLivery) return false;
    const auto title = hooks_.matchLivery(a);
    if (!title || *title == a.liveryTitle) return false;
    logLine("          {} respawns", a.presence.label);
    a.liveryTitle = *title;
    liveryCache_[a.id()] = *title;
    liveryRespawn(a);
    return true;
}

void LiveTraffic::decodeExisting(LiveAircraft& a, PositionSample sample, std::int32_t cycle) {
    auto& s = a.stream;
    if (s.size() > kMaxStream) {
        remove(a);
        return;
    }
    if (a.holding && !s.empty() &&
        gf_distanceNm(sample.lat, sample.lon, s.back().lat, s.back().lon) * 1852.0 > settings_.holdingThresholdMeters) {
        // It held for long and turns up elsewhere: a fresh start shows it there at once.
        a.holding = false;
        remove(a);
        return;
    }
    if (a.flightState != FlightState::Birth && !gf_checkExtendingSituations(a, sample, cycle)) {
        if (a.stand.goneFromStand) {
            // Its data is far from the stand: it left while nobody saw it; the stand's use counts.
            if (context_.stands != nullptr && context_.stands->recordUse) context_.stands->recordUse(a.stand.spot, a);
            remove(a);
        }
        return;
    }
    if (a.extrapolationLeft >= 0) {
        // Real data again: the guesses beyond the one being approached give way to it.
        while (s.size() > 1) s.pop_back();
        a.extrapolationLeft = -1;
    }
    if (sample.airborne == 0 && !s.empty() && s.back().stationary != 0 &&
        std::all_of(s.begin(), s.end(), [](const PositionSample& p) { return p.stationary != 0; })) {
        while (s.size() > 1) s.pop_front();
    }
    if (!s.empty() && sample.playoutTime <= s.back().playoutTime) sample.playoutTime = s.back().playoutTime + 1;
    if (a.presence.simState == SimState::Active && a.landingRoll && sample.airborne != 0 && !s.empty() && s.back().airborne != 0)
        gf_startTouchAndGo(a, outbox_);
    if (a.presence.simState == SimState::Active && a.groundMode && !a.takeOffRoll && !a.landingRoll &&
        a.flightState == FlightState::Taxi && !s.empty() &&
        (sample.airborne != 0 || (sample.groundSpeed >= kTakeOffRollSpeedKt && s.back().groundSpeed >= kTakeOffRollSpeedKt)))
        gf_startTakeOffRoll(a, outbox_);
    s.push_back(sample);
    if (s.size() == 2 && s[0].stationary != 0 && s[1].stationary != 0) s[0].playoutTime = cycle + 1;
}

void LiveTraffic::update(std::int32_t cycle) {
    context_.cycle = cycle;
    activate(cycle);
    bool anyDeleted = false;
    for (LiveAircraft& a : live_) anyDeleted = updateLiveAc(a, cycle) || anyDeleted;
    if (!anyDeleted) return;
    const auto gone = std::remove_if(live_.begin(), live_.end(), [this](const LiveAircraft& a) {
        if (!a.presence.deleteNow && !a.deleteCancelled) return false;
        liveryCache_.erase(a.id());
        return true;
    });
    live_.erase(gone, live_.end());
}

bool LiveTraffic::updateLiveAc(LiveAircraft& a, std::int32_t cycle) {
    try {
        switch (a.presence.simState) {
        case SimState::Buffer:
            if (!a.stream.empty() && a.stream.front().playoutTime <= cycle) bufferRule(a, cycle);
            break;
        case SimState::Adding2Sim: keepUpWhileQueued(a, cycle); break;
        case SimState::Active:
            if (a.stream.empty()) {
                logImportant("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{}, TAS:{:.0f}", "updateLiveAc",
                             a.presence.label, a.id(), a.presence.objectId, a.motion.altitude, lf_positionText(a), a.trueAirspeedKt);
                remove(a);
                break;
            }
            if (a.stream.front().playoutTime <= cycle && !gf_nextPosMain(a, context_)) {
                remove(a);
                break;
            }
            if (a.presence.simState != SimState::Active || a.stream.empty()) break;
            // An aircraft in the air never stands still, whatever its next sample says.
            if (a.stream.front().stationary != 0 && a.groundMode) a.trueAirspeedKt = 0.0;
            else gf_stepLiveAircraft(a, context_);
            if (a.presence.objectId != 0) {
                outbox_.queuePosition(a.presence.objectId, a.output());
            } else {
                logImportant("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", a.id(), a.callsign(),
                             a.registration, a.liveryKey, a.stream.size());
                remove(a);
            }
            break;
        default: break;
        }
    } catch (const std::exception& e) {
        logImportant("{}: {} {}, sz:{}, fs:{}, st:{}", "updateLiveAc", e.what(), a.presence.label, a.stream.size(),
                     gf_flightStateName(a.flightState), gf_simStateName(a.presence.simState));
    }
    return a.presence.deleteNow || a.deleteCancelled;
}

bool LiveTraffic::limitReached(const LiveAircraft& newcomer) {
    if (settings_.maxLive <= 0) return true;
    const std::size_t inUse = activeCount() + addingList_.size() + outbox_.liveCreationQueueSize();
    if (inUse < static_cast<std::size_t>(settings_.maxLive)) return false;
    if (!user_) return true;
    const double d = gf_distanceNm(user_->position, {newcomer.stream.front().lat, newcomer.stream.front().lon});
    LiveAircraft* farthest = nullptr;
    double farthestNm = d + 0.1;
    for (LiveAircraft& other : live_) {
        if (other.presence.simState != SimState::Active || other.presence.pendingRemoval) continue;
        const double nm = gf_distanceNm(user_->position, {other.motion.lat, other.motion.lon});
        if (nm > farthestNm) {
            farthestNm = nm;
            farthest = &other;
        }
    }
    if (farthest == nullptr) return true;
    remove(*farthest);
    return false;
}

void LiveTraffic::bufferRule(LiveAircraft& a, std::int32_t /*cycle*/) {
    auto& s = a.stream;
    if (s.size() == 1) {
        a.presence.deleteNow = true;
        return;
    }
    if (std::find(blockedCallsigns_.begin(), blockedCallsigns_.end(), a.callsign()) != blockedCallsigns_.end()) {
        a.presence.deleteNow = true;
        return;
    }
    const bool anyAirborne = std::any_of(s.begin(), s.end(), [](const PositionSample& p) { return p.airborne != 0; });
    const bool anyGround = std::any_of(s.begin(), s.end(), [](const PositionSample& p) { return p.airborne == 0; });
    if (anyAirborne && anyGround) {
        s.pop_front();
        return;
    }
    const PositionSample& first = s.front();
    if (user_ && user_->onGround && waitsForUser(a, first)) {
        s.pop_front();
        return;
    }
    if (user_ && !user_->onGround && settings_.collisionUserAir && first.airborne != 0 &&
        lf_conflict(*user_, {first.lat, first.lon}, first.altitude, gf_degToRad(first.track), kWide)) {
        a.presence.deleteNow = true;
        return;
    }
    if (outbox_.liveCreationQueueSize() >= kCreationQueueBackPressure && a.flightState == FlightState::Birth) {
        s.pop_front();
        return;
    }
    if (limitReached(a)) {
        a.presence.deleteNow = true;
        return;
    }
    if (!settings_.blockCallsign.empty() && settings_.blockCallsign == a.callsign()) {
        a.presence.deleteNow = true;
        return;
    }
    a.liveryKey = liveryKey(a);
    if (noMatch_.count(a.liveryKey) != 0 || isSuffixedDuplicate(a.callsign(), a.id())) {
        a.presence.deleteNow = true;
        return;
    }
    spawnLiveAc(a);
}

// An aircraft whose data began standing next to the user on the ground (at the neighbouring
// stand, say) is held until it has stopped well away from the user, and while the user taxis:
// appearing beside a user who is moving is what makes the two collide.
bool LiveTraffic::waitsForUser(LiveAircraft& a, const PositionSample& first) const {
    const double userNm = gf_distanceNm(user_->position, {first.lat, first.lon});
    if (a.heldForUser) {
        if (user_->groundSpeedKt > kHeldUserSpeedKt) return true;
        const bool clear = first.airborne == 0 && first.groundSpeed <= kHeldUserSpeedKt && userNm >= kHeldClearNm;
        if (!clear) return true;
    }
    if (settings_.collisionUserGround && first.airborne == 0 && userNm <= kUserGroundClearNm) {
        if (first.groundSpeed <= kHeldUserSpeedKt) a.heldForUser = true;
        return true;
    }
    return false;
}

std::string LiveTraffic::liveryKey(const LiveAircraft& a) const {
    const std::string airline = a.callsign().size() >= 3 ? a.callsign().substr(0, 3) : a.callsign();
    return fmt::format("{}_{}_{}", airline, a.type, a.code.cargo);
}

bool LiveTraffic::isSuffixedDuplicate(const std::string& callsign, std::uint32_t selfId) const {
    // The feed's double of a flight carries the flight's callsign with "_" appended; any other
    // ending (KLM12 next to KLM1) is a flight of its own.
    if (callsign.size() < 2 || callsign.back() != '_') return false;
    const std::string base = callsign.substr(0, callsign.size() - 1);
    return std::any_of(live_.begin(), live_.end(), [&](const LiveAircraft& o) {
        return o.id() != selfId && o.callsign() == base && o.presence.simState != SimState::RemovingFromSim &&
               !o.presence.pendingRemoval && !o.presence.deleteNow;
    });
}

void LiveTraffic::spawnLiveAc(LiveAircraft& a) {
    auto& s = a.stream;
    if (s.size() < 2) {
        logImportant("{} sz:{}", "spawnLiveAc", s.size());
        return;
    }
    if (s[1].stationary != 0) {
        s[0].stationary = 1;
        s[0].groundSpeed = s[1].groundSpeed = 0.0;
        if (s.size() > 2 && s[2].stationary != 0) s[2].groundSpeed = 0.0;
    } else {
        s[0].stationary = 0;
    }
    if (a.flightState == FlightState::Birth) {
        const auto cached = liveryCache_.find(a.id());
        std::optional<std::string> title;
        if (cached != liveryCache_.end()) title = cached->second;
        else if (hooks_.matchLivery) title = hooks_.matchLivery(a);
        if (!title) {
            noMatch_.insert(a.liveryKey);
            a.presence.deleteNow = true;
            return;
        }
        a.liveryTitle = *title;
        liveryCache_[a.id()] = *title;
    }
    const auto reported = s;
    const PositionSample& first = s[0];
    bool onStand = false;
    if (first.airborne != 0) {
        a.flightState = FlightState::Flying;
    } else if (const StandSearch stand = gf_placeOnStandAtBirth(a, context_); stand == StandSearch::Found) {
        onStand = true;
    } else if (stand == StandSearch::Busy) {
        return; // the stands are being planned: the next cycle asks again
    } else if (s[1].stationary != 0) {
        // Standing without a stand to put it on: it waits until it moves.
        s.pop_front();
        return;
    } else {
        a.flightState = FlightState::Taxi;
    }
    a.groundMode = first.airborne == 0;
    lf_placeAtFirstSample(a, onStand, context_.airportElevationFt);
    // The stand took the place of its later reports; they still tell whether it is leaving.
    if (onStand)
        for (std::size_t i = 1; i < reported.size(); ++i) decodeExisting(a, reported[i], context_.cycle);
    a.presence.simState = SimState::Adding2Sim;
    addingList_.push_back(a.id());
    if (!a.callsign().empty()) ghostCheck(a);
}

// Creations leave one every half second, so in a crowd an aircraft may wait its turn for
// seconds: it moves on with its data meanwhile, so that it appears where its data is when it is
// created rather than where it was when it was queued, and does not start out far behind. In
// the air it goes on to where its data will be when it starts to move, the activation's two
// seconds after its creation: a fast aircraft would otherwise begin half a kilometre behind.
void LiveTraffic::keepUpWhileQueued(LiveAircraft& a, std::int32_t cycle) {
    auto& s = a.stream;
    const int lead = a.groundMode ? 0 : kActivationCycles;
    if (a.flightState == FlightState::Parked || s.size() < 3 || s[1].playoutTime > cycle + lead) return;
    const auto sameMode = [&](const PositionSample& p) { return (p.airborne == 0) == a.groundMode; };
    if (!sameMode(s[1]) || !sameMode(s[2])) return;
    const bool listed = std::find(addingList_.begin(), addingList_.end(), a.id()) != addingList_.end();
    const bool queued = !listed && outbox_.hasQueuedLiveCreation(a.id());
    // Once sent, the simulator creates it where it was queued.
    if (!listed && !queued) return;
    s.pop_front();
    lf_placeAtFirstSample(a, false, context_.airportElevationFt);
    if (queued) outbox_.replaceQueuedLiveCreation(lf_creationRequest(a));
}

void LiveTraffic::ghostCheck(const LiveAircraft& a) {
    const std::string ghost = a.callsign() + "_";
    for (LiveAircraft& o : live_) {
        if (o.id() == a.id() || o.callsign() != ghost || o.presence.simState == SimState::RemovingFromSim) continue;
        logLine("          {:8} is a ghost and will be removed, continue with {}", o.callsign(), a.callsign());
        blockedCallsigns_.push_back(o.callsign());
        remove(o);
        return;
    }
}

void LiveTraffic::onMessage(const SimMessage& m) {
    switch (m.kind) {
    case SimMessageKind::LiveCreated:
        if (onCreated(m)) createdMessages_.push_back({m, 0});
        break;
    case SimMessageKind::ObjectRemoved: onObjectRemoved(m.objectId); break;
    case SimMessageKind::GroundData:
        if (LiveAircraft* a = findByObjectId(m.objectId)) gf_onGroundData(*a, m.aircraftId != 0, m.a, m.b, outbox_);
        break;
    case SimMessageKind::StaticAttitude: onStaticAttitude(m.objectId, m.a, m.b); break;
    case SimMessageKind::BlockedCallsign: removeHexId(m.aircraftId); break;
    case SimMessageKind::CreateFailed: onCreateFailed(m.aircraftId); break;
    default: break;
    }
}

bool LiveTraffic::onCreated(const SimMessage& m) {
    if (m.objectId < 3) return false;
    LiveAircraft* a = findById(m.aircraftId);
    if (a == nullptr) {
        // Its record went while the creation was under way: the object has no one to move it.
        outbox_.queueRemoval(m.objectId);
        return false;
    }
    a->presence.objectId = m.objectId;
    a->aboveGroundFt = m.b;
    ++created_;
    if (!a->stream.empty() && a->stream.front().airborne == 0) a->groundMode = true;
    if (a->flightState == FlightState::Parked && a->stand.spot.number != 0) {
        logLine("{:8}: {:8} parks", a->stand.spot.id, a->callsign());
        if (hooks_.stands.makeWay) hooks_.stands.makeWay(a->stand.spot, *a, true);
    }
    if (hooks_.writeFlightPlan) a->flightPlanWritten = hooks_.writeFlightPlan(*a);
    if (!a->staticAttitudeRequested && hooks_.requestStaticAttitude) {
        a->staticAttitudeRequested = true;
        hooks_.requestStaticAttitude(m.objectId);
    }
    return true;
}

void LiveTraffic::onStaticAttitude(std::uint32_t objectId, double cgHeightFt, double staticPitch) {
    LiveAircraft* a = findByObjectId(objectId);
    if (a == nullptr) return;
    if (cgHeightFt >= 1.0 && cgHeightFt <= 35.0) a->cgHeightFt = cgHeightFt;
    const bool plausible = staticPitch > gf_degToRad(-1.0) && staticPitch <= gf_degToRad(2.5);
    a->staticPitch = plausible ? staticPitch : kDefaultStaticPitchRad;
    if (a->groundMode && !std::isnan(a->groundAltitudeFt)) a->motion.altitude = a->groundAltitudeFt + a->cgHeightFt;
}

void LiveTraffic::activate(std::int32_t /*cycle*/) {
    for (CreatedMessage& created : createdMessages_) {
        ++created.cycles;
        LiveAircraft* a = findById(created.message.aircraftId);
        if (a == nullptr) {
            created.cycles = kActivationCycles;
            continue;
        }
        if (created.cycles == 50 || created.cycles == 100) outbox_.queueClientEvent(a->presence.objectId, simid::kAllLightsToggle, 0);
        if (created.cycles == kActivationCycles) activateLive(*a);
    }
    std::erase_if(createdMessages_, [](const CreatedMessage& m) { return m.cycles >= kActivationCycles; });
}

void LiveTraffic::activateLive(LiveAircraft& a) {
    const std::uint32_t object = a.presence.objectId;
    const AiControlTarget target = a.controls();
    const bool airborne = !a.stream.empty() && a.stream.front().airborne != 0;
    gf_setSpoilers(outbox_, object, a.category, false);
    if (airborne) {
        gf_engineOn(outbox_, object);
        const bool low = a.motion.altitude <= 10000.0;
        gf_setLights(outbox_, object, {.nav = true, .beacon = true, .landing = low, .taxi = false, .strobes = true, .logo = low,
                                       .cabin = a.aboveGroundFt >= 2000.0});
        gf_setThrottle(outbox_, target, a.category == AircraftCategory::Rotorcraft ? 4 : 3);
        a.lowLightsSet = low;
        a.highLightsSet = !low;
    } else {
        const bool parked = a.flightState == FlightState::Parked;
        if (parked) gf_engineOff(outbox_, object);
        else gf_engineOn(outbox_, object);
        gf_setLights(outbox_, object, {.nav = parked ? settings_.navLightsWhileParked : true, .beacon = !parked, .landing = false,
                                       .taxi = a.flightState == FlightState::Taxi, .strobes = false, .logo = true, .cabin = true});
        gf_setThrottle(outbox_, target, a.category == AircraftCategory::Rotorcraft ? 4 : 0);
        gf_setFlaps(outbox_, target, a.flightState == FlightState::Taxi ? 1 : 0);
    }
    a.presence.simState = SimState::Active;
    if (a.presence.pendingRemoval) {
        a.presence.pendingRemoval = false;
        remove(a);
    }
}

void LiveTraffic::onObjectRemoved(std::uint32_t objectId) {
    LiveAircraft* a = findByObjectId(objectId);
    if (a == nullptr) return;
    if (a->presence.simState == SimState::LiveryRespawn) {
        a->presence.simState = SimState::Buffer;
        a->presence.objectId = 0;
        a->throttleIndex = kNoThrottleSent;
        a->flapsIndex = kNoFlapsSent;
        a->staticAttitudeRequested = false;
        return;
    }
    if (a->flightPlanWritten && hooks_.removeFlightPlan) hooks_.removeFlightPlan(*a);
    ++removed_;
    a->presence.objectId = 0;
    a->presence.deleteNow = true;
}

void LiveTraffic::onCreateFailed(std::uint32_t hexId) {
    LiveAircraft* a = findById(hexId);
    if (a == nullptr) return;
    if (hooks_.liveryFailed && !a->liveryTitle.empty()) hooks_.liveryFailed(a->presence.label, a->liveryTitle);
    a->presence.deleteNow = true;
}

void LiveTraffic::liveryRespawn(LiveAircraft& a) {
    try {
        PositionSample here = a.stream.empty() ? PositionSample{} : a.stream.front();
        here.lat = a.motion.lat;
        here.lon = a.motion.lon;
        here.altitude = a.groundMode ? 0.0 : a.motion.altitude;
        here.track = gf_radToDeg(a.motion.heading);
        here.playoutTime = here.scheduledDue = context_.cycle;
        if (a.flightState == FlightState::Parked) {
            here.stationary = 1;
            a.stream.clear();
        }
        // It starts again where it is and flies on to the sample it was approaching: without that
        // sample an aircraft whose next report is yet to come would be dropped as one with a
        // single report.
        a.stream.push_front(here);
        a.presence.simState = SimState::LiveryRespawn;
        a.flightState = FlightState::Birth;
        if (a.presence.objectId == 0) {
            logImportant("{} removing act {} with objectid=0 ?", "liveryRespawn", a.presence.label);
            return;
        }
        outbox_.queueRemoval(a.presence.objectId);
    } catch (const std::exception& e) {
        logImportant("{}: {}", "liveryRespawn", e.what());
    }
}

void LiveTraffic::remove(LiveAircraft& a) { removeAircraftFromSim(outbox_, a.presence); }

void LiveTraffic::clearLiveAtStand(const StandSpot& stand, const LiveAircraft& newcomer) {
    for (LiveAircraft& o : live_) {
        if (o.id() == newcomer.id() || o.presence.simState != SimState::Active || o.flightState != FlightState::Parked ||
            o.stand.spot.number == 0)
            continue;
        if (o.stand.spot.number == stand.number) {
            logLine("{:8}: {:8} removed, {} wants to park there", stand.id, o.callsign(), newcomer.callsign());
            remove(o);
        } else if (std::find(stand.adjacent.begin(), stand.adjacent.end(), o.stand.spot.number) != stand.adjacent.end()) {
            logLine("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}", o.stand.spot.id, o.callsign(),
                    newcomer.callsign(), stand.id);
            remove(o);
        }
    }
}

void LiveTraffic::removeLongestParked() {
    LiveAircraft* longest = nullptr;
    for (LiveAircraft& o : live_)
        if (o.presence.simState == SimState::Active && o.flightState == FlightState::Parked && o.stand.spot.number != 0 &&
            (longest == nullptr || o.stand.parkedCycle < longest->stand.parkedCycle))
            longest = &o;
    if (longest == nullptr) return;
    logLine("{:8}: {} live max park exceeded, removed", longest->stand.spot.id, longest->callsign());
    remove(*longest);
}

void LiveTraffic::removeHexId(std::uint32_t hexId) {
    LiveAircraft* a = findById(hexId);
    if (a == nullptr) return;
    if (a->presence.simState == SimState::Active)
        logLine("{} removed from simulator immediately while blocked", a->presence.label);
    else if (a->presence.simState == SimState::Buffer)
        logLine("{} {} will be removed from buffer while blocked", gf_nowText(), a->presence.label);
    remove(*a);
}

bool LiveTraffic::removeCallsign(const std::string& callsign) {
    bool found = false;
    for (LiveAircraft& a : live_) {
        if (a.callsign() != callsign) continue;
        found = true;
        removeHexId(a.id());
    }
    return found;
}

void LiveTraffic::removeSurplus(int maxLive) {
    // Aircraft on their way into the simulator count too: they would be the surplus a moment later.
    const auto counted = [](const LiveAircraft& a) {
        return (a.presence.simState == SimState::Active || a.presence.simState == SimState::Adding2Sim) &&
               !a.presence.pendingRemoval && !a.presence.deleteNow;
    };
    std::size_t present = static_cast<std::size_t>(std::count_if(live_.begin(), live_.end(), counted));
    for (auto it = live_.rbegin(); it != live_.rend() && present > static_cast<std::size_t>(std::max(maxLive, 0)); ++it) {
        if (!counted(*it)) continue;
        logLine("{} removed, more than {} live aircraft", it->presence.label, maxLive);
        remove(*it);
        --present;
    }
}

void LiveTraffic::removeAll() {
    for (LiveAircraft& a : live_) remove(a);
}

void LiveTraffic::setNavLightsWhileParked(bool on) {
    settings_.navLightsWhileParked = on;
    context_.navLightsWhileParked = on;
    for (const LiveAircraft& a : live_)
        if (a.presence.simState == SimState::Active && a.flightState == FlightState::Parked && a.presence.objectId != 0)
            gf_setNavLights(outbox_, a.presence.objectId, on);
}

bool LiveTraffic::removeParkedAt(const std::string& standId) {
    for (LiveAircraft& a : live_) {
        if (a.presence.simState != SimState::Active || a.flightState != FlightState::Parked || a.stand.spot.number == 0 ||
            a.stand.spot.id != standId)
            continue;
        logLine("{:8}: {} removed from the reserved stand", standId, a.callsign());
        remove(a);
        return true;
    }
    return false;
}

std::vector<std::string> LiveTraffic::activeCallsigns() const {
    std::vector<std::string> callsigns;
    for (const LiveAircraft& a : live_)
        if (a.presence.simState == SimState::Active && !a.callsign().empty()) callsigns.push_back(a.callsign());
    std::sort(callsigns.begin(), callsigns.end());
    callsigns.erase(std::unique(callsigns.begin(), callsigns.end()), callsigns.end());
    return callsigns;
}

const LiveAircraft* LiveTraffic::activeByCallsign(const std::string& callsign) const {
    for (const LiveAircraft& a : live_)
        if (a.presence.simState == SimState::Active && a.callsign() == callsign) return &a;
    return nullptr;
}

std::size_t LiveTraffic::parkedCount() const {
    return static_cast<std::size_t>(std::count_if(live_.begin(), live_.end(), [](const LiveAircraft& a) {
        return a.presence.simState == SimState::Active && a.flightState == FlightState::Parked && a.stand.spot.number != 0;
    }));
}

void LiveTraffic::forgetFlightLookups() {
    noMatch_.clear();
    liveryCache_.clear();
}

void LiveTraffic::avoidCollisions() {
    if (!user_) return;
    if (!user_->onGround && settings_.collisionUserAir) {
        for (LiveAircraft& a : live_) {
            if (a.presence.simState != SimState::Active) continue;
            const LatLon here{a.motion.lat, a.motion.lon};
            const double nm = gf_distanceNm(user_->position, here);
            bool conflict = false;
            if (a.groundMode && nm <= 1.0 && user_->aboveGroundFt <= 500.0) {
                const double bearing = gf_bearingDeg(user_->position, here);
                conflict = std::abs(std::sin(gf_degToRad(bearing - user_->headingDeg))) * nm * kFeetPerNm <= 50.0;
            } else {
                conflict = lf_conflict(*user_, here, a.motion.altitude, a.motion.heading, kNarrow);
            }
            if (conflict) {
                remove(a);
                return;
            }
        }
    } else if (user_->onGround && settings_.collisionUserGround) {
        for (LiveAircraft& a : live_) {
            if (a.presence.simState != SimState::Active || !a.groundMode) continue;
            if (gf_distanceNm(user_->position, {a.motion.lat, a.motion.lon}) <= 1.15 * (user_->halfWingspanNm + a.halfWingspanNm)) {
                remove(a);
                return;
            }
        }
    }
}

} // namespace vorl

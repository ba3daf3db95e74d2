#include "airports/ParkAirport.h"

#include <algorithm>

#include <fmt/format.h>

#include "airports/AirportFileReader.h"
#include "airports/LearnedFile.h"
#include "common/Log.h"
#include "common/TimeStamp.h"
#include "common/UserErrorException.h"

namespace vorl {
namespace {

constexpr double kOnGroundAirportNm = 5.0;
constexpr std::uint32_t kRunningNumbers = 10000;

} // namespace

ParkAirport::ParkAirport(ParkAirportList& list, ParkingHooks hooks, std::uint32_t seed)
    : list_(list), hooks_(std::move(hooks)), planner_(seed) {}

std::string ParkAirport::reservedStand() const {
    if (!airport_) return {};
    const ParkAirportEntry* entry = list_.find(airport_->icao);
    return entry ? entry->reservedStand : std::string{};
}

void ParkAirport::chooseOnGround(LatLon user, const std::string& userStand) {
    const auto status = [&](const std::string& text) {
        if (hooks_.status) hooks_.status(text);
    };
    const auto closest = hooks_.closestAirport ? hooks_.closestAirport(user) : std::nullopt;
    if (!closest || closest->distanceNm > kOnGroundAirportNm) {
        status("User aircraft on the ground, no RT supported airport in sight");
        return;
    }
    if (airport_ && airport_->icao == closest->icao) return;
    const bool hasFile = hooks_.hasAirportFile && hooks_.hasAirportFile(closest->icao);
    if (!hasFile && (!hooks_.fallbackAirportFile || hooks_.fallbackAirportFile(closest->icao).empty())) {
        status(fmt::format("User aircraft on the ground at {}, no airport file found", closest->icao));
        return;
    }
    if (airport_) leave();
    logLine("User aircraft on the ground at {}", closest->icao);
    // The user's stand becomes the reserved one; away from any stand the reserved one stays.
    if (readAirportFile(*closest, userStand, user)) list_.remember(closest->icao, userStand_.empty() ? reservedStand() : userStand_);
}

bool ParkAirport::readAirportFile(const NearAirport& airport, const std::string& userStand, std::optional<LatLon> user) {
    airport_ = airport;
    userStand_ = userStand;
    logLine("\nThe park airport is {}", airport.icao);
    state_ = {};
    state_.icao = airport.icao;
    const auto read = [&](const std::string& path) {
        state_ = {};
        state_.icao = airport.icao;
        try {
            return gf_readApf(path, state_);
        } catch (const UserErrorException& e) {
            return std::string(e.what());
        }
    };
    const std::string path = hooks_.locateAirportFile ? hooks_.locateAirportFile(airport.icao) : std::string{};
    std::string reason = path.empty() ? std::string("no airport file found") : read(path);
    if (!reason.empty() && hooks_.fallbackAirportFile) {
        // No file, or it could not be had (a failed download): the simulator's stands serve.
        if (const std::string fallback = hooks_.fallbackAirportFile(airport.icao); !fallback.empty()) {
            logLine("{}, taking {}", reason, fallback);
            reason = read(fallback);
        }
    }
    if (!reason.empty()) {
        if (hooks_.status) hooks_.status(reason);
        gf_saveLearned(state_);
        state_.stands.clear();
        return false;
    }
    // Only now are the stands known at which the user's aircraft may stand.
    if (userStand_.empty() && user) userStand_ = nearestStandName(user->lat, user->lon, kUserStandNm).value_or("");
    if (hooks_.applyAirportSettings) hooks_.applyAirportSettings(state_.settings);
    const PlannerWorld world = hooks_.world ? hooks_.world(airport) : PlannerWorld{};
    PlannerWorld reserved = world;
    reserved.reservedStandIds = {reservedStand(), userStand_};
    const PlannerSettings settings = hooks_.plannerSettings ? hooks_.plannerSettings() : PlannerSettings{};
    takePlan(planner_.plan(state_, settings, reserved, hooks_.clock ? hooks_.clock() : ParkingClock{}));
    return true;
}

void ParkAirport::checkAirborne(LatLon user, double altitudeFeet, double rangeNm, double heightFeet) {
    const auto inSight = [&](LatLon airport) {
        return gf_distanceNm(user, airport) <= rangeNm && altitudeFeet <= heightFeet;
    };
    const ParkAirportEntry* first = list_.entries().empty() ? nullptr : &list_.entries().front();
    if (airport_) {
        const double d = gf_distanceNm(user, airport_->position);
        if (d <= rangeNm && altitudeFeet <= heightFeet) {
            if (first == nullptr || first->icao.view() == airport_->icao) return;
            const double firstDistance = gf_distanceNm(user, first->position);
            if (!inSight(first->position) || firstDistance > d) return;
            logLine("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first", gf_nowText(),
                    first->icao.view(), firstDistance, airport_->icao);
        } else {
            logLine("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_nowText(), airport_->icao, d);
        }
        leave();
        return;
    }
    if (first != nullptr && inSight(first->position)) {
        const double d = gf_distanceNm(user, first->position);
        logLine("{} in sight at {:.1F} nm", first->icao.view(), d);
        readAirportFile({first->icao.str(), first->position, d}, {});
    }
}

void ParkAirport::removeAll() {
    for (const Standing& s : standing_)
        if (hooks_.removeStatic) hooks_.removeStatic(s.objectId, s.aircraftId);
    standing_.clear();
    planned_.clear();
}

void ParkAirport::leave() {
    if (!airport_) return;
    logLine("{} static aircraft placed at {}", placedCount_, airport_->icao);
    placedCount_ = 0;
    removeAll();
    gf_saveLearned(state_);
    airport_.reset();
    state_ = {};
    averageFit_.reset();
}

void ParkAirport::placeNextStatic() {
    if (planned_.empty() || !airport_ || state_.stands.empty()) return;
    const PlannedPosition position = planned_.back();
    planned_.pop_back();
    if (position.stand < 1 || position.stand > state_.stands.size()) {
        logLine("stand with id {} not found", position.stand);
        return;
    }
    const Stand& stand = state_.stands[position.stand - 1];
    const auto adjacent = [&](std::uint32_t number) {
        return std::find(stand.adjacent.begin(), stand.adjacent.end(), number) != stand.adjacent.end();
    };
    const auto liveAircraft = hooks_.liveAircraft ? hooks_.liveAircraft() : std::vector<LiveAtAirport>{};
    for (const LiveAtAirport& live : liveAircraft) {
        if (live.stand == 0) continue;
        if (!live.parked && adjacent(live.stand)) {
            logLine("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding", stand.id,
                    position.callsign, live.callsign, state_.stands[live.stand - 1].id);
            return;
        }
        if (!live.parked && live.stand == position.stand) {
            logLine("{:8}: no static parking for {}, live aircraft {} standing here", stand.id, position.callsign, live.callsign);
            return;
        }
        if (live.parked && live.stand == position.stand) {
            logLine("{:8}: no static parking for {}, live aircraft occupies the stand", stand.id, position.callsign);
            return;
        }
    }
    for (const Standing& s : standing_) {
        if (adjacent(s.aircraft.stand) || s.aircraft.stand == position.stand) {
            logLine("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly colliding", stand.id,
                    position.callsign, s.aircraft.callsign, state_.stands[s.aircraft.stand - 1].id);
            return;
        }
    }
    if (position.callsign.empty()) logLine("{} callsign is empty..", position.registration);
    runningNumber_ = (runningNumber_ + 1) % kRunningNumbers;
    const std::uint32_t aircraftId = runningNumber_ == 0 ? kRunningNumbers : runningNumber_;
    if (hooks_.createStatic && !hooks_.createStatic(position, stand, aircraftId)) return;
    standing_.push_back({{position.callsign, position.registration, position.stand, position.kind}, aircraftId, 0});
    ++placedCount_;
}

void ParkAirport::adjust(bool flush) {
    if (!airport_ || state_.stands.empty()) return;
    std::vector<StaticAircraft> standing;
    for (const Standing& s : standing_) standing.push_back(s.aircraft);
    PlannerWorld world = hooks_.world ? hooks_.world(*airport_) : PlannerWorld{};
    world.reservedStandIds = {reservedStand(), userStand_};
    const PlannerSettings settings = hooks_.plannerSettings ? hooks_.plannerSettings() : PlannerSettings{};
    const ParkingChanges changes =
        planner_.adjust(state_, settings, world, hooks_.clock ? hooks_.clock() : ParkingClock{}, standing, flush);
    for (const StaticAircraft& leaving : changes.remove) {
        const auto it = std::find_if(standing_.begin(), standing_.end(), [&](const Standing& s) {
            return s.aircraft.stand == leaving.stand && s.aircraft.callsign == leaving.callsign;
        });
        if (it != standing_.end()) dropStatic(it);
    }
    takePlan(changes.add);
    ++state_.updates;
}

void ParkAirport::maxParkCheck(bool aboutToPark, const std::function<void()>& removeOneLiveParked) {
    if (!airport_) return;
    const PlannerSettings settings = hooks_.plannerSettings ? hooks_.plannerSettings() : PlannerSettings{};
    const int wanted = StaticParkingPlanner::wantedCount(settings, state_.stands.size());
    if (settings.rtParkTrafficOnly || wanted < 1) return;
    const auto live = hooks_.liveAircraft ? hooks_.liveAircraft() : std::vector<LiveAtAirport>{};
    int parked = static_cast<int>(std::count_if(live.begin(), live.end(), [](const auto& a) { return a.parked; }));
    parked += aboutToPark ? 1 : 0;
    if (!settings.initialLoadOnly && parked > wanted && removeOneLiveParked) {
        removeOneLiveParked();
        --parked;
    }
    while (!standing_.empty() && static_cast<int>(standing_.size()) + parked > wanted) {
        const Standing& s = standing_.back();
        logLine("{:8}: {} static max park exceeded, removed", state_.stands[s.aircraft.stand - 1].id, s.aircraft.callsign);
        if (hooks_.removeStatic) hooks_.removeStatic(s.objectId, s.aircraftId);
        standing_.pop_back();
    }
}

void ParkAirport::onStaticCreated(std::uint32_t aircraftId, std::uint32_t objectId) {
    for (Standing& s : standing_) {
        if (s.aircraftId != aircraftId || s.objectId != 0) continue;
        s.objectId = objectId;
        return;
    }
    // Its stand was given up while the creation was on its way: it must not stay as a ghost.
    logLine("static aircraft {} (object {}) is no longer wanted, removed", aircraftId, objectId);
    if (hooks_.removeStatic) hooks_.removeStatic(objectId, aircraftId);
}

void ParkAirport::onObjectRemoved(std::uint32_t objectId) {
    std::erase_if(standing_, [&](const Standing& s) { return s.objectId != 0 && s.objectId == objectId; });
}

void ParkAirport::onCreateFailed(std::uint32_t aircraftId) {
    std::erase_if(standing_, [&](const Standing& s) { return s.objectId == 0 && s.aircraftId == aircraftId; });
}

std::optional<std::string> ParkAirport::nearestStandName(double lat, double lon, double maxNm) const {
    if (!airport_) return std::nullopt;
    const Stand* best = nullptr;
    double bestDistance = maxNm;
    for (const Stand& stand : state_.stands) {
        const double d = gf_distanceNm(lat, lon, stand.latitude, stand.longitude);
        if (d <= bestDistance) {
            bestDistance = d;
            best = &stand;
        }
    }
    return best ? std::optional<std::string>(best->id) : std::nullopt;
}

LiveStandFind ParkAirport::findLiveStand(const LiveStandQuery& query) {
    if (!airport_ || state_.stands.empty()) return {};
    LiveStandFind found = gf_searchLiveStand(state_, query);
    // The aircraft stopped at the user's stand: it does not park at all, rather than on a stand
    // beside the one its data says it is on.
    if (found.number != 0) {
        const std::string& id = state_.stands[found.number - 1].id;
        if (id == reservedStand() || id == userStand_) return {};
    }
    if (found.number != 0 && found.tooSmall) found.widened = gf_widenStandFor(state_.stands[found.number - 1], query.halfWingspanNm);
    return found;
}

const Stand* ParkAirport::stand(std::uint32_t number) const {
    if (!airport_ || number < 1 || number > state_.stands.size()) return nullptr;
    return &state_.stands[number - 1];
}

void ParkAirport::makeWayForLive(std::uint32_t standNumber, const std::string& liveCallsign, bool excludedStand) {
    const Stand* target = stand(standNumber);
    if (target == nullptr) return;
    const auto inTheWay = [&](std::uint32_t number) {
        return number == standNumber || std::find(target->adjacent.begin(), target->adjacent.end(), number) != target->adjacent.end();
    };
    clearStands(inTheWay, [&](const Standing& s) {
        const std::string& at = state_.stands[s.aircraft.stand - 1].id;
        // A stand too small for the live aircraft is taken only because it stopped there.
        if (excludedStand && s.objectId != 0) {
            logLine("{:8}: {:8} makes way for {} parking at excluded stand {}", at, s.aircraft.callsign, liveCallsign, target->id);
            return;
        }
        const char* where = s.aircraft.stand == standNumber ? "" : " neighbour";
        logLine("{}{:8}: {:8} {} makes way for{} {} {}", s.objectId == 0 ? "queued " : "", at,
                s.aircraft.callsign, s.aircraft.registration, where, liveCallsign, target->id);
    });
}

void ParkAirport::parkLiveOver(std::uint32_t standNumber, const std::string& liveCallsign) {
    const Stand* target = stand(standNumber);
    if (target == nullptr) return;
    clearStands([&](std::uint32_t number) { return number == standNumber; }, [&](const Standing& s) {
        // The dash is the log's own Windows-1252 byte.
        if (s.objectId != 0)
            logLine("{:8}: {:8} parks over static {} \x97 static will be removed", target->id, liveCallsign, s.aircraft.callsign);
    });
}

void ParkAirport::clearStands(const std::function<bool(std::uint32_t stand)>& inTheWay,
                              const std::function<void(const Standing&)>& announce) {
    std::erase_if(planned_, [&](const PlannedPosition& p) { return inTheWay(p.stand); });
    for (auto it = standing_.begin(); it != standing_.end();) {
        if (!inTheWay(it->aircraft.stand)) {
            ++it;
            continue;
        }
        announce(*it);
        it = dropStatic(it);
    }
}

void ParkAirport::learnLiveAtStand(std::uint32_t standNumber, const LiveAtAirport& aircraft) {
    if (airport_) lf_addRealStandOption(state_, standNumber, aircraft, hooks_.clock ? hooks_.clock() : ParkingClock{});
}

std::vector<ParkAirport::Standing>::iterator ParkAirport::dropStatic(std::vector<Standing>::iterator it) {
    if (hooks_.removeStatic) hooks_.removeStatic(it->objectId, it->aircraftId);
    return standing_.erase(it);
}

void ParkAirport::takePlan(std::vector<PlannedPosition> plan) {
    planned_ = std::move(plan);
    if (planned_.empty()) return;
    double sum = 0.0;
    for (const PlannedPosition& p : planned_) sum += p.fit;
    averageFit_ = sum / static_cast<double>(planned_.size());
}

bool ParkAirport::removeStaticAt(const std::string& standId) {
    const auto it = std::find_if(standing_.begin(), standing_.end(), [&](const Standing& s) {
        const Stand* at = stand(s.aircraft.stand);
        return at != nullptr && at->id == standId;
    });
    if (it == standing_.end()) return false;
    logLine("{:8}: {} removed from the reserved stand", standId, it->aircraft.callsign);
    dropStatic(it);
    return true;
}

void ParkAirport::removeDuplicateOfLive(const std::vector<LiveAtAirport>& live) {
    for (const LiveAtAirport& a : live) {
        const auto it = std::find_if(standing_.begin(), standing_.end(), [&](const Standing& s) {
            return (!a.registration.empty() && s.aircraft.registration == a.registration) ||
                   (!a.callsign.empty() && s.aircraft.callsign == a.callsign + "*");
        });
        if (it == standing_.end()) continue;
        const Stand* at = stand(it->aircraft.stand);
        logLine("{:8}: static {} removed, it is live as {}", at ? at->id : std::string(), it->aircraft.callsign, a.callsign);
        dropStatic(it);
        return;
    }
}

void ParkAirport::reCheckReservedStand(const std::string& before) {
    const std::string now = reservedStand();
    if (now != before) logLine("reserved stand changed from '{}' to '{}'", before, now);
    else logLine("park airports and stands are okay");
}

bool ParkAirport::removeStaticNear(LatLon at, double halfWingspanNm, const std::string& exceptCallsign,
                                   const std::string& who) {
    for (auto it = standing_.begin(); it != standing_.end(); ++it) {
        const Stand* at_stand = stand(it->aircraft.stand);
        if (it->objectId == 0 || at_stand == nullptr || it->aircraft.callsign == exceptCallsign) continue;
        // The stand's radius stands for the static aircraft's half wingspan: it was chosen to fit.
        const double limit = 1.1 * (at_stand->radius + halfWingspanNm);
        if (gf_distanceNm(at.lat, at.lon, at_stand->latitude, at_stand->longitude) > limit) continue;
        logLine("{:8}: static {} removed, {} comes too close", at_stand->id, it->aircraft.callsign, who);
        dropStatic(it);
        return true;
    }
    return false;
}

std::vector<std::uint32_t> ParkAirport::staticObjectIds() const {
    std::vector<std::uint32_t> ids;
    for (const Standing& s : standing_)
        if (s.objectId != 0) ids.push_back(s.objectId);
    return ids;
}

std::optional<ParkAirport::StaticOnStand> ParkAirport::staticByObject(std::uint32_t objectId) const {
    for (const Standing& s : standing_) {
        if (s.objectId != objectId || objectId == 0) continue;
        const Stand* at = stand(s.aircraft.stand);
        if (at == nullptr) return std::nullopt;
        return StaticOnStand{at->id, s.aircraft.callsign, at->cargo};
    }
    return std::nullopt;
}

int ParkAirport::wantedCount() const {
    if (!airport_) return 0;
    const PlannerSettings settings = hooks_.plannerSettings ? hooks_.plannerSettings() : PlannerSettings{};
    return StaticParkingPlanner::wantedCount(settings, state_.stands.size());
}

} // namespace vorl

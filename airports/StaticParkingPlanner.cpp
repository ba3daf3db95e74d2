#include "airports/StaticParkingPlanner.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "common/Geodesy.h"
#include "common/Log.h"
#include "common/TimeStamp.h"

namespace vorl {
namespace {

constexpr double kMetersPerNm = 1852.0;
constexpr double kParkedSearchMeters = 110.0;
constexpr double kTooSmallStandMeters = 20.0;
constexpr double kAlternativeMeters = 85.0;
constexpr double kWingspanMarginMeters = 1.8;
constexpr int kRotorcraft = 5;

double lf_meters(double lat1, double lon1, double lat2, double lon2) {
    return gf_distanceNm(lat1, lon1, lat2, lon2) * kMetersPerNm;
}

std::string lf_plural(std::size_t n) { return n == 1 ? "" : "s"; }

void lf_logClock(const ParkingClock& clock) {
    logLine("\n{} (utc) It is day {} ({}), {:.1F} hours", gf_nowText(), clock.day, gf_dayName(clock.day), clock.hours);
}

bool lf_sameAircraft(const std::string& callsignA, const std::string& registrationA, const std::string& callsignB,
                     const std::string& registrationB) {
    return (!callsignA.empty() && callsignA == callsignB) || (!registrationA.empty() && registrationA == registrationB);
}

} // namespace

int StaticParkingPlanner::wantedCount(const PlannerSettings& settings, std::size_t standCount) {
    if (settings.maxParkSel <= 0) return 0;
    const int pct = settings.customParkingPercentage >= 0 ? settings.customParkingPercentage : settings.parkingPercentage;
    const auto n = static_cast<int>(standCount);
    int wanted = 1;
    if (n > 1 && (n > 3 || pct >= 50)) wanted = static_cast<int>(std::lround(pct * n / 100.0));
    if (n == 0) wanted = 0;
    return std::min(wanted, settings.maxParkSel);
}

void StaticParkingPlanner::begin(AirportState& airport, const PlannerSettings& settings, const PlannerWorld& world,
                                 const ParkingClock& clock) {
    airport_ = &airport;
    settings_ = &settings;
    world_ = &world;
    clock_ = clock;
    wanted_ = static_cast<std::size_t>(wantedCount(settings, airport.stands.size()));
    planned_.clear();
    standing_.clear();
    flags_.assign(airport.stands.size(), Flags{});
    for (std::size_t i = 0; i < airport.stands.size(); ++i) {
        Stand& stand = airport.stands[i];
        for (std::size_t k = 0; k < stand.options.size(); ++k) stand.options[k].number = static_cast<std::uint32_t>(k + 1);
        const auto& reserved = world.reservedStandIds;
        flags_[i].reserved = std::find(reserved.begin(), reserved.end(), stand.id) != reserved.end();
    }
    for (const LiveAtAirport& live : world.live)
        if (live.parked && live.stand >= 1 && live.stand <= flags_.size()) flags_[live.stand - 1].liveOccupied = true;
}

void StaticParkingPlanner::select(std::uint32_t standNumber) {
    if (standNumber < 1 || standNumber > flags_.size()) return;
    flags_[standNumber - 1].selected = true;
    for (std::uint32_t neighbour : airport_->stands[standNumber - 1].adjacent)
        if (neighbour >= 1 && neighbour <= flags_.size()) flags_[neighbour - 1].neighbourTaken = true;
}

std::size_t StaticParkingPlanner::selectedCount() const {
    return static_cast<std::size_t>(std::count_if(flags_.begin(), flags_.end(), [](const Flags& f) { return f.selected; }));
}

bool StaticParkingPlanner::fits(const Stand& stand, std::uint16_t type, double halfWingspanNm) const {
    if (stand.type != 0) return gf_parkingTypeAccepts(stand.type, world_->category ? world_->category(type) : 2);
    return (halfWingspanNm - stand.radius) * kMetersPerNm <= kWingspanMarginMeters;
}

std::uint32_t StaticParkingPlanner::standForParked(const ParkedRecord& record, const ModelCode& identity,
                                                   double halfWingspanNm) {
    double best = 900.0, alternativeBest = 900.0;
    std::uint32_t chosen = 0, alternative = 0;
    bool tooSmall = false, lookForAlternatives = true;
    for (std::size_t i = 0; i < airport_->stands.size(); ++i) {
        const Stand& stand = airport_->stands[i];
        if (flags_[i].selected || flags_[i].reserved) continue;
        const double d = lf_meters(record.lat, record.lon, stand.latitude, stand.longitude);
        const bool fit = fits(stand, identity.typeIndex, halfWingspanNm);
        if (d <= kParkedSearchMeters && d < best && (fit || d <= kTooSmallStandMeters)) {
            best = d;
            chosen = stand.number;
            tooSmall = !fit;
            if (fit) lookForAlternatives = false;
        } else if (lookForAlternatives && d <= kAlternativeMeters && d < alternativeBest && fit) {
            const bool known = std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
                return lf_sameAircraft(o.callsign, o.registration, record.callsign, record.registration) ||
                       (o.airline == identity.airlineIndex && o.type == identity.typeIndex);
            });
            if (known) {
                alternativeBest = d;
                alternative = stand.number;
            }
        }
    }
    if (chosen == 0) {
        chosen = alternative;
        tooSmall = false;
    }
    if (chosen == 0) return 0;
    Stand& stand = airport_->stands[chosen - 1];
    const bool heli = world_->category && world_->category(identity.typeIndex) == kRotorcraft;
    if (stand.heli != heli) return 0;
    if (tooSmall) {
        stand.radius = halfWingspanNm - 1.0 / kMetersPerNm;
        stand.radiusChange = true;
        ++airport_->updates;
    }
    return chosen;
}

int StaticParkingPlanner::placeParkedTraffic(const std::set<std::string, std::less<>>& alreadyStanding) {
    int placed = 0;
    for (const ParkedRecord& record : world_->parkedTraffic) {
        // Every static aircraft counts once: the planned ones, parked traffic among them, and
        // those that stay standing.
        if (!settings_->rtParkTrafficOnly && planned_.size() + alreadyStanding.size() >= wanted_) break;
        if (record.callsign.empty() || alreadyStanding.count(record.callsign) != 0) continue;
        if (world_->inRangeCallsigns.count(record.callsign) || world_->inRangeCallsigns.count(record.callsign + "_")) continue;
        const bool live = std::any_of(world_->live.begin(), world_->live.end(), [&](const LiveAtAirport& a) {
            return lf_sameAircraft(a.callsign, a.registration, record.callsign, record.registration);
        });
        if (live) continue;
        const ModelCode identity = world_->identityOf ? world_->identityOf(record) : record.code;
        const double halfWingspan = world_->halfWingspanNm ? world_->halfWingspanNm(identity.typeIndex) : 0.0;
        const std::uint32_t stand = standForParked(record, identity, halfWingspan);
        if (stand == 0) {
            logLine("[{:10}: {:8x} {:8} {:12}, hh:{} ===> no stand for PT {}", record.callsign, record.hexId, record.type,
                    record.registration, record.halfHourSlot, fmt::format("{:.6f},{:.6f}", record.lat, record.lon));
            continue;
        }
        PlannedPosition position;
        position.kind = PlannedPosition::FromParkedTraffic;
        position.stand = stand;
        position.airline = identity.airlineIndex;
        position.type = identity.typeIndex;
        position.operatorIndex = identity.operatorIndex;
        position.cargo = identity.cargo != 0;
        position.callsign = record.callsign;
        position.registration = record.registration;
        position.staysOn = true;
        planned_.push_back(std::move(position));
        select(stand);
        ++placed;
    }
    return placed;
}

bool StaticParkingPlanner::inUse(const StandOption& option) const {
    const auto same = [&](const std::string& callsign, const std::string& registration) {
        return lf_sameAircraft(option.callsign, option.registration, callsign, registration);
    };
    if (!option.registration.empty() &&
        std::any_of(planned_.begin(), planned_.end(), [&](const PlannedPosition& p) { return p.registration == option.registration; }))
        return true;
    if (world_->inRangeCallsigns.count(option.callsign) || (!option.callsignExtra.empty() && world_->inRangeCallsigns.count(option.callsignExtra)))
        return true;
    if (std::any_of(world_->live.begin(), world_->live.end(), [&](const LiveAtAirport& a) { return same(a.callsign, a.registration); }))
        return true;
    if (std::any_of(planned_.begin(), planned_.end(), [&](const PlannedPosition& p) { return same(p.callsign, p.registration); }))
        return true;
    // A static aircraft that leaves in this adjustment does not come back at once elsewhere.
    if (std::any_of(standing_.begin(), standing_.end(), [&](const StaticAircraft& a) { return same(a.callsign, a.registration); }))
        return true;
    return std::any_of(world_->parkedTraffic.begin(), world_->parkedTraffic.end(),
                       [&](const ParkedRecord& r) { return same(r.callsign, r.registration); });
}

std::vector<PlannedPosition> StaticParkingPlanner::searchStands(const PassFilter& filter, int fit) {
    std::vector<PlannedPosition> found;
    const ParkingClock target = clock_.earlier(fit);
    for (std::size_t i = 0; i < airport_->stands.size(); ++i) {
        Stand& stand = airport_->stands[i];
        const Flags& flags = flags_[i];
        if (flags.selected || flags.reserved || flags.neighbourTaken) continue;
        if (stand.heli && !settings_->helicopterStands) continue;
        std::vector<StandOption*> candidates;
        for (StandOption& option : stand.options) {
            if (option.number == 0 || (filter.todayOnly && static_cast<int>(option.day) != target.day)) continue;
            if (option.real != filter.realOnly || !option.hours.test(static_cast<std::size_t>(target.slot))) continue;
            const double halfWingspan = world_->halfWingspanNm ? world_->halfWingspanNm(option.type) : 0.0;
            const bool crowded = std::any_of(world_->live.begin(), world_->live.end(), [&](const LiveAtAirport& live) {
                const bool adjacent = std::find(stand.adjacent.begin(), stand.adjacent.end(), live.stand) != stand.adjacent.end();
                return live.parked && adjacent &&
                       halfWingspan + live.halfWingspanNm > gf_distanceNm(live.lat, live.lon, stand.latitude, stand.longitude);
            });
            if (!crowded) candidates.push_back(&option);
        }
        if (candidates.empty()) continue;
        StandOption* chosen = nullptr;
        for (const LiveAtAirport& live : world_->live) {
            if (!live.parked || live.stand != stand.number) continue;
            for (StandOption* option : candidates)
                if (option->airline == live.identity.airlineIndex && option->type == live.identity.typeIndex &&
                    lf_sameAircraft(option->callsign, option->registration, live.callsign, live.registration))
                    chosen = option;
        }
        if (chosen == nullptr) {
            std::shuffle(candidates.begin(), candidates.end(), random_);
            chosen = candidates.front();
        }
        if (inUse(*chosen)) {
            chosen->number = 0;
            continue;
        }
        PlannedPosition position;
        position.stand = stand.number;
        position.fit = fit;
        position.airline = chosen->airline;
        position.type = chosen->type;
        position.callsign = chosen->callsign;
        position.callsignExtra = chosen->callsignExtra;
        position.registration = chosen->registration;
        if (clock_.slot < 47) {
            position.staysOn = chosen->hours.test(static_cast<std::size_t>(clock_.slot + 1));
        } else {
            const int nextDay = clock_.day == 7 ? 1 : clock_.day + 1;
            position.staysOn = std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
                return static_cast<int>(o.day) == nextDay && o.registration == chosen->registration && o.hours.test(0);
            });
        }
        // Taken at once so that the next candidates of this fit already see the aircraft in use.
        planned_.push_back(position);
        found.push_back(std::move(position));
        select(stand.number);
    }
    // The caller decides what of this fit's finds it keeps.
    planned_.resize(planned_.size() - found.size());
    return found;
}

void StaticParkingPlanner::runPass(const PassFilter& filter, std::size_t kept) {
    if (wanted_ == 0) return;
    std::vector<PlannedPosition> last;
    int fit = 0;
    const std::size_t before = planned_.size();
    for (; fit <= settings_->maxFit; ++fit) {
        last = searchStands(filter, fit);
        if (selectedCount() >= wanted_) break;
        planned_.insert(planned_.end(), last.begin(), last.end());
        last.clear();
    }
    const int reached = std::min(fit, settings_->maxFit);
    (filter.realOnly ? realFit_ : softFit_) = reached;
    const std::size_t goal = wanted_;
    // The positions of the last fit level fit equally well: which of them give way to the
    // wanted count is left to chance, not to the order of the stands in the file.
    if (planned_.size() + last.size() + kept > goal && !last.empty()) {
        std::shuffle(last.begin(), last.end(), random_);
        const std::size_t surplus = std::min(last.size(), planned_.size() + last.size() + kept - goal);
        last.resize(last.size() - surplus);
    }
    planned_.insert(planned_.end(), last.begin(), last.end());
    if (planned_.size() + kept > goal) planned_.resize(goal > kept ? goal - kept : 0);
    const std::size_t count = planned_.size() > before ? planned_.size() - before : 0;
    if (count > 0) {
        logLine("{} {} position{} found, Max fit={:.1F} hours{}{}", count, filter.label, lf_plural(count),
                gf_maxFitHours(settings_->maxFit), filter.todayOnly ? fmt::format(", day {}", clock_.day) : "",
                fmt::format(", hh:{} or {:.1F} hrs, fit: {:.1F} hour", clock_.slot, clock_.hours, reached / 2.0));
    }
}

void StaticParkingPlanner::fillPasses(std::size_t kept) {
    const PassFilter passes[] = {{true, true, "real"}, {true, false, "week/real"}, {false, true, "soft"}, {false, false, "week/soft"}};
    const bool runs[] = {true, settings_->week, settings_->parkSoft, settings_->week && settings_->parkSoft};
    for (std::size_t i = 0; i < 4; ++i) {
        if (planned_.size() + kept >= wanted_) break;
        if (runs[i]) runPass(passes[i], kept);
    }
}

std::vector<PlannedPosition> StaticParkingPlanner::plan(AirportState& airport, const PlannerSettings& settings,
                                                        const PlannerWorld& world, const ParkingClock& clock) {
    logLine("Calculating static parked aircraft ...");
    lf_logClock(clock);
    begin(airport, settings, world, clock);
    realFit_ = softFit_ = -1;
    if (settings.maxParkSel > 0 && world.parkedTrafficReceived) {
        const int placed = placeParkedTraffic({});
        if (!settings.rtParkTrafficOnly) logLine("{} parking position{} from PT", placed, lf_plural(static_cast<std::size_t>(placed)));
    }
    if (!settings.rtParkTrafficOnly && wanted_ > planned_.size()) {
        fillPasses(0);
        std::stable_sort(planned_.begin(), planned_.end(), [](const auto& a, const auto& b) { return a.fit < b.fit; });
        if (planned_.size() > wanted_) planned_.resize(wanted_);
    }
    if (planned_.empty()) {
        logLine("no parking positions found");
        return {};
    }
    if (settings.rtParkTrafficOnly) {
        logLine("{} positions from RT parktraffic only\n", planned_.size());
    } else {
        const auto n = airport.stands.size();
        const int share = n == 0 ? 0 : static_cast<int>(std::lround(planned_.size() * 100.0 / static_cast<double>(n)));
        const int pct = settings.customParkingPercentage >= 0 ? settings.customParkingPercentage : settings.parkingPercentage;
        logLine("{} positions ({}% vs wanted {}%, with Max fit={:.1F} hours)\n", planned_.size(), share, pct,
                gf_maxFitHours(settings.maxFit));
    }
    std::stable_sort(planned_.begin(), planned_.end(), [](const auto& a, const auto& b) { return a.fit > b.fit; });
    return planned_;
}

bool StaticParkingPlanner::stillStands(const StaticAircraft& aircraft) const {
    if (aircraft.kind == PlannedPosition::FromParkedTraffic) return true;
    if (aircraft.stand < 1 || aircraft.stand > airport_->stands.size()) return false;
    const Stand& stand = airport_->stands[aircraft.stand - 1];
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return lf_sameAircraft(o.callsign, o.registration, aircraft.callsign, aircraft.registration) &&
               o.hours.test(static_cast<std::size_t>(clock_.slot)) &&
               (settings_->week || static_cast<int>(o.day) == clock_.day);
    });
}

ParkingChanges StaticParkingPlanner::adjust(AirportState& airport, const PlannerSettings& settings, const PlannerWorld& world,
                                            const ParkingClock& clock, const std::vector<StaticAircraft>& standing, bool flush) {
    lf_logClock(clock);
    begin(airport, settings, world, clock);
    if (!flush) standing_ = standing;
    ParkingChanges changes;
    std::vector<StaticAircraft> remaining;
    if (flush) changes.remove = standing;
    else remaining = standing;
    if (!settings.rtParkTrafficOnly && remaining.size() > wanted_) {
        const std::size_t surplus = remaining.size() - wanted_;
        logLine("Parking adjustments: {} more live ac than wanted", surplus);
        changes.remove.insert(changes.remove.end(), remaining.end() - static_cast<std::ptrdiff_t>(surplus), remaining.end());
        remaining.resize(wanted_);
    }
    for (const StaticAircraft& aircraft : remaining) select(aircraft.stand);
    std::set<std::string, std::less<>> standingCallsigns;
    for (const StaticAircraft& aircraft : remaining) standingCallsigns.insert(aircraft.callsign);

    if (world.parkedTrafficReceived) {
        const int placed = placeParkedTraffic(standingCallsigns);
        logLine("{} new parking position{} from PT", placed, lf_plural(static_cast<std::size_t>(placed)));
        if (settings.rtParkTrafficOnly) {
            std::size_t removed = 0;
            for (const StaticAircraft& aircraft : remaining) {
                const bool stillReported = std::any_of(world.parkedTraffic.begin(), world.parkedTraffic.end(),
                                                       [&](const ParkedRecord& r) { return r.callsign == aircraft.callsign; });
                if (!stillReported) {
                    changes.remove.push_back(aircraft);
                    ++removed;
                }
            }
            logLine("ParkTraffic changes: {} to be removed, {} to be added", removed, planned_.size());
            changes.add = planned_;
            return changes;
        }
    }
    std::size_t kept = 0;
    for (const StaticAircraft& aircraft : remaining) {
        if (stillStands(aircraft)) {
            ++kept;
        } else {
            changes.remove.push_back(aircraft);
            if (aircraft.stand >= 1 && aircraft.stand <= flags_.size()) flags_[aircraft.stand - 1].selected = false;
        }
    }
    // A stand freed by a leaving aircraft is open again, but its neighbours stay taken by the
    // aircraft that remain around them.
    for (auto& flag : flags_) flag.neighbourTaken = false;
    for (std::size_t i = 0; i < flags_.size(); ++i)
        if (flags_[i].selected) select(static_cast<std::uint32_t>(i + 1));
    if (planned_.size() + kept < wanted_) fillPasses(kept);
    std::stable_sort(planned_.begin(), planned_.end(), [](const auto& a, const auto& b) { return a.fit > b.fit; });
    changes.add = planned_;
    logLine("Parking adjustments: {} to be removed, {} to be added\n", changes.remove.size(), changes.add.size());
    return changes;
}

bool lf_addRealStandOption(AirportState& airport, std::uint32_t standNumber, const LiveAtAirport& aircraft,
                           const ParkingClock& clock) {
    if (standNumber < 1 || standNumber > airport.stands.size()) return false;
    Stand& stand = airport.stands[standNumber - 1];
    std::string registration = aircraft.registration;
    if (!registration.empty() && registration.back() == '_') registration.pop_back();
    const auto slot = static_cast<std::size_t>(clock.slot);
    const auto sameDay = [&](const StandOption& o) {
        return o.real && o.registration == registration && static_cast<int>(o.day) == clock.day;
    };
    for (const StandOption& option : stand.options)
        if (sameDay(option) && option.source == 1 && option.hours.test(slot)) return false;
    logLine("{}: hh_now: {}, {}", "lf_addRealStandOption", clock.slot, registration);
    for (StandOption& option : stand.options) {
        if (sameDay(option) && option.source == 0) {
            if (option.hours.test(slot)) return false;
            option.hours.set(slot);
            ++airport.updates;
            return true;
        }
    }
    StandOption option;
    option.airline = aircraft.identity.airlineIndex;
    option.type = aircraft.identity.typeIndex;
    option.registration = registration;
    option.callsign = aircraft.callsign;
    option.hours.set(slot);
    option.day = static_cast<std::uint32_t>(clock.day);
    option.source = 0;
    option.real = true;
    option.number = static_cast<std::uint32_t>(stand.options.size() + 1);
    stand.options.push_back(std::move(option));
    ++airport.updates;
    return true;
}

} // namespace vorl

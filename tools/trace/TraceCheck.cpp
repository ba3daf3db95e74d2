#include "tools/trace/TraceCheck.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "common/Geodesy.h"

namespace vorl::tracecheck {
namespace {

using nlohmann::json;

constexpr double kMetresPerNm = 1852.0;
// A step between two frames is a teleport when it is faster than this share of the speed the
// aircraft reports, plus a margin for the start of a leg.
constexpr double kTeleportSpeedFactor = 1.5;
constexpr double kTeleportMarginKt = 40.0;
constexpr double kMinFrameGapMs = 100.0; // shorter gaps show the frame timing, not the movement
constexpr std::size_t kMaxFindings = 10;

ErrorFigures lf_figures(std::vector<double>& errors) {
    ErrorFigures f;
    f.count = errors.size();
    if (errors.empty()) return f;
    std::sort(errors.begin(), errors.end());
    f.medianM = errors[errors.size() / 2];
    f.p95M = errors[std::min(errors.size() - 1, static_cast<std::size_t>(std::ceil(errors.size() * 0.95)) - 1)];
    return f;
}

std::string lf_text(const json& value) {
    if (value.is_string()) return value.get<std::string>();
    return {};
}

void lf_note(TraceReport& report, std::string text) {
    if (report.findings.size() < kMaxFindings) report.findings.push_back(std::move(text));
}

} // namespace

ScenarioTruth ScenarioTruth::parse(std::istream& lines) {
    ScenarioTruth truth;
    std::map<std::string, std::size_t> byHex;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        const json entry = json::parse(line, nullptr, false);
        if (entry.is_discarded()) continue;
        if (entry.value("kind", "") == "header") truth.duration_ = entry.value("duration", 0.0);
        if (entry.value("kind", "") != "pos") continue;
        const json& rec = entry.at("rec");
        const std::string hex = entry.at("hex").get<std::string>();
        auto [it, fresh] = byHex.emplace(hex, truth.tracks_.size());
        if (fresh) truth.tracks_.push_back({lf_text(rec.at(13)), {}});
        Track& track = truth.tracks_[it->second];
        if (track.callsign.empty()) track.callsign = lf_text(rec.at(13));
        Position p;
        p.lat = rec.at(1).get<double>();
        p.lon = rec.at(2).get<double>();
        p.onGround = rec.at(14).is_number() && rec.at(14).get<double>() != 0.0;
        p.groundSpeedKt = rec.at(5).is_number() ? rec.at(5).get<double>() : 0.0;
        track.samples.push_back({entry.at("t").get<double>(), p});
    }
    return truth;
}

bool ScenarioTruth::at(const std::string& callsign, double t, Position& out) const {
    // The replay loops, so the first minutes show the end of the scenario as its recent past.
    if (duration_ > 0.0) t = std::fmod(std::fmod(t, duration_) + duration_, duration_);
    for (const Track& track : tracks_) {
        if (track.callsign != callsign || track.samples.empty()) continue;
        if (t < track.samples.front().t || t > track.samples.back().t) continue;
        const auto after = std::upper_bound(track.samples.begin(), track.samples.end(), t,
                                            [](double value, const Sample& s) { return value < s.t; });
        if (after == track.samples.end()) {
            out = track.samples.back().p;
            return true;
        }
        const Sample& b = *after;
        const Sample& a = *(after - 1);
        const double share = b.t > a.t ? (t - a.t) / (b.t - a.t) : 0.0;
        out = a.p;
        out.lat = a.p.lat + (b.p.lat - a.p.lat) * share;
        out.lon = a.p.lon + (b.p.lon - a.p.lon) * share;
        out.onGround = a.p.onGround && b.p.onGround;
        return true;
    }
    return false;
}

TraceReport gf_checkTrace(std::istream& trace, const ScenarioTruth& truth, const Alignment& alignment) {
    TraceReport report;
    struct Frame {
        double t;
        double lat;
        double lon;
    };
    std::map<std::uint64_t, Frame> lastFrame;
    std::map<std::uint64_t, std::string> tailOf;
    std::set<std::string> liveTails;
    std::vector<double> airErrors, groundErrors;
    struct Shown {
        std::string tail;
        double scenarioSecond;
        double lat;
        double lon;
    };
    std::vector<Shown> shown;
    double startEpoch = 0.0;
    std::string line;
    while (std::getline(trace, line)) {
        if (line.empty()) continue;
        const json e = json::parse(line, nullptr, false);
        if (e.is_discarded()) continue;
        const double t = e.value("t", 0.0);
        if (e.value("event", "") == "Start") {
            startEpoch = e.value("epoch", 0.0);
        } else if (e.value("call", "") == "AICreateNonATCAircraft") {
            ++report.creations;
        } else if (e.value("event", "") == "ObjectAdded" && e.contains("tail")) {
            const std::string tail = e.value("tail", "");
            const auto id = e.value("objectId", std::uint64_t{0});
            tailOf[id] = tail;
            ++report.objects;
            if (!liveTails.insert(tail).second) {
                ++report.duplicateCreations;
                lf_note(report, fmt::format("{} created while it is in the simulator already", tail));
            }
        } else if (e.value("event", "") == "ObjectRemoved") {
            const auto id = e.value("objectId", std::uint64_t{0});
            const auto tail = tailOf.find(id);
            if (tail != tailOf.end()) liveTails.erase(tail->second);
            lastFrame.erase(id);
        } else if (e.value("call", "") == "SetDataOnSimObject" && e.contains("lat")) {
            const auto id = e.value("objectId", std::uint64_t{0});
            const Frame now{t, e.value("lat", 0.0), e.value("lon", 0.0)};
            if (e.value("alt", 0.0) < alignment.groundFt - 1.0) {
                ++report.belowGround;
                lf_note(report, fmt::format("object {} below the ground at {:.0f} ft, t {:.0f} ms", id, e.value("alt", 0.0), t));
            }
            const auto last = lastFrame.find(id);
            if (last != lastFrame.end() && t - last->second.t >= kMinFrameGapMs) {
                const double hours = (t - last->second.t) / 3600000.0;
                const double kt = gf_distanceNm(last->second.lat, last->second.lon, now.lat, now.lon) / hours;
                const double allowed = kTeleportSpeedFactor * std::abs(e.value("tas", 0.0)) + kTeleportMarginKt;
                if (kt > allowed) {
                    ++report.teleports;
                    lf_note(report, fmt::format("object {} jumped at {:.0f} kt (allowed {:.0f}), t {:.0f} ms", id, kt, allowed, t));
                }
            }
            if (last == lastFrame.end() || t - last->second.t >= kMinFrameGapMs) lastFrame[id] = now;
        } else if (e.contains("position") && !e.value("user", false) && t >= alignment.warmUpSeconds * 1000.0) {
            const double wall = startEpoch + t / 1000.0;
            shown.push_back({e.value("tail", ""), alignment.replaySecond + (wall - alignment.playoutDelay - alignment.replayEpoch),
                             e.value("lat", 0.0), e.value("lon", 0.0)});
        }
    }
    // Errors at the nominal delay, and at the delay that fits the run best: the feed's data is
    // already some way into its age when it arrives, which adds a constant to the delay.
    const auto errorsAt = [&](double shift, std::vector<double>& air, std::vector<double>& ground, std::size_t* unknown) {
        for (const Shown& s : shown) {
            ScenarioTruth::Position truthAt;
            if (!truth.at(s.tail, s.scenarioSecond + shift, truthAt)) {
                if (unknown != nullptr) ++*unknown;
                continue;
            }
            const double metres = gf_distanceNm(truthAt.lat, truthAt.lon, s.lat, s.lon) * kMetresPerNm;
            (truthAt.onGround ? ground : air).push_back(metres);
        }
    };
    errorsAt(0.0, airErrors, groundErrors, &report.unknownTails);
    report.airborne = lf_figures(airErrors);
    report.ground = lf_figures(groundErrors);
    double bestMedian = report.airborne.medianM;
    for (double shift = -3.0; shift <= 1.0001; shift += 0.1) {
        std::vector<double> air, ground;
        errorsAt(shift, air, ground, nullptr);
        const ErrorFigures figures = lf_figures(air);
        if (figures.count == 0 || figures.medianM >= bestMedian) continue;
        bestMedian = figures.medianM;
        report.fittedShiftSeconds = shift;
        report.fittedAirborne = figures;
        report.fittedGround = lf_figures(ground);
    }
    return report;
}

std::string gf_reportText(const TraceReport& r) {
    std::string text = fmt::format(
        "creations {}, objects {}, duplicate creations {}, teleports {}, below ground {}, positions without truth {}\n"
        "after the warm-up: airborne position error: median {:.0f} m, p95 {:.0f} m over {} positions (target p95 < 300 m)\n"
        "ground position error:   median {:.1f} m, p95 {:.1f} m over {} positions (target p95 < 30 m)\n",
        r.creations, r.objects, r.duplicateCreations, r.teleports, r.belowGround, r.unknownTails, r.airborne.medianM,
        r.airborne.p95M, r.airborne.count, r.ground.medianM, r.ground.p95M, r.ground.count);
    text += fmt::format("with the delay that fits best ({:+.1f} s): airborne median {:.0f} m, p95 {:.0f} m; ground median {:.1f} m, "
                        "p95 {:.1f} m\n",
                        r.fittedShiftSeconds, r.fittedAirborne.medianM, r.fittedAirborne.p95M, r.fittedGround.medianM,
                        r.fittedGround.p95M);
    for (const std::string& finding : r.findings) text += "  " + finding + "\n";
    return text;
}

std::vector<StandRef> gf_readStands(const std::filesystem::path& airportFile) {
    pugi::xml_document doc;
    if (!doc.load_file(airportFile.c_str())) throw std::runtime_error("cannot read " + airportFile.string());
    std::vector<StandRef> stands;
    for (const pugi::xml_node& p : doc.child("root").child("parkpositions").children("parkpos"))
        stands.push_back({p.attribute("id").as_string(), p.attribute("latitude").as_double(), p.attribute("longitude").as_double(),
                          p.attribute("heading").as_double()});
    return stands;
}

StandReport gf_checkStands(std::istream& trace, const std::vector<StandRef>& stands, double standingSeconds) {
    // Closer than this to a stand is standing on it; farther off it is holding on a taxiway.
    constexpr double kNearStandM = 10.0;
    constexpr double kStillM = 0.05;
    struct Pose {
        std::string tail;
        double lat = 0.0, lon = 0.0, headingDeg = 0.0;
        double stillSince = 0.0; // trace ms
        bool checked = false;
    };
    std::map<std::string, Pose> created; // tail -> pose of its creation
    std::map<std::uint64_t, Pose> objects;
    StandReport report;
    const auto check = [&](Pose& pose, double now) {
        if (pose.checked || now - pose.stillSince < standingSeconds * 1000.0) return;
        const StandRef* nearest = nullptr;
        double best = kNearStandM;
        for (const StandRef& stand : stands) {
            const double m = gf_distanceNm(stand.lat, stand.lon, pose.lat, pose.lon) * kMetresPerNm;
            if (m < best) {
                best = m;
                nearest = &stand;
            }
        }
        if (nearest == nullptr) return;
        pose.checked = true;
        ++report.standing;
        const double turn = std::abs(std::remainder(pose.headingDeg - nearest->headingDeg, 360.0));
        if (best <= 2.0 && turn <= 2.0) ++report.onStand;
        else if (report.off.size() < 10)
            report.off.push_back(fmt::format("{} at {}: {:.1f} m, {:.1f} degrees off", pose.tail, nearest->id, best, turn));
    };
    std::string line;
    double now = 0.0;
    while (std::getline(trace, line)) {
        if (line.empty()) continue;
        const json e = json::parse(line, nullptr, false);
        if (e.is_discarded()) continue;
        now = e.value("t", now);
        if (e.value("call", "") == "AICreateNonATCAircraft") {
            created[e.value("tail", "")] = {e.value("tail", ""), e.value("lat", 0.0), e.value("lon", 0.0), e.value("heading", 0.0), now};
        } else if (e.value("event", "") == "ObjectAdded" && e.contains("tail")) {
            const auto it = created.find(e.value("tail", ""));
            if (it != created.end()) objects[e.value("objectId", std::uint64_t{0})] = it->second;
        } else if (e.value("event", "") == "ObjectRemoved") {
            const auto it = objects.find(e.value("objectId", std::uint64_t{0}));
            if (it != objects.end()) {
                check(it->second, now);
                objects.erase(it);
            }
        } else if (e.value("call", "") == "SetDataOnSimObject" && e.contains("headingRad")) {
            const auto it = objects.find(e.value("objectId", std::uint64_t{0}));
            if (it == objects.end()) continue;
            Pose& pose = it->second;
            const double lat = e.value("lat", 0.0), lon = e.value("lon", 0.0);
            const double heading = e.value("headingRad", 0.0) * 180.0 / 3.141592653589793;
            if (gf_distanceNm(lat, lon, pose.lat, pose.lon) * kMetresPerNm > kStillM || std::abs(heading - pose.headingDeg) > 0.05) {
                check(pose, now);
                const std::string tail = pose.tail;
                pose = {tail, lat, lon, heading, now, false};
            }
        }
    }
    for (auto& [id, pose] : objects) check(pose, now);
    return report;
}

std::string gf_standReportText(const StandReport& r) {
    std::string text = fmt::format("standing at stands: {} aircraft, {} within 2 m and 2 degrees of their stand\n", r.standing, r.onStand);
    for (const std::string& off : r.off) text += "  " + off + "\n";
    return text;
}

} // namespace vorl::tracecheck

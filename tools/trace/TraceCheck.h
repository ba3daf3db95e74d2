#pragma once
#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace vorl::tracecheck {

// How the replay of the RealTraffic stand-in lines up with the wall clock.
struct Alignment {
    double replaySecond = 0.0; // scenario second at which the replay started
    double replayEpoch = 0.0;  // the Unix time of that moment
    double playoutDelay = 30.0; // seconds the program shows aircraft behind their data
    double groundFt = -11.0;    // ground elevation of the scenario's airport
    // The buffered start plays its snapshots with less delay than the live data that follows;
    // positions are compared once the live data has taken over.
    double warmUpSeconds = 90.0;
};

struct ErrorFigures {
    std::size_t count = 0;
    double medianM = 0.0;
    double p95M = 0.0;
};

struct TraceReport {
    std::size_t creations = 0;
    std::size_t objects = 0;
    std::size_t teleports = 0;
    std::size_t belowGround = 0;
    std::size_t duplicateCreations = 0;
    std::size_t unknownTails = 0;
    ErrorFigures airborne;
    ErrorFigures ground;
    double fittedShiftSeconds = 0.0;
    ErrorFigures fittedAirborne;
    ErrorFigures fittedGround;
    std::vector<std::string> findings; // the first few faults, for the reader
};

// The scenario's tracks, indexed for position look-ups by callsign and time.
class ScenarioTruth {
public:
    static ScenarioTruth parse(std::istream& lines);
    struct Position {
        double lat = 0.0;
        double lon = 0.0;
        bool onGround = false;
        double groundSpeedKt = 0.0;
    };
    // Linear between the two samples around scenario second `t`; false outside the track.
    bool at(const std::string& callsign, double t, Position& out) const;

private:
    struct Sample {
        double t;
        Position p;
    };
    struct Track {
        std::string callsign;
        std::vector<Sample> samples;
    };
    std::vector<Track> tracks_;
    double duration_ = 0.0; // where the replay loops
};

// Reads the simulator stand-in's trace and compares what the program showed with the truth.
TraceReport gf_checkTrace(std::istream& trace, const ScenarioTruth& truth, const Alignment& alignment);

std::string gf_reportText(const TraceReport& report);

// A stand of the park airport's airport file.
struct StandRef {
    std::string id;
    double lat = 0.0;
    double lon = 0.0;
    double headingDeg = 0.0;
};

// The <parkpos> elements of an airport file.
std::vector<StandRef> gf_readStands(const std::filesystem::path& airportFile);

struct StandReport {
    std::size_t standing = 0; // aircraft that stood still near a stand for a while
    std::size_t onStand = 0;  // of them, within 2 m of the stand and 2 degrees of its heading
    std::vector<std::string> off;
};

// Every aircraft that stood still for at least `standingSeconds` within 10 m of a stand (static
// ones stand all their life) is checked against the nearest stand.
StandReport gf_checkStands(std::istream& trace, const std::vector<StandRef>& stands, double standingSeconds = 20.0);

std::string gf_standReportText(const StandReport& report);

} // namespace vorl::tracecheck

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

} // namespace vorl::tracecheck

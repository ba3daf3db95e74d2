#pragma once
#include <cstddef>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "airports/AirportFile.h"

namespace vorl::refdata {

// Where the stands of an archived airport file come from; named in the file and in the figures.
enum class StandOrigin { RampStarts, Groundnet, StartupLocations, MadeUpLayout };

// One parking spot of the open airport data before it becomes a stand.
struct StandSource {
    std::string name;
    double lat = 0.0;
    double lon = 0.0;
    double headingDeg = 0.0;
    // apt.dat: "gate", "tie_down", "hangar", "misc"; groundnet: "gate", "ga", "cargo",
    // "mil-cargo", "mil-fighter"; empty for start-up locations and layouts.
    std::string kind;
    // apt.dat ramp starts: the aircraft kinds allowed ("heavy", "jets", "turboprops", "props",
    // "helos"); empty where the source does not say.
    std::set<std::string> aircraft;
    double radiusMeters = 0; // given by the source (groundnet, size code); 0: from the rules
};

struct AirportSource {
    std::string icao;
    std::string name;
    int elevationFeet = 0;
    StandOrigin origin = StandOrigin::RampStarts;
    std::vector<StandSource> stands;
};

// The land airports of an X-Plane apt.dat text (header rows 1) with a four letter/digit code and
// not closed, each with its ramp starts (rows 1300, with the size code of a following 1301).
// Start-up locations (rows 15) are taken only for the airports in `startupAirports`, in place of
// ramp starts, since they say nothing about the aircraft that use them. Airports without spots
// are listed too (their names serve the groundnet files).
std::map<std::string, AirportSource> gf_readAptStands(const std::filesystem::path& aptDat,
                                                      const std::set<std::string>& startupAirports = {});

// The parkings of a FlightGear groundnet file (ICAO.groundnet.xml): position in "N52 18.123"
// notation, heading, radius in metres, type and name with number. The code comes from the
// file name; the origin is Groundnet.
AirportSource gf_readGroundnet(const std::filesystem::path& groundnetXml);

// The stands of an airport layout of the scenario generator (tools/scenario/*.json).
AirportSource gf_readLayoutStands(const std::filesystem::path& layoutJson);

// Stand radii in metres by the largest kind of aircraft a spot takes; helicopter-only spots are
// helipads of 20 m, half of that their radius, as the add-on scan sizes helipads.
inline constexpr double kHeavyRadiusM = 32.5, kJetRadiusM = 18.0, kTurbopropRadiusM = 12.0,
                        kPropRadiusM = 7.5, kHelipadRadiusM = 10.0;

// An archived stock airport file's content. Radii follow the source: the groundnet radius, the
// apt.dat size code, else the largest aircraft kind allowed; start-up locations allow no kinds
// and are taken as jet stands unless their name says helicopter, general aviation or cargo; the
// made-up layout's stands are as large as a heavy where its spacing leaves room. Two stands whose
// circles overlap but by less than the program's adjacency margin are widened until the program
// counts them adjacent, so that no two statics can stand wing over wing. Spots within 1 m of an
// earlier one are dropped.
AirportState gf_stockAirport(const AirportSource& source);

// Pairs of stands whose circles overlap (radius a + radius b > distance) and that the program's
// adjacency rule (radius a + radius b > 1.1 × distance) would not join; empty for a shipped file.
std::vector<std::pair<std::size_t, std::size_t>> gf_overlapsNotAdjacent(const std::vector<Stand>& stands);

// The airport database's stand class of an archived airport: 1 for a small airport (under 20
// stands, filled completely), 2 for a medium one (under 100, half filled), 3 for a large one.
int gf_standClass(std::size_t standCount);

// Writes ICAO.xml for each airport into `out` (a comment at the top names the source and its
// licence) and "stand-classes.csv" (ICAO,class) beside it.
void gf_writeStockAirports(const std::vector<AirportState>& airports, const std::filesystem::path& out,
                           const std::filesystem::path& classesFile,
                           const std::map<std::string, std::string>& sourceNotes = {});

// The note written at the top of an archived file of that origin.
std::string gf_originNote(StandOrigin origin);

} // namespace vorl::refdata

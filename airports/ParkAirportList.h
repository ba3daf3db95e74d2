#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FixedCode.h"
#include "common/Geodesy.h"

namespace vorl {

// One line of my_park_airports.txt: an airport whose stands get static aircraft, and the stand
// kept free for the user's aircraft there.
struct ParkAirportEntry {
    FixedCode<4> icao;
    LatLon position;
    std::string reservedStand;
};

// The user's park airports, most recent first, as kept in airports/my_park_airports.txt.
class ParkAirportList {
public:
    // Where an airport of the airport database lies; nothing for an unknown code.
    using AirportLookup = std::function<std::optional<LatLon>(std::string_view icao)>;
    using StatusSink = std::function<void(const std::string& text)>;

    ParkAirportList(std::filesystem::path file, AirportLookup lookup, StatusSink status = {});

    // Reads the file (lines "ICAO" or "ICAO,STAND"); false when it could not be read.
    bool read();
    const std::vector<ParkAirportEntry>& entries() const { return entries_; }
    const ParkAirportEntry* find(std::string_view icao) const;

    // The airport the user stands at becomes the first line, with its stand when known.
    void remember(std::string_view icao, const std::string& stand);

private:
    std::filesystem::path file_;
    AirportLookup lookup_;
    StatusSink status_;
    std::vector<ParkAirportEntry> entries_;
};

} // namespace vorl

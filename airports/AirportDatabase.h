#pragma once
#include <filesystem>
#include <unordered_set>
#include <vector>

#include "airports/AirportInfo.h"

namespace vorl {

using IcaoSet = std::unordered_set<IcaoCode, FixedCodeHash<4>>;

// The world's airports: filled once at start-up, read without locking afterwards.
struct AirportDatabase {
    std::vector<AirportInfo> table; // ascending ICAO order
    IcaoSet codes;                  // the ICAO codes of `table`
    bool read = false;              // set once the reading has run

    bool isKnownAirport(const IcaoCode& code) const { return codes.count(code) != 0; }
    // The record of `code`, or nullptr.
    const AirportInfo* find(const IcaoCode& code) const;
};

AirportDatabase& gf_airportDatabase();

// Start-up: decrypts `inputFolder`/airports.enc into airports.xml, reads it and removes the XML.
// Returns whether at least one airport is known; a second call answers the same without reading.
// A file that cannot be loaded or has no <airports> throws UserErrorException 88.
bool gf_readAirports(const std::filesystem::path& inputFolder, AirportDatabase& database = gf_airportDatabase());

// Reads a decrypted airports XML file into `database` (the file stays); failures throw
// std::runtime_error with the message the user is shown.
void gf_readAirportsXml(const std::filesystem::path& xmlPath, AirportDatabase& database);

} // namespace vorl

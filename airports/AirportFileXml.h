#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "airports/AirportFile.h"

namespace vorl {

using AirportHeader = std::map<std::string, std::string, std::less<>>;

// The name/value pairs of root/parameters.
AirportHeader gf_readAirportHeader(const pugi::xml_node& root);

// The stands of root/parkpositions in file order, with their options (marked with `source`).
// A stand without id, with a blank id or an id seen before is a user error (93, 93, 94); a stand
// without position is skipped with a warning.
std::vector<Stand> gf_readStands(const pugi::xml_node& root, std::int32_t source);

// The options of one parkpos element; those without hours or with a bad day are dropped.
std::vector<StandOption> gf_readStandOptions(const pugi::xml_node& parkpos, std::int32_t source);

// The position and shape attributes of a parkpos element into `stand`.
void gf_readStandShape(const pugi::xml_node& parkpos, Stand& stand);

enum class AirportFileKind { AirportFile, LearnedFile };

// Writes `state` as an airport file (header, every stand with its shape, no options) or as a
// learned file (parking settings in the header; stands with their hand-made changes and
// options). False with `error` set when the file could not be written; the previous file then
// stays as it was.
bool gf_writeAirportFile(const AirportState& state, const std::filesystem::path& path, AirportFileKind kind,
                         std::string* error = nullptr);

// "h" for one half-hour, "a:b" for a run of them; empty for an empty or broken-up set.
std::string gf_bitset2hours(const HalfHourSet& hours);
// The set as the texts of its contiguous ranges, earliest first ("3", "10:12").
std::vector<std::string> gf_bitset2hourRanges(const HalfHourSet& hours);

} // namespace vorl

#pragma once
#include <filesystem>
#include <string>

#include "airports/AirportFile.h"

namespace vorl {

// The format version written into learned files; files older than 11.10.0 recorded their
// options in a way that no longer fits, so only handmade ones keep them.
inline constexpr const char* kLearnedFileVersion = "11.10.0";

// The learned file that belongs to an airport file: the same ICAO.xml below airports/learned/,
// in stock/, simaddon/ or thirdparty/PUBLISHER/ after where the airport file came from.
std::filesystem::path gf_learnedPath(const std::string& airportFilePath, const std::string& publisher);

// Overlays a learned file on the airport read into `state`: its parking settings, its hand-made
// stands, radius and cargo changes, and its options merged into the stands' options.
void lf_readLearned(const std::filesystem::path& learnedFile, AirportState& state);

// Writes the learned file of the airport in `state` (below the context root); false when it
// could not be saved, with the previous file left intact.
bool gf_saveLearned(const AirportState& state);

} // namespace vorl

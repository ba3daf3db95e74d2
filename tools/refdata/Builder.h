#pragma once
#include <filesystem>

namespace vorl::refdata {

// Reads the open data sets unpacked below `sources` and writes dbase.xml, airports.xml,
// AIG-regcodes.xml and ICAO_airports.txt into `out`. Prints the counts it reaches.
void gf_buildReferenceData(const std::filesystem::path& sources, const std::filesystem::path& out);

} // namespace vorl::refdata

#pragma once
#include <filesystem>
#include <optional>
#include <string_view>

#include "airports/AirportDatabase.h"

namespace vorl {

// The ICAO list of the add-on airport scan: one code a line in ICAO_airports.txt. Lines that are
// not four letters/digits are skipped. A missing file logs and gives an empty list.
IcaoSet gf_readIcaoList(const std::filesystem::path& file);

// An airport code named in a free text (a package or folder name): every run of exactly four
// letters/digits is tried from left to right; the first one in `icaoList` that is also a known
// airport wins at once, otherwise the last one in `icaoList`.
std::optional<IcaoCode> gf_extractIcaoCode(std::string_view text, const IcaoSet& icaoList,
                                           const AirportDatabase& database = gf_airportDatabase());

} // namespace vorl

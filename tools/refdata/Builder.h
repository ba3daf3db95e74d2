#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tools/refdata/SourceTables.h"

namespace vorl::refdata {

// Reads the open data sets unpacked below `sources` (the layout fetch-sources.sh makes) and the
// project's own tables in `tables`, and writes dbase.xml, airports.xml, AIG-regcodes.xml and
// ICAO_airports.txt into `out`. Prints the counts it reaches.
void gf_buildReferenceData(const std::filesystem::path& sources, const std::filesystem::path& tables,
                           const std::filesystem::path& out);

// Types that may stand in for each other: the members of one manufacturer family in one size
// class (category), for every such set of two or more types.
std::vector<std::vector<std::string>> gf_similarGroups(const TypeTable& table);

// Designator prefixes of the families: for a family of two or more types whose designators share
// a prefix of at least two characters, the group is that prefix followed by the designators.
std::vector<std::vector<std::string>> gf_prefixGroups(const TypeTable& table);

} // namespace vorl::refdata

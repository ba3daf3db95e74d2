#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorl::refdata {

// One aircraft type of the hand-made type table.
struct TypeRow {
    std::string designator;        // ICAO type designator
    std::string family;            // manufacturer family, e.g. "Boeing 737"
    std::optional<double> spanM;   // full wingspan in metres
    std::string category;          // light, buzjet, large, heavy, highperf, rotor
    bool cargo = false;            // flown (almost) only as a freighter
    std::vector<std::string> aliases; // IATA codes and other spellings live traffic uses for it
};

// The project's own tables: types.csv (designators with family, span, category, cargo flag,
// aliases), fixes.csv (wrong -> correct designator), freighters.csv (freighter spelling ->
// designator, fixes too), cargo_operators.csv (ICAO codes) and publishers.csv.
struct TypeTable {
    std::vector<TypeRow> types;                // ordered by designator, unique
    std::map<std::string, std::string> fixes;  // wrong -> correct, aliases included
    std::set<std::string> freighterAliases;    // spellings that stand for a freighter version
    std::set<std::string> cargoOperators;
    std::vector<std::string> publishers;

    const TypeRow* find(const std::string& designator) const;
    // The designator for a spelling met in other data: itself when known, else its fix.
    std::optional<std::string> resolve(const std::string& spelling) const;
};

// Reads the tables from `folder`; malformed lines throw std::runtime_error naming file and line.
TypeTable gf_readTypeTable(const std::filesystem::path& folder);

// The comma-separated fields of one CSV line (no quoting: the tables never need it).
std::vector<std::string> gf_csvFields(const std::string& line);

} // namespace vorl::refdata

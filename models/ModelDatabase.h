#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/AircraftCategory.h"
#include "common/Fnv1a.h"
#include "models/IndexRegistry.h"
#include "common/ModelCode.h"

namespace vorl {

struct TypeSet {
    std::set<std::string> types;
    std::unordered_set<std::uint16_t> indexes;
    bool contains(std::uint16_t index) const { return indexes.count(index) != 0; }
};

struct RegistrationRecord {
    std::string registration;
    ModelCode code;
};

using StringMap = std::unordered_map<std::string, std::string, Fnv1aHash, std::equal_to<>>;

// The known aircraft types, airlines and registrations. Filled once at start-up; afterwards only
// the two registries grow, with strings first met in live traffic.
class ModelDatabase {
public:
    std::set<std::string, std::less<>> aircraftTypes;
    TypeSet cargoTypes;
    TypeSet heavy, large, businessJet, highPerformance, rotorcraft;
    std::vector<std::vector<std::string>> similarGroups;
    std::vector<std::vector<std::string>> prefixGroups;
    std::set<std::string, std::less<>> airlines;
    std::set<std::string, std::less<>> cargoOperators;
    std::unordered_set<std::uint16_t> cargoOperatorIndexes;
    std::vector<std::string> publishers;
    std::unordered_map<std::string, double, Fnv1aHash, std::equal_to<>> wingspans; // half span, nm
    double largestHalfWingspanNm = 0.0;
    StringMap typeFixes;
    std::vector<std::string> simAddons20, simAddons24;
    std::map<std::string, std::vector<std::string>> thirdParties20, thirdParties24; // publisher -> airports
    std::vector<RegistrationRecord> registrations; // sorted by registration

    IndexRegistry typeRegistry;
    IndexRegistry airlineRegistry;

    std::uint16_t typeIndexOf(std::string_view type);
    std::uint16_t airlineIndexOf(std::string_view airline);
    std::string typeOf(std::uint16_t typeIndex) const { return typeRegistry.name(typeIndex); }
    std::string airlineOf(std::uint16_t airlineIndex) const { return airlineRegistry.name(airlineIndex); }

    bool isKnownType(std::string_view type) const;
    AircraftCategory category(std::uint16_t typeIndex) const;
    static bool isNonAircraftType(std::string_view type);
    bool isCargoType(std::uint16_t typeIndex) const { return cargoTypes.contains(typeIndex); }
    bool isCargoOperator(std::uint16_t airlineIndex) const { return cargoOperatorIndexes.count(airlineIndex) != 0; }

    // Half wingspan in nautical miles, when the type has one.
    std::optional<double> halfWingspanNm(std::string_view type) const;
    // The first similar-types group that holds the type, or nullptr.
    const std::vector<std::string>* similarGroupOf(std::string_view type) const;
    // A registration, or a callsign standing for one written without its dash.
    std::optional<ModelCode> modelCodeByRegistration(std::string_view text) const;

    // Called once the similar groups are read.
    void indexSimilarGroups();

private:
    std::unordered_map<std::string, std::size_t, Fnv1aHash, std::equal_to<>> similarGroupByType_;
};

// The dash candidates of a registration text, in the order they are tried.
std::vector<std::string> gf_registrationCandidates(std::string_view text);

// The one database of the process.
ModelDatabase& gf_modelDatabase();

} // namespace vorl

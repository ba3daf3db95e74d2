#include "models/ModelDatabase.h"

#include <algorithm>

namespace vorl {

std::uint16_t ModelDatabase::typeIndexOf(std::string_view type) {
    if (const auto index = typeRegistry.find(type)) return *index;
    if (typeRegistry.isClosed()) {
        if (const auto fix = typeFixes.find(type); fix != typeFixes.end())
            if (const auto fixed = typeRegistry.find(fix->second)) return *fixed;
    }
    return typeRegistry.add(type);
}

std::uint16_t ModelDatabase::airlineIndexOf(std::string_view airline) { return airlineRegistry.add(airline); }

bool ModelDatabase::isKnownType(std::string_view type) const {
    return !type.empty() && aircraftTypes.find(type) != aircraftTypes.end();
}

AircraftCategory ModelDatabase::category(std::uint16_t typeIndex) const {
    if (large.contains(typeIndex)) return AircraftCategory::Large;
    if (heavy.contains(typeIndex)) return AircraftCategory::Heavy;
    if (businessJet.contains(typeIndex)) return AircraftCategory::Buzjets;
    if (rotorcraft.contains(typeIndex)) return AircraftCategory::Rotorcraft;
    if (highPerformance.contains(typeIndex)) return AircraftCategory::HighPerf;
    return AircraftCategory::Light;
}

bool ModelDatabase::isNonAircraftType(std::string_view type) {
    static const std::unordered_set<std::string_view> nonAircraft = {"BALL", "EMER", "GLID", "GRND", "GND",
                                                                     "PARA", "SERV", "SHIP", "VENT"};
    return nonAircraft.count(type) != 0;
}

std::optional<double> ModelDatabase::halfWingspanNm(std::string_view type) const {
    const auto it = wingspans.find(type);
    if (it == wingspans.end()) return std::nullopt;
    return it->second;
}

void ModelDatabase::indexSimilarGroups() {
    similarGroupByType_.clear();
    for (std::size_t g = 0; g < similarGroups.size(); ++g)
        for (const auto& type : similarGroups[g]) similarGroupByType_.emplace(type, g);
}

const std::vector<std::string>* ModelDatabase::similarGroupOf(std::string_view type) const {
    const auto it = similarGroupByType_.find(type);
    return it == similarGroupByType_.end() ? nullptr : &similarGroups[it->second];
}

std::vector<std::string> gf_registrationCandidates(std::string_view text) {
    if (text.size() >= 5 && text.front() != 'N' && text.find('-') == std::string_view::npos) {
        std::string afterSecond(text);
        afterSecond.insert(2, 1, '-');
        std::string afterFirst(text);
        afterFirst.insert(1, 1, '-');
        return {afterSecond, afterFirst};
    }
    return {std::string(text)};
}

std::optional<ModelCode> ModelDatabase::modelCodeByRegistration(std::string_view text) const {
    for (const auto& candidate : gf_registrationCandidates(text)) {
        const auto it = std::lower_bound(registrations.begin(), registrations.end(), candidate,
                                         [](const RegistrationRecord& r, const std::string& key) { return r.registration < key; });
        if (it != registrations.end() && it->registration == candidate) return it->code;
    }
    return std::nullopt;
}

ModelDatabase& gf_modelDatabase() {
    static ModelDatabase database;
    return database;
}

} // namespace vorl

#include "tools/scenario/Fleet.h"

#include <fstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace vorl::scenario {

namespace {

Operator lf_operator(const nlohmann::json& j) {
    Operator op;
    op.icao = j.at("icao").get<std::string>();
    op.iata = j.at("iata").get<std::string>();
    op.weight = j.value("weight", 1.0);
    op.regPrefix = j.at("regPrefix").get<std::string>();
    op.regLetters = j.at("regLetters").get<int>();
    op.hexBase = static_cast<std::uint32_t>(std::stoul(j.at("hexBase").get<std::string>(), nullptr, 16));
    op.hexSpan = j.at("hexSpan").get<std::uint32_t>();
    for (const auto& t : j.at("types"))
        op.types.push_back(AircraftType{t.at(0).get<std::string>(), t.at(1).get<double>(), t.at(2).get<std::string>()});
    op.routes = j.at("routes").get<std::vector<std::string>>();
    return op;
}

template <typename T, typename Weight> const T& lf_weighted(Rng& rng, const std::vector<T>& items, Weight weightOf) {
    double total = 0.0;
    for (const auto& item : items) total += weightOf(item);
    double draw = rng.uniform(0.0, total);
    for (const auto& item : items) {
        draw -= weightOf(item);
        if (draw <= 0.0) return item;
    }
    return items.back();
}

std::string lf_squawk(Rng& rng) {
    return fmt::format("{}{}{}{}", rng.index(8), rng.index(8), rng.index(8), rng.index(8));
}

} // namespace

Fleet Fleet::load(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(fmt::format("cannot open {}", path.string()));
    const nlohmann::json j = nlohmann::json::parse(in);
    Fleet fleet;
    for (const auto& a : j.at("airlines")) fleet.airlines_.push_back(lf_operator(a));
    for (const auto& a : j.at("overflights")) fleet.overflights_.push_back(lf_operator(a));
    for (const auto& h : j.at("helicopters")) {
        Identity id;
        id.hex = h.at("hex").get<std::string>();
        id.callsign = h.at("callsign").get<std::string>();
        id.type = h.at("type").get<std::string>();
        id.registration = h.at("reg").get<std::string>();
        fleet.helicopters_.push_back(id);
    }
    for (const auto& l : j.at("light")) fleet.lightTypes_.push_back(l.at("type").get<std::string>());
    if (fleet.airlines_.empty() || fleet.overflights_.empty() || fleet.helicopters_.empty() || fleet.lightTypes_.empty())
        throw std::runtime_error("fleet: every group needs at least one entry");
    return fleet;
}

std::string Fleet::uniqueHex(Rng& rng, std::uint32_t base, std::uint32_t span) {
    for (int attempt = 0; attempt < 10000; ++attempt) {
        const auto value = base + static_cast<std::uint32_t>(rng.index(span + 1u));
        std::string hex = fmt::format("{:06x}", value);
        if (usedHex_.insert(hex).second) return hex;
    }
    throw std::runtime_error("fleet: no free hex id left");
}

std::string Fleet::registration(Rng& rng, const Operator& op) {
    if (op.regLetters == 0) return fmt::format("N{}{}{}", 100 + rng.index(899), static_cast<char>('A' + rng.index(26)), static_cast<char>('A' + rng.index(26)));
    std::string reg = op.regPrefix;
    for (int i = 0; i < op.regLetters; ++i) reg += static_cast<char>('A' + rng.index(26));
    return reg;
}

Identity Fleet::fromOperator(Rng& rng, const Operator& op) {
    Identity id;
    const AircraftType& type = lf_weighted(rng, op.types, [](const AircraftType& t) { return t.weight; });
    id.type = type.designator;
    id.category = type.category;
    id.registration = registration(rng, op);
    id.hex = uniqueHex(rng, op.hexBase, op.hexSpan);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::size_t number = 10 + rng.index(1980);
        // ICAO callsigns often carry a letter suffix instead of the flight number's last digit.
        const bool lettered = rng.chance(0.3);
        std::string callsign = lettered ? fmt::format("{}{}{}", op.icao, number / 10, static_cast<char>('A' + rng.index(26)))
                                        : fmt::format("{}{}", op.icao, number);
        if (!usedCallsigns_.insert(callsign).second) continue;
        id.callsign = callsign;
        id.flightNumber = fmt::format("{}{}", op.iata, number);
        break;
    }
    id.squawk = lf_squawk(rng);
    id.source = rng.chance(0.9) ? "X_adsb_icao" : "X_mlat";
    return id;
}

Identity Fleet::airliner(Rng& rng, const std::string& iata, bool arriving) {
    const Operator& op = lf_weighted(rng, airlines_, [](const Operator& o) { return o.weight; });
    Identity id = fromOperator(rng, op);
    const std::string other = op.routes[rng.index(op.routes.size())];
    id.origin = arriving ? other : iata;
    id.destination = arriving ? iata : other;
    return id;
}

Identity Fleet::overflight(Rng& rng) {
    const Operator& op = overflights_[rng.index(overflights_.size())];
    Identity id = fromOperator(rng, op);
    id.origin = op.routes[rng.index(op.routes.size())];
    id.destination = rng.chance(0.5) ? "FRA" : "HAM";
    return id;
}

Identity Fleet::helicopter(Rng& rng, std::size_t n) {
    Identity id = helicopters_[n % helicopters_.size()];
    usedHex_.insert(id.hex);
    id.flightNumber = "null";
    id.category = "A7";
    id.origin = "null";
    id.destination = "null";
    id.squawk = rng.chance(0.5) ? "0020" : "7000";
    id.source = "X_adsb_icao";
    return id;
}

Identity Fleet::lightAircraft(Rng& rng) {
    Identity id;
    id.type = lightTypes_[rng.index(lightTypes_.size())];
    id.registration = "PH-";
    for (int i = 0; i < 3; ++i) id.registration += static_cast<char>('A' + rng.index(26));
    id.callsign = "PH" + id.registration.substr(3); // general aviation flies under its registration
    id.hex = uniqueHex(rng, 0x484000, 16383);
    id.flightNumber = "null";
    id.category = "A1";
    id.origin = "null";
    id.destination = "null";
    id.squawk = "7000";
    id.source = rng.chance(0.5) ? "X_adsb_icao" : "T_flarm";
    return id;
}

} // namespace vorl::scenario

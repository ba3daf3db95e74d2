#include "models/LiveryCatalogue.h"

#include <algorithm>
#include <random>
#include <set>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/Log.h"
#include "common/TextCase.h"
#include "common/UserErrorException.h"
#include "models/ModelDatabase.h"

namespace vorl {
namespace {

std::mt19937& lf_randomEngine() {
    thread_local std::mt19937 engine{std::random_device{}()};
    return engine;
}

// The names airlines go by in livery titles, for the operator's-livery-of-the-brand steps.
const std::string& lf_shortName(const std::string& code) {
    static const std::unordered_map<std::string, std::string> names = {
        {"AAL", "American"}, {"ACA", "Canada"},    {"AFR", "France"},      {"ASA", "Alaska"},      {"ASH", "Mesa"},
        {"AVA", "Avianca"},  {"BAW", "British"},   {"BOX", "Aerologic"},   {"CAI", "Corendon"},    {"CFE", "Cityflyer"},
        {"DAE", "DHL Aero"}, {"DAL", "Delta"},     {"DHK", "DHL Air"},     {"EDV", "Endeavor"},    {"EZY", "easyjet"},
        {"FDX", "FedEx"},    {"FJO", "Flexjet"},   {"GJS", "GoJet"},       {"IBE", "Iberia"},      {"JIA", "PSA Airlines"},
        {"JZA", "Jazz"},     {"KLC", "Cityhopper"}, {"LRC", "Avianca"},    {"PDT", "Piedmont"},    {"PRM", "Prime"},
        {"QLK", "Quantaslink"}, {"QXE", "Horizon"}, {"RPA", "Republic"},   {"RYR", "Ryanair"},     {"SWA", "Southwest"},
        {"SKW", "SkyWest"},  {"UAL", "United"},    {"UPS", "UPS"},         {"VJT", "VistaJet"},    {"WJA", "WestJet"},
    };
    static const std::string notFound = "not found";
    const auto it = names.find(code);
    return it == names.end() ? notFound : it->second;
}

std::uint32_t lf_pairKey(std::uint16_t a, std::uint16_t b) { return (static_cast<std::uint32_t>(a) << 16) | b; }

template <typename T> void lf_shuffle(std::vector<T>& list) { std::shuffle(list.begin(), list.end(), lf_randomEngine()); }

bool lf_boolAttribute(const pugi::xml_node& node, const char* name) {
    const std::string text = node.attribute(name).as_string();
    return text == "true" || text == "1";
}

} // namespace

std::string gf_registrationPrefix(const std::string& registration) {
    if (const auto dash = registration.find('-'); dash != std::string::npos) return registration.substr(0, dash);
    if (!registration.empty() && registration.front() == 'N') return "N";
    return registration.substr(0, 2);
}

std::vector<LiveryData> gf_readLiveriesScanned(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        logLine("File {} not found", path.string());
        return {};
    }
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) {
        logLine("Failed to load {}", path.string());
        return {};
    }
    const pugi::xml_node section = doc.child("root").child("liveries");
    if (!section) {
        logLine("{} does not contain a <liveries> section", path.string());
        return {};
    }
    std::vector<LiveryData> liveries;
    for (const pugi::xml_node& node : section.children()) {
        if (node.type() != pugi::node_element) continue;
        auto required = [&](const char* name) {
            std::string value = node.attribute(name).as_string();
            if (value.empty())
                throw UserErrorException(99, fmt::format("Missing required attribute '{}' in <{}>", name, node.name()));
            return value;
        };
        LiveryData l;
        l.title = required("t");
        l.airline = required("a");
        l.model = required("m");
        l.operatorCode = node.attribute("o").as_string();
        l.registration = node.attribute("r").as_string();
        l.cargo = lf_boolAttribute(node, "c");
        liveries.push_back(std::move(l));
    }
    if (liveries.empty()) logLine("{} does not contain liveries", path.string());
    else logLine("{:5} liveries read from {}", liveries.size(), path.string());
    return liveries;
}

void LiveryCatalogue::build(const std::vector<LiveryData>& liveries, RegistrationLiveries registrationLiveries) {
    registrations_ = std::move(registrationLiveries);
    size_ = liveries.size();
    unbrandedIndex_ = db_.airlineIndexOf("ZZZ");
    privateIndex_ = db_.airlineIndexOf("PVT");
    std::set<std::uint16_t> unbrandedTypes;
    std::unordered_map<std::uint16_t, std::set<std::uint16_t>> typesOfAirline;
    for (const LiveryData& l : liveries) {
        const int cargo = l.cargo ? 1 : 0;
        const std::uint16_t airline = db_.airlineIndexOf(l.airline);
        const std::uint16_t type = db_.typeIndexOf(l.model);
        byAirline_[cargo][airline][type].push_back(l.title);
        typesOfAirline[airline].insert(type);
        if (!l.operatorCode.empty()) {
            const std::uint16_t op = db_.airlineIndexOf(l.operatorCode);
            const std::uint16_t combined = db_.airlineIndexOf(l.airline + l.operatorCode);
            combined_[lf_pairKey(airline, op)] = combined;
            byAirline_[cargo][combined][type].push_back(l.title);
            typesOfAirline[op].insert(type);
        }
        if (!l.registration.empty() && (airline == privateIndex_ || airline == unbrandedIndex_)) {
            const std::string prefix = gf_registrationPrefix(l.registration);
            if (airline == privateIndex_) privateByPrefix_[cargo][prefix][type].push_back(l.title);
            unbrandedByPrefix_[cargo][prefix][type].push_back(l.title);
        }
        if (airline == unbrandedIndex_) unbrandedTypes.insert(type);
        const auto category = static_cast<std::size_t>(db_.category(type));
        if (category < categoryCounts_.size()) ++categoryCounts_[category][cargo];
    }

    // Each airline's other types of a similar group, reachable from every member of the group.
    for (const auto& [airline, types] : typesOfAirline) {
        for (const std::uint16_t type : types) {
            const auto* group = db_.similarGroupOf(db_.typeOf(type));
            if (group == nullptr) continue;
            for (const std::string& member : *group) {
                const std::uint16_t m = db_.typeIndexOf(member);
                if (m != type) similarAvailable_[lf_pairKey(airline, m)].push_back(type);
            }
        }
    }
    for (const std::uint16_t type : unbrandedTypes) {
        const auto category = static_cast<std::size_t>(db_.category(type));
        if (category < unbrandedTypesByCategory_.size()) unbrandedTypesByCategory_[category].push_back(type);
        if (const auto* group = db_.similarGroupOf(db_.typeOf(type)))
            for (const std::string& member : *group)
                if (const std::uint16_t m = db_.typeIndexOf(member); m != type) similarUnbranded_[m].push_back(type);
    }
    genericModels_ = unbrandedTypes.size();
    logLine("{:5} airlines, {} pax aircraft models and {} cargo aircraft models", airlineCount(), modelCount(0), modelCount(1));
}

std::optional<std::string> LiveryCatalogue::pickLivery(const std::vector<std::string>& all) const {
    // A title the simulator refused is never picked again while the list has others.
    std::vector<std::string> usable;
    {
        std::lock_guard lock(mutex_);
        if (!failedTitles_.empty())
            for (const auto& t : all)
                if (failedTitles_.count(t) == 0) usable.push_back(t);
    }
    const std::vector<std::string>& titles = usable.empty() ? all : usable;
    if (titles.empty()) return std::nullopt;
    auto& engine = lf_randomEngine();
    std::uniform_int_distribution<std::size_t> any(0, titles.size() - 1);
    std::string pick;
    for (int attempt = 0; attempt < 5; ++attempt) {
        pick = titles[titles.size() == 1 ? 0 : any(engine)];
        if (registrations_.specialTitles.count(pick) == 0) return pick;
    }
    std::vector<std::string> ordinary;
    for (const auto& t : titles)
        if (registrations_.specialTitles.count(t) == 0) ordinary.push_back(t);
    if (ordinary.empty()) return pick;
    std::uniform_int_distribution<std::size_t> anyOrdinary(0, ordinary.size() - 1);
    return ordinary[anyOrdinary(engine)];
}

std::optional<std::string> LiveryCatalogue::pickFrom(const ByAirline& map, std::uint16_t airline, std::uint16_t type) const {
    const auto a = map.find(airline);
    if (a == map.end()) return std::nullopt;
    const auto t = a->second.find(type);
    return t == a->second.end() ? std::nullopt : pickLivery(t->second);
}

std::optional<std::string> LiveryCatalogue::pickByPrefix(const ByPrefix& map, const std::string& registration,
                                                         std::uint16_t type) const {
    if (registration.empty()) return std::nullopt;
    const auto p = map.find(gf_registrationPrefix(registration));
    if (p == map.end()) return std::nullopt;
    const auto t = p->second.find(type);
    return t == p->second.end() ? std::nullopt : pickLivery(t->second);
}

std::optional<std::string> LiveryCatalogue::titleWithName(int cargo, std::uint16_t airline, std::uint16_t type,
                                                          const std::string& name) const {
    const auto a = byAirline_[cargo].find(airline);
    if (a == byAirline_[cargo].end()) return std::nullopt;
    const auto t = a->second.find(type);
    if (t == a->second.end()) return std::nullopt;
    std::vector<std::string> named;
    for (const auto& title : t->second)
        if (title.find(name) != std::string::npos) named.push_back(title);
    return pickLivery(named);
}

std::uint16_t LiveryCatalogue::combinedIndex(std::uint16_t airline, std::uint16_t operatorIndex) const {
    const auto it = combined_.find(lf_pairKey(airline, operatorIndex));
    return it == combined_.end() ? 0 : it->second;
}

std::optional<std::string> LiveryCatalogue::lookupAirlineType(const LiveryQuery& aircraft, ModelCode code, int cargo) const {
    const std::uint16_t a = code.airlineIndex, o = code.operatorIndex, t = code.typeIndex;
    const ByAirline& map = byAirline_[cargo];
    if (o == 0) {
        if (a == privateIndex_)
            if (auto title = pickByPrefix(privateByPrefix_[cargo], aircraft.registration, t)) return title;
        return pickFrom(map, a, t);
    }
    if (const std::uint16_t combined = combinedIndex(a, o); combined != 0)
        if (auto title = pickFrom(map, combined, t)) return title;
    if (auto title = titleWithName(cargo, o, t, lf_shortName(db_.airlineOf(a)))) return title;
    if (auto title = titleWithName(cargo, a, t, lf_shortName(db_.airlineOf(o)))) return title;
    if (auto title = pickFrom(map, o, t)) return title;
    return pickFrom(map, a, t);
}

// A cargo flight may wear a passenger livery of its airline; never the other way round.
std::optional<std::string> LiveryCatalogue::lookupWithPassengerFallback(const LiveryQuery& aircraft, ModelCode code) const {
    if (auto title = lookupAirlineType(aircraft, code, code.cargo != 0 ? 1 : 0)) return title;
    if (code.cargo != 0) return lookupAirlineType(aircraft, code, 0);
    return std::nullopt;
}

std::optional<std::string> LiveryCatalogue::unbrandedByPrefixOrType(const LiveryQuery& aircraft, std::uint16_t type) const {
    if (auto title = pickByPrefix(unbrandedByPrefix_[0], aircraft.registration, type)) return title;
    return pickFrom(byAirline_[0], unbrandedIndex_, type);
}

std::vector<std::uint16_t> LiveryCatalogue::similarTypes(std::uint16_t airline, std::uint16_t type) const {
    const auto it = similarAvailable_.find(lf_pairKey(airline, type));
    return it == similarAvailable_.end() ? std::vector<std::uint16_t>{} : it->second;
}

std::optional<LiveryChoice> LiveryCatalogue::accept(const LiveryQuery& aircraft, const std::optional<std::string>& title,
                                                    int step, bool count) {
    if (!title || title->empty() || failed(*title)) return std::nullopt;
    if (count) {
        std::lock_guard lock(mutex_);
        ++matchesAtStep_[static_cast<std::size_t>(step)];
    }
    logLine("          {} ={}= {}", aircraft.label, step, *title);
    return LiveryChoice{*title, step, title->find("FSLTL_") != std::string::npos};
}

std::optional<LiveryChoice> LiveryCatalogue::chain(const LiveryQuery& aircraft, int depth, bool count) {
    const ModelCode& code = aircraft.code;
    if (!aircraft.registration.empty()) {
        const auto it = registrations_.titleByRegistration.find(aircraft.registration);
        if (it != registrations_.titleByRegistration.end()) {
            const int step = registrations_.specialRegistrations.count(aircraft.registration) != 0 ? 0 : 1;
            if (auto choice = accept(aircraft, it->second, step, count)) return choice;
        }
    }
    if (depth < 2) return std::nullopt;

    if (code.airlineIndex == privateIndex_) {
        ModelCode unbranded = code;
        unbranded.airlineIndex = unbrandedIndex_;
        if (auto choice = accept(aircraft, lookupWithPassengerFallback(aircraft, unbranded), 4, count)) return choice;
    }
    if (auto choice = accept(aircraft, lookupWithPassengerFallback(aircraft, code), 2, count)) return choice;
    if (depth < 3) return std::nullopt;

    auto similar = similarTypes(code.operatorIndex != 0 ? code.operatorIndex : code.airlineIndex, code.typeIndex);
    lf_shuffle(similar);
    for (const std::uint16_t type : similar) {
        if (db_.category(type) != aircraft.category) continue;
        ModelCode other = code;
        other.typeIndex = type;
        if (auto choice = accept(aircraft, lookupWithPassengerFallback(aircraft, other), 3, count)) return choice;
    }
    if (depth < 4) return std::nullopt;

    ModelCode unbranded{};
    unbranded.airlineIndex = unbrandedIndex_;
    unbranded.typeIndex = code.typeIndex;
    unbranded.cargo = (code.cargo != 0 || aircraft.cargoHint) ? 1 : 0;
    if (auto choice = accept(aircraft, lookupWithPassengerFallback(aircraft, unbranded), 4, count)) return choice;

    const auto category = aircraft.category;
    if (category != AircraftCategory::Light && category != AircraftCategory::Buzjets && category != AircraftCategory::Rotorcraft)
        return std::nullopt;
    if (auto choice = accept(aircraft, pickByPrefix(unbrandedByPrefix_[0], aircraft.registration, code.typeIndex), 5, count))
        return choice;
    std::vector<std::uint16_t> others;
    if (const auto it = similarUnbranded_.find(code.typeIndex); it != similarUnbranded_.end()) {
        others = it->second;
        lf_shuffle(others);
    } else if (const auto& sameCategory = unbrandedTypesByCategory_[static_cast<std::size_t>(category)]; !sameCategory.empty()) {
        std::uniform_int_distribution<std::size_t> any(0, sameCategory.size() - 1);
        others.push_back(sameCategory[any(lf_randomEngine())]);
    }
    for (const std::uint16_t type : others)
        if (auto choice = accept(aircraft, unbrandedByPrefixOrType(aircraft, type), 6, count)) return choice;
    return std::nullopt;
}

std::optional<LiveryChoice> LiveryCatalogue::matchLive(const LiveryQuery& aircraft, int depth) {
    LiveryQuery live = aircraft;
    live.cargoHint = false;
    return chain(live, depth, true);
}

std::optional<LiveryChoice> LiveryCatalogue::matchParked(const LiveryQuery& aircraft, const std::string& ownTitle, int depth) {
    if (!ownTitle.empty() && !failed(ownTitle)) {
        logLine("          {} =s= {}", aircraft.label, ownTitle);
        return LiveryChoice{ownTitle, -1, ownTitle.find("FSLTL_") != std::string::npos};
    }
    if (depth < 2 && registrations_.titleByRegistration.count(aircraft.registration) == 0) {
        logLine("{:8}: {} no livery match ...", aircraft.callsign, aircraft.label);
        return std::nullopt;
    }
    return chain(aircraft, depth, false);
}

std::size_t LiveryCatalogue::addFailedTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    failedTitles_.insert(title);
    return failedTitles_.size();
}

bool LiveryCatalogue::failed(const std::string& title) const {
    std::lock_guard lock(mutex_);
    return failedTitles_.count(title) != 0;
}

std::array<std::size_t, 2> LiveryCatalogue::categoryCount(AircraftCategory category) const {
    const auto c = static_cast<std::size_t>(category);
    return c < categoryCounts_.size() ? categoryCounts_[c] : std::array<std::size_t, 2>{};
}

std::size_t LiveryCatalogue::airlineCount() const {
    std::set<std::uint16_t> airlines;
    for (const auto& map : byAirline_)
        for (const auto& [airline, types] : map) airlines.insert(airline);
    return airlines.size();
}

std::size_t LiveryCatalogue::modelCount(int cargo) const {
    std::set<std::uint16_t> types;
    for (const auto& [airline, byType] : byAirline_[cargo])
        for (const auto& [type, titles] : byType) types.insert(type);
    return types.size();
}

std::array<std::size_t, LiveryCatalogue::kSteps> LiveryCatalogue::matchesAtStep() const {
    std::lock_guard lock(mutex_);
    return matchesAtStep_;
}

std::vector<std::string> LiveryCatalogue::failedTitles() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> titles(failedTitles_.begin(), failedTitles_.end());
    std::sort(titles.begin(), titles.end());
    return titles;
}

std::vector<AircraftCategory> LiveryCatalogue::logCounts() const {
    std::vector<AircraftCategory> missing;
    for (std::size_t c = 0; c < categoryCounts_.size(); ++c) {
        const auto category = static_cast<AircraftCategory>(c);
        const auto [pax, cargo] = categoryCounts_[c];
        if (pax + cargo == 0) {
            logLine("Category {}: No livery found", gf_categoryName(category));
            missing.push_back(category);
            continue;
        }
        const std::string cargoText = cargo > 0 ? fmt::format(" and {} cargo liverie{}", cargo, gf_pluralS(cargo)) : "";
        logLine("Category {}: {} pax liverie{}{}", gf_categoryName(category), pax, gf_pluralS(pax), cargoText);
    }
    if (genericModels_ > 0) logLine("{} model{} have a generic livery", genericModels_, gf_pluralS(genericModels_));
    else logLine("No generic liveries");
    return missing;
}

void LiveryCatalogue::logSummary() const {
    logLine("live traffic livery matching summary");
    logLine("Matches at step: ");
    const auto steps = matchesAtStep();
    for (std::size_t s = 0; s < steps.size(); ++s) logLine("  {}: {}", s, steps[s]);
    logLine("\nCould not be created");
    for (const auto& title : failedTitles()) logLine(title);
}

} // namespace vorl

#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/AircraftCategory.h"
#include "common/Fnv1a.h"
#include "common/ModelCode.h"
#include "models/LiveryData.h"

namespace vorl {

class ModelDatabase;

// What the matching knows of an aircraft that needs a livery.
struct LiveryQuery {
    ModelCode code;
    AircraftCategory category = AircraftCategory::Large;
    std::string registration;
    std::string label;      // how the log names the aircraft
    std::string callsign;
    bool cargoHint = false; // parked aircraft at a cargo stand
};

struct LiveryChoice {
    std::string title;
    int step = 0;
    bool fsltlModel = false;
};

// The liveries read from LiveriesScanned.xml. A malformed element throws UserErrorException;
// a missing file or section is logged and gives no liveries.
std::vector<LiveryData> gf_readLiveriesScanned(const std::filesystem::path& path);

// The registration-specific liveries: registration → title, and which of them are special.
struct RegistrationLiveries {
    std::unordered_map<std::string, std::string, Fnv1aHash, std::equal_to<>> titleByRegistration;
    std::unordered_set<std::string> specialRegistrations;
    std::unordered_set<std::string> specialTitles;
};

// The installed liveries arranged for matching, and the session's matching statistics.
// Built once; matching may then run on the live and the parking threads at once.
class LiveryCatalogue {
public:
    static constexpr int kSteps = 7;

    explicit LiveryCatalogue(ModelDatabase& database) : db_(database) {}

    void build(const std::vector<LiveryData>& liveries, RegistrationLiveries registrationLiveries);
    // The number of liveries it was built from.
    std::size_t size() const { return size_; }

    // The matching chain for a live aircraft, as deep as MATCHING_DEPTH allows.
    std::optional<LiveryChoice> matchLive(const LiveryQuery& aircraft, int depth);
    // The same chain for a parked aircraft; a title it already carries is kept.
    std::optional<LiveryChoice> matchParked(const LiveryQuery& aircraft, const std::string& ownTitle, int depth);

    // The simulator refused the title; returns how many titles it has refused so far.
    std::size_t addFailedTitle(const std::string& title);
    bool failed(const std::string& title) const;

    // Random choice from a list, avoiding special liveries while others are there.
    std::optional<std::string> pickLivery(const std::vector<std::string>& titles) const;

    // Liveries per category: passenger and cargo.
    std::array<std::size_t, 2> categoryCount(AircraftCategory category) const;
    std::size_t airlineCount() const;
    std::size_t modelCount(int cargo) const;
    std::size_t genericModelCount() const { return genericModels_; }
    std::array<std::size_t, kSteps> matchesAtStep() const;
    std::vector<std::string> failedTitles() const;

    // Logs the counts after building; returns the categories with no livery at all.
    std::vector<AircraftCategory> logCounts() const;
    void logSummary() const;

private:
    using TitleList = std::vector<std::string>;
    using ByType = std::unordered_map<std::uint16_t, TitleList>;
    using ByAirline = std::unordered_map<std::uint16_t, ByType>;
    using ByPrefix = std::unordered_map<std::string, ByType>;

    std::optional<std::string> lookupAirlineType(const LiveryQuery& aircraft, ModelCode code, int cargo) const;
    std::optional<std::string> lookupWithPassengerFallback(const LiveryQuery& aircraft, ModelCode code) const;
    std::optional<std::string> pickFrom(const ByAirline& map, std::uint16_t airline, std::uint16_t type) const;
    std::optional<std::string> pickByPrefix(const ByPrefix& map, const std::string& registration, std::uint16_t type) const;
    std::optional<std::string> titleWithName(int cargo, std::uint16_t airline, std::uint16_t type, const std::string& name) const;
    std::optional<std::string> unbrandedByPrefixOrType(const LiveryQuery& aircraft, std::uint16_t type) const;
    std::vector<std::uint16_t> similarTypes(std::uint16_t airline, std::uint16_t type) const;
    std::uint16_t combinedIndex(std::uint16_t airline, std::uint16_t operatorIndex) const;

    // Accepts a title found at a step unless the simulator refused it.
    std::optional<LiveryChoice> accept(const LiveryQuery& aircraft, const std::optional<std::string>& title, int step, bool count);
    std::optional<LiveryChoice> chain(const LiveryQuery& aircraft, int depth, bool count);

    ModelDatabase& db_;
    std::array<ByAirline, 2> byAirline_;
    std::array<ByPrefix, 2> privateByPrefix_;
    std::array<ByPrefix, 2> unbrandedByPrefix_;
    std::unordered_map<std::uint32_t, std::vector<std::uint16_t>> similarAvailable_; // airline << 16 | type
    std::unordered_map<std::uint16_t, std::vector<std::uint16_t>> similarUnbranded_;
    std::array<std::vector<std::uint16_t>, 6> unbrandedTypesByCategory_;
    std::array<std::array<std::size_t, 2>, 6> categoryCounts_{};
    RegistrationLiveries registrations_;
    std::unordered_map<std::uint32_t, std::uint16_t> combined_; // airline << 16 | operator → their joint key
    std::size_t genericModels_ = 0;
    std::size_t size_ = 0;
    std::uint16_t unbrandedIndex_ = 0;
    std::uint16_t privateIndex_ = 0;

    mutable std::mutex mutex_; // the session's state below
    std::unordered_set<std::string> failedTitles_;
    std::array<std::size_t, kSteps> matchesAtStep_{};
};

// "PH-BXA" → "PH"; without a dash an "N" registration gives "N", others their first two letters.
std::string gf_registrationPrefix(const std::string& registration);

} // namespace vorl

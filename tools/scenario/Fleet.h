#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vorl::scenario {

// Deterministic draws: the same seed gives the same scenario on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : engine_(seed) {}
    double uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
    }
    std::size_t index(std::size_t count) { return static_cast<std::size_t>(uniform(0.0, static_cast<double>(count))) % count; }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

private:
    std::mt19937_64 engine_;
};

// Who an aircraft is: the identity fields of its RealTraffic records.
struct Identity {
    std::string hex;
    std::string callsign;
    std::string flightNumber; // "null" when none
    std::string type;
    std::string registration;
    std::string category; // emitter category, e.g. "A3"
    std::string origin;   // IATA, "null" when unknown
    std::string destination;
    std::string squawk;
    std::string source; // message source type, e.g. "X_adsb_icao"
};

struct AircraftType {
    std::string designator;
    double weight;
    std::string category;
};

struct Operator {
    std::string icao;
    std::string iata;
    double weight = 1.0;
    std::string regPrefix;
    int regLetters = 3; // 0: a US "N" number
    std::uint32_t hexBase = 0;
    std::uint32_t hexSpan = 0;
    std::vector<AircraftType> types;
    std::vector<std::string> routes;
};

// Airlines, overflying operators, helicopters and light aircraft to draw from (fleet.json).
class Fleet {
public:
    static Fleet load(const std::filesystem::path& path);

    // A scheduled flight to (arriving) or from the airport `iata`.
    Identity airliner(Rng& rng, const std::string& iata, bool arriving);
    Identity overflight(Rng& rng);
    // The helicopters come from a short fixed list; `n` wraps around it.
    Identity helicopter(Rng& rng, std::size_t n);
    Identity lightAircraft(Rng& rng);

private:
    Identity fromOperator(Rng& rng, const Operator& op);
    std::string uniqueHex(Rng& rng, std::uint32_t base, std::uint32_t span);
    std::string registration(Rng& rng, const Operator& op);

    std::vector<Operator> airlines_;
    std::vector<Operator> overflights_;
    std::vector<Identity> helicopters_;
    std::vector<std::string> lightTypes_;
    std::set<std::string> usedHex_;
    std::set<std::string> usedCallsigns_;
};

} // namespace vorl::scenario

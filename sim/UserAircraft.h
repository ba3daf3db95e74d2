#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "common/AircraftCategory.h"

namespace vorl {

// The user's aircraft as the simulator last reported it.
struct UserAircraftState {
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double pitch = 0.0;     // radians
    double bank = 0.0;      // radians
    double heading = 0.0;   // radians, true
    double altitude = 0.0;  // feet, never below 0
    double altitudeAboveGround = 0.0;
    double groundVelocity = 0.0; // knots
    std::int64_t zuluTime = 0;   // seconds of the day
    std::int64_t zuluDayOfYear = 0;
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;
    double standardAtmTemperature = 0.0; // Rankine
};

// The latest state, written by the dispatch and copied whole by the run loop.
class UserAircraftStore {
public:
    void store(const UserAircraftState& state) {
        std::lock_guard lock(mutex_);
        state_ = state;
    }
    UserAircraftState load() const {
        std::lock_guard lock(mutex_);
        return state_;
    }

private:
    mutable std::mutex mutex_;
    UserAircraftState state_;
};

// Seconds since 1970-01-01 of a UTC year, day of the year (1 = 1 January) and second of day.
std::int64_t gf_simTimeEpoch(std::int64_t zuluYear, std::int64_t zuluDayOfYear, std::int64_t zuluTime);

// Turns the simulator's raw "ATC MODEL" text into a type code: a few models the simulator names
// in its own way are mapped, "$$:" prefixes dropped, texture names searched for a known type,
// and a bare "737" decided by the title.
std::string gf_normaliseUserModel(const std::string& rawModel, const std::string& title);

} // namespace vorl

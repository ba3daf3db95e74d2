#pragma once
#include <cstdint>

namespace vorl {

// One reported position of a live aircraft in its stream; `playoutTime` is the cycle at which
// the sample becomes due.
struct PositionSample {
    double lat = 0.0;
    double lon = 0.0;
    double altitude = 0.0; // feet, 0 on the ground
    double groundSpeed = 0.0;
    double track = 0.0; // degrees
    double verticalRate = 0.0;
    double trueAirspeed = 0.0;
    std::int32_t playoutTime = 0;
    std::uint8_t airborne = 0;
    std::uint8_t stationary = 0;
    std::uint8_t headingValid = 0;
    double bank = 0.0; // radians
    std::uint8_t bankValid = 0;
    double trueHeading = 0.0; // radians
    std::int64_t dataTime = 0;
    std::uint32_t hexId = 0;
    // The due cycle the feed's timing gave, kept when the movement re-plans `playoutTime`: the
    // length of a leg as the aircraft really flew it.
    std::int32_t scheduledDue = 0;
};

} // namespace vorl

#pragma once
// The data blocks of the program's data definitions, packed as the simulator sends and takes
// them (fields in the order they are added to the definition).
#include <cstdint>

#include "sim/SimConnectApi.h"

namespace vorl {

#pragma pack(push, 1)

// Definition 402, written for every AI object each frame.
struct AiPositionBlock {
    double latitude = 0;      // degrees
    double longitude = 0;     // degrees
    double pitch = 0;         // radians
    double bank = 0;          // radians
    double heading = 0;       // radians, true
    double altitude = 0;      // feet
    double verticalSpeed = 0; // feet per second
    double trueAirspeed = 0;  // knots
};

// Definition 401, the controls block the ground movement writes directly.
struct AiControlsBlock {
    double spoilersHandle = 0; // percent
    double throttle1 = 0;      // percent
    double throttle2 = 0;      // percent
};

// Definition 403, the user aircraft's state.
struct UserStateBlock {
    double latitude;
    double longitude;
    double pitch;
    double bank;
    double heading;
    double altitude;
    double altitudeAboveGround;
    double groundVelocity;
    std::int64_t zuluTime;
    std::int64_t zuluDayOfYear;
    std::int64_t zuluYear;
    std::int64_t lightStates;
    double standardAtmTemperature; // Rankine
};

// Definition 404, one aircraft within range.
struct InRangeBlock {
    double altitudeAboveGround;
    double groundAltitude;
    std::int64_t onGround;
    char atcId[32];
};

// Definition 405, static attitude of an AI object.
struct StaticAttitudeBlock {
    double staticCgToGround; // feet
    double staticPitch;      // radians
};

// Definition 408.
struct UserModelBlock {
    char atcModel[32];
};

// Definition 409.
struct UserOnGroundBlock {
    std::int64_t onGround;
};

#pragma pack(pop)

static_assert(sizeof(AiPositionBlock) == 64);
static_assert(sizeof(AiControlsBlock) == 24);
static_assert(sizeof(UserStateBlock) == 104);
static_assert(sizeof(InRangeBlock) == 56);
static_assert(sizeof(StaticAttitudeBlock) == 16);
static_assert(sizeof(UserModelBlock) == 32);
static_assert(sizeof(UserOnGroundBlock) == 8);

} // namespace vorl

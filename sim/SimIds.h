#pragma once
// The program's own identifiers passed to SimConnect. They never change: the dispatch handler
// and the outbox switch on them.
#include <array>
#include <cstdint>

namespace vorl::simid {

// System events.
inline constexpr std::uint32_t kEventSim = 201;
inline constexpr std::uint32_t kEventObjectAdded = 202;
inline constexpr std::uint32_t kEventObjectRemoved = 203;
inline constexpr std::uint32_t kEventFrame = 204;
inline constexpr std::uint32_t kEventFlightLoaded = 205;

// Client events.
inline constexpr std::uint32_t kBeaconLights = 206;
inline constexpr std::uint32_t kNavLights = 207;
inline constexpr std::uint32_t kTaxiLights = 208;
inline constexpr std::uint32_t kStrobes = 209;
inline constexpr std::uint32_t kLandingLights = 210;
inline constexpr std::uint32_t kCabinLights = 211;
inline constexpr std::uint32_t kLogoLights = 212;
inline constexpr std::uint32_t kAllLightsToggle = 213;
inline constexpr std::uint32_t kFreezeLatLon = 214;
inline constexpr std::uint32_t kFreezeAltitude = 215;
inline constexpr std::uint32_t kFreezeAttitude = 216;
inline constexpr std::uint32_t kFlapsSet = 217;
inline constexpr std::uint32_t kSpoilersSet = 218;
inline constexpr std::uint32_t kGearSet = 219;
inline constexpr std::uint32_t kEngineAutoStart = 220;
inline constexpr std::uint32_t kEngineAutoShutdown = 221;
inline constexpr std::uint32_t kThrottleSet = 222;

inline constexpr std::uint32_t kGroup = 301;

// Data definitions.
inline constexpr std::uint32_t kDefAiControls = 401;
inline constexpr std::uint32_t kDefAiPosition = 402;
inline constexpr std::uint32_t kDefUserState = 403;
inline constexpr std::uint32_t kDefInRange = 404;
inline constexpr std::uint32_t kDefStaticAttitude = 405;
inline constexpr std::uint32_t kDefAiLights = 406;
inline constexpr std::uint32_t kDefUserTitle = 407;
inline constexpr std::uint32_t kDefUserModel = 408;
inline constexpr std::uint32_t kDefUserOnGround = 409;

// Requests.
inline constexpr std::uint32_t kReqInRange = 101;
inline constexpr std::uint32_t kReqStaticAttitude = 102;
inline constexpr std::uint32_t kReqReleaseControl = 103;
inline constexpr std::uint32_t kReqCreate = 104;
inline constexpr std::uint32_t kReqRemove = 105;
inline constexpr std::uint32_t kReqUserTitle = 106;
inline constexpr std::uint32_t kReqUserModel = 107;
inline constexpr std::uint32_t kReqUserOnGround = 108;
inline constexpr std::uint32_t kReqUserState = 109;
inline constexpr std::uint32_t kReqFlightPlan = 110;
// Helicopters within range: the simulator keeps them apart from the aircraft type, so they need
// a by-type request of their own, answered like request 101.
inline constexpr std::uint32_t kReqHelicoptersInRange = 111;

struct SystemEventName {
    std::uint32_t id;
    const char* name;
};
// In the order they are subscribed.
inline constexpr std::array<SystemEventName, 5> kSystemEvents{{
    {kEventSim, "Sim"},
    {kEventObjectAdded, "ObjectAdded"},
    {kEventObjectRemoved, "ObjectRemoved"},
    {kEventFlightLoaded, "FlightLoaded"},
    {kEventFrame, "Frame"},
}};

// In the order they are mapped.
inline constexpr std::array<SystemEventName, 17> kClientEvents{{
    {kGearSet, "GEAR_SET"},
    {kEngineAutoStart, "ENGINE_AUTO_START"},
    {kEngineAutoShutdown, "ENGINE_AUTO_SHUTDOWN"},
    {kThrottleSet, "THROTTLE_SET"},
    {kFlapsSet, "FLAPS_SET"},
    {kSpoilersSet, "SPOILERS_SET"},
    {kNavLights, "NAV_LIGHTS_SET"},
    {kBeaconLights, "BEACON_LIGHTS_SET"},
    {kLandingLights, "LANDING_LIGHTS_SET"},
    {kTaxiLights, "TAXI_LIGHTS_SET"},
    {kStrobes, "STROBES_SET"},
    {kLogoLights, "LOGO_LIGHTS_SET"},
    {kCabinLights, "CABIN_LIGHTS_SET"},
    {kAllLightsToggle, "ALL_LIGHTS_TOGGLE"},
    {kFreezeLatLon, "FREEZE_LATITUDE_LONGITUDE_SET"},
    {kFreezeAltitude, "FREEZE_ALTITUDE_SET"},
    {kFreezeAttitude, "FREEZE_ATTITUDE_SET"},
}};

// The events of the notification group: all but the engine start.
inline constexpr std::array<std::uint32_t, 16> kGroupEvents{kNavLights,     kBeaconLights,   kLandingLights, kTaxiLights,
                                                             kStrobes,       kLogoLights,     kCabinLights,   kAllLightsToggle,
                                                             kFlapsSet,      kSpoilersSet,    kGearSet,       kEngineAutoShutdown,
                                                             kThrottleSet,   kFreezeLatLon,   kFreezeAltitude, kFreezeAttitude};

} // namespace vorl::simid

#pragma once

namespace vorl {

inline constexpr double kEarthRadiusNm = 3437.7468;      // one minute of arc is one nautical mile
inline constexpr double kFeetToRadians = 4.787404208238998e-8; // central angle of one foot
inline constexpr double kFeetPerNm = 6076.11549;
inline constexpr double kFeetPerMeter = 3.2808399;
inline constexpr double kPi = 3.14159265358979323846;

struct LatLon {
    double lat = 0.0; // degrees
    double lon = 0.0; // degrees
};

// Great-circle distance in nautical miles (haversine on a sphere).
double gf_distanceNm(double lat1, double lon1, double lat2, double lon2);
inline double gf_distanceNm(LatLon a, LatLon b) { return gf_distanceNm(a.lat, a.lon, b.lat, b.lon); }

// The point reached from `from` on the initial bearing (degrees true) after `distanceFeet`.
LatLon gf_destinationPoint(LatLon from, double bearingDeg, double distanceFeet);

// Initial great-circle bearing from a to b in degrees, 0 to 360.
double gf_bearingDeg(LatLon a, LatLon b);

inline constexpr double gf_degToRad(double deg) { return deg * kPi / 180.0; }
inline constexpr double gf_radToDeg(double rad) { return rad * 180.0 / kPi; }

} // namespace vorl

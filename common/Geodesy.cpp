#include "common/Geodesy.h"

#include <algorithm>
#include <cmath>

namespace vorl {

double gf_distanceNm(double lat1, double lon1, double lat2, double lon2) {
    const double phi1 = gf_degToRad(lat1);
    const double phi2 = gf_degToRad(lat2);
    const double dPhi = phi2 - phi1;
    const double dLambda = gf_degToRad(lon2 - lon1);
    const double a = std::sin(dPhi / 2) * std::sin(dPhi / 2) +
                     std::cos(phi1) * std::cos(phi2) * std::sin(dLambda / 2) * std::sin(dLambda / 2);
    return 2.0 * kEarthRadiusNm * std::atan2(std::sqrt(a), std::sqrt(std::max(0.0, 1.0 - a)));
}

LatLon gf_destinationPoint(LatLon from, double bearingDeg, double distanceFeet) {
    const double delta = distanceFeet * kFeetToRadians;
    const double theta = gf_degToRad(bearingDeg);
    const double phi1 = gf_degToRad(from.lat);
    const double lambda1 = gf_degToRad(from.lon);
    const double sinPhi2 = std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta);
    const double phi2 = std::asin(std::clamp(sinPhi2, -1.0, 1.0));
    const double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1),
                                                std::cos(delta) - std::sin(phi1) * sinPhi2);
    double lon = gf_radToDeg(lambda2);
    lon = std::fmod(lon + 540.0, 360.0) - 180.0;
    return {gf_radToDeg(phi2), lon};
}

double gf_bearingDeg(LatLon a, LatLon b) {
    const double phi1 = gf_degToRad(a.lat);
    const double phi2 = gf_degToRad(b.lat);
    const double dLambda = gf_degToRad(b.lon - a.lon);
    const double y = std::sin(dLambda) * std::cos(phi2);
    const double x = std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda);
    return std::fmod(gf_radToDeg(std::atan2(y, x)) + 360.0, 360.0);
}

} // namespace vorl

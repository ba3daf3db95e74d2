#include "sim/BezierCurve.h"

#include <cmath>

#include "sim/MovementTables.h"

namespace vorl {

BezierCurve::BezierCurve(LatLon start, LatLon control, LatLon end)
    : origin_(start), cosLat_(std::cos(gf_degToRad(start.lat))), p1_(toLocal(control)), p2_(toLocal(end)) {}

BezierCurve::Local BezierCurve::toLocal(LatLon p) const {
    return {(p.lat - origin_.lat) * kMetresPerDegree, (p.lon - origin_.lon) * cosLat_ * kMetresPerDegree};
}

LatLon BezierCurve::pointAt(double u) const {
    // P0 is the origin, so its term vanishes.
    const double a = 2.0 * (1.0 - u) * u;
    const double b = u * u;
    const double north = a * p1_.north + b * p2_.north;
    const double east = a * p1_.east + b * p2_.east;
    return {north / kMetresPerDegree + origin_.lat, east / (cosLat_ * kMetresPerDegree) + origin_.lon};
}

double BezierCurve::headingAt(double u) const {
    const double north = 2.0 * (1.0 - u) * p1_.north + 2.0 * u * (p2_.north - p1_.north);
    const double east = 2.0 * (1.0 - u) * p1_.east + 2.0 * u * (p2_.east - p1_.east);
    double heading = std::atan2(east, north);
    if (heading < 0.0) heading += 2.0 * kPi;
    return heading;
}

} // namespace vorl

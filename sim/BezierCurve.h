#pragma once
#include "common/Geodesy.h"

namespace vorl {

// A quadratic Bézier path in a flat local frame around its start point; short enough (one
// taxi turn) that the flat-earth error does not matter.
class BezierCurve {
public:
    BezierCurve(LatLon start, LatLon control, LatLon end);
    LatLon pointAt(double u) const;
    // Heading of the tangent in radians, 0 to 2π.
    double headingAt(double u) const;

private:
    struct Local {
        double north = 0.0;
        double east = 0.0;
    };
    Local toLocal(LatLon p) const;
    LatLon origin_;
    double cosLat_;
    Local p1_;
    Local p2_;
};

} // namespace vorl

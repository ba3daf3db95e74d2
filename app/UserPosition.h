#pragma once
#include "common/Geodesy.h"

namespace vorl {

// Where the user's aircraft is, as the simulator link last reported it. Latitude, longitude and
// altitude are written and read as one unit, so a reader never pairs a latitude with the
// longitude of another moment.
struct UserPosition {
    LatLon position;
    double altitudeFeet = 0.0;
    bool known = false;
};

void gf_publishUserPosition(LatLon position, double altitudeFeet);
UserPosition gf_userPosition();
void gf_forgetUserPosition();

} // namespace vorl

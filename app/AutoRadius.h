#pragma once

namespace vorl {

// The traffic radius in nautical miles for a user at `altitudeFeet`.
//
// Without the automatic radius it is the chosen radius. With it, the radius grows with height,
// because a pilot high up sees (and the traffic picture needs) aircraft much farther away than
// one taxiing: on the ground and up to 3000 ft the chosen radius holds; from there it rises in a
// straight line to 100 NM, the largest radius of the list, reached at the "Ah:" height and kept
// above it. The radius never falls below the chosen one.
double gf_trafficRadiusNm(int chosenRadiusNm, bool automatic, int autoHeightFeet, double altitudeFeet);

} // namespace vorl

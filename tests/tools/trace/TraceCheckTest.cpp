// The trace check's verdicts on small hand-written simulator traces.
#include <sstream>

#include <gtest/gtest.h>

#include "tools/trace/TraceCheck.h"

using namespace vorl::tracecheck;

namespace {

const std::vector<StandRef> kStands = {{"D7", 52.3100, 4.7600, 90.0}, {"D8", 52.3110, 4.7600, 270.0}};

std::string lf_created(const std::string& tail, double lat, double lon, double heading, double t, int objectId) {
    return "{\"call\":\"AICreateNonATCAircraft\",\"tail\":\"" + tail + "\",\"lat\":" + std::to_string(lat) +
           ",\"lon\":" + std::to_string(lon) + ",\"heading\":" + std::to_string(heading) + ",\"t\":" + std::to_string(t) +
           "}\n{\"event\":\"ObjectAdded\",\"objectId\":" + std::to_string(objectId) + ",\"tail\":\"" + tail +
           "\",\"t\":" + std::to_string(t + 100) + "}\n";
}

std::string lf_moved(int objectId, double lat, double lon, double headingRad, double t) {
    return "{\"call\":\"SetDataOnSimObject\",\"objectId\":" + std::to_string(objectId) + ",\"lat\":" + std::to_string(lat) +
           ",\"lon\":" + std::to_string(lon) + ",\"alt\":0,\"tas\":0,\"headingRad\":" + std::to_string(headingRad) +
           ",\"t\":" + std::to_string(t) + "}\n";
}

} // namespace

TEST(TraceCheck, AircraftStandingAtStandsAreCheckedForPositionAndHeading) {
    std::string trace;
    // A static aircraft exactly on D7, a live one that parks on D8 but 5 m short, and one that
    // only passes by.
    trace += lf_created("STATIC1", 52.3100, 4.7600, 90.0, 0, 101);
    trace += lf_created("LIVE1", 52.3130, 4.7600, 180.0, 0, 102);
    trace += lf_moved(102, 52.3120, 4.7600, 3.14159, 10000);
    trace += lf_moved(102, 52.31095, 4.7600, 4.71239, 20000);
    trace += lf_created("PASSING", 52.3105, 4.7610, 0.0, 0, 103);
    for (int t = 1000; t < 60000; t += 1000) trace += lf_moved(103, 52.3105 + t * 1e-8, 4.7610, 0.0, t);
    trace += "{\"event\":\"End\",\"t\":60000}\n";
    std::istringstream in(trace);
    const StandReport report = gf_checkStands(in, kStands, 20.0);
    EXPECT_EQ(report.standing, 2u);
    EXPECT_EQ(report.onStand, 1u);
    ASSERT_EQ(report.off.size(), 1u);
    EXPECT_NE(report.off[0].find("LIVE1 at D8: 5.6 m"), std::string::npos) << report.off[0];
}

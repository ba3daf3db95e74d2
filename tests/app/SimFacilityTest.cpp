// A user parks at an airport for which there is no airport file to be had (no server, nothing
// shipped): the stands come from the simulator's own facility data, and static aircraft stand on
// them.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "common/Geodesy.h"
#include "sim/SimSession.h"
#include "standins/sim/SimStandIn.h"
#include "tests/app/WholeProgram.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::WholeProgram;

TEST(SimFacilityStands, AnAirportWithoutFileTakesTheSimulatorsStandsAndKeepsThem) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    const fs::path generated = run.dir / "airports" / "simfacilities" / "EHAM.xml";
    ASSERT_TRUE(run.waitFor([&] { return fs::exists(generated); }))
        << run.log();

    // The stands of the generated file, as the simulator reported them.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(generated.c_str()));
    std::vector<LatLon> stands;
    for (auto parkpos : doc.child("root").child("parkpositions").children("parkpos"))
        stands.push_back({parkpos.attribute("latitude").as_double(), parkpos.attribute("longitude").as_double()});
    ASSERT_FALSE(stands.empty());

    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    const auto staticOnAStand = [&] {
        for (const auto& o : sim->objects())
            for (const LatLon& s : stands)
                if (o.createdByProgram && gf_distanceNm(o.lat, o.lon, s.lat, s.lon) * 1852.0 < 2.0) return true;
        return false;
    };
    EXPECT_TRUE(run.waitFor(staticOnAStand, std::chrono::seconds(60))) << run.log();
    EXPECT_EQ(run.close(), 0);
    const std::string log = run.log();
    EXPECT_NE(log.find("Generated airports/simfacilities/EHAM.xml: "), std::string::npos) << log;
    EXPECT_NE(log.find("The park airport is EHAM"), std::string::npos);
    EXPECT_TRUE(fs::exists(run.dir / "airports" / "learned" / "stock" / "EHAM.xml")) << "learned like the stock file";
}

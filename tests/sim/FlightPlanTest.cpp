#include <filesystem>

#include "SimTestSupport.h"
#include "sim/FlightPlan.h"
#include "sim/SimSession.h"

using namespace vorl;
using namespace vorl::test;
namespace fs = std::filesystem;

TEST(FlightPlanText, LightAircraftFlyVfrAndHeavyOnesIfr) {
    const std::string vfr = gf_flightPlanText({77, AircraftCategory::Light, "AMS", "LHR", "KLM1"});
    EXPECT_EQ(vfr, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
                   "<FlightPlan.FlightPlan>\n"
                   "<FPType>VFR</FPType>\n"
                   "<DepartureID>AMS</DepartureID>\n"
                   "<DestinationID>LHR</DestinationID>\n"
                   "</FlightPlan.FlightPlan>\n"
                   "</SimBase.Document>\n"
                   "\n");
    EXPECT_NE(gf_flightPlanText({77, AircraftCategory::Heavy, "AMS", "JFK", "KLM1"}).find("<FPType>IFR</FPType>"),
              std::string::npos);
    EXPECT_NE(gf_flightPlanText({77, AircraftCategory::Rotorcraft, "AMS", "JFK", "KLM1"}).find("VFR"),
              std::string::npos);
}

TEST(FlightPlanFolder, IsCreatedOnceAndFilesGoWithTheirMark) {
    TempFolder temp;
    const fs::path folder = temp / "VORL" / "orig_dest";
    EXPECT_TRUE(gf_createFlightPlanFolder(folder));
    EXPECT_FALSE(gf_createFlightPlanFolder(folder));
    writeFile(gf_flightPlanPath(folder, 12), "x");
    gf_removeFlightPlan(folder, 12, false);
    EXPECT_TRUE(fs::exists(folder / "12.pln"));
    gf_removeFlightPlan(folder, 12, true);
    EXPECT_FALSE(fs::exists(folder / "12.pln"));
}

class FlightPlanTest : public SimLinkTest {};

TEST_F(FlightPlanTest, Msfs2020GetsTheFileHandedOver) {
    connect();
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM1", 0x484c5a));
    cycles(25);
    ASSERT_EQ(standIn->objects().size(), 1u);
    const std::uint32_t objectId = standIn->objects()[0].id;
    const fs::path folder = temp->path() / "orig_dest";
    gf_createFlightPlanFolder(folder);

    EXPECT_TRUE(createFlightPlan({objectId, AircraftCategory::Large, "AMS", "CDG", "KLM1"}, folder, true));
    ASSERT_TRUE(standIn->waitDispatched());
    const auto handed = calls("AISetAircraftFlightPlan");
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].at("path"), gf_flightPlanPath(folder, objectId).string());
    EXPECT_EQ(standIn->object(objectId)->flightPlan, gf_flightPlanPath(folder, objectId).string());
    EXPECT_EQ(readFile(gf_flightPlanPath(folder, objectId)).find("<DestinationID>CDG</DestinationID>") !=
                  std::string::npos,
              true);
}

TEST_F(FlightPlanTest, Msfs2024OnlyWritesTheFileAndIncompleteRoutesGetNone) {
    connect();
    const fs::path folder = temp->path() / "orig_dest";
    gf_createFlightPlanFolder(folder);
    EXPECT_TRUE(createFlightPlan({4711, AircraftCategory::Large, "AMS", "CDG", "KLM1"}, folder, false));
    EXPECT_TRUE(fs::exists(folder / "4711.pln"));
    EXPECT_TRUE(calls("AISetAircraftFlightPlan").empty());

    EXPECT_FALSE(createFlightPlan({4712, AircraftCategory::Large, "AMS", "", "KLM2"}, folder, true));
    EXPECT_FALSE(createFlightPlan({4713, AircraftCategory::Large, "   ", "CDG", "KLM3"}, folder, true));
    EXPECT_FALSE(fs::exists(folder / "4712.pln"));
    EXPECT_FALSE(fs::exists(folder / "4713.pln"));
}

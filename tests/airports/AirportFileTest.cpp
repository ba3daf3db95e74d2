// Where airport files are found, how they are read (stands, types, adjacency, errors) and
// fetched from the download server, and the closest-stand question.
#include <gtest/gtest.h>

#include "airports/AirportFileLocator.h"
#include "airports/AirportFileReader.h"
#include "airports/AirportFileXml.h"
#include "airports/ClosestStand.h"
#include "common/Geodesy.h"
#include "common/UserErrorException.h"
#include "standins/download/DownloadServerStandIn.h"
#include "tests/airports/AirportFileFixture.h"

using namespace vorl;
using namespace vorl::test;
namespace fs = std::filesystem;

namespace {

AirportState ehamState() {
    AirportState state;
    state.icao = "EHAM";
    return state;
}

} // namespace

TEST(AirportFileLocator, UserFoldersWinInOrderThenTheArchiveByStandClass) {
    AirportFilesFixture f;
    f.standClasses = {{"EHAM", 1}, {"EHLE", 0}};
    EXPECT_EQ(gf_locateAirportFile("EHAM"), "archive/stock/EHAM.xml");
    EXPECT_EQ(gf_locateAirportFile("EHLE"), "") << "stand class 0 and no local file";
    EXPECT_FALSE(gf_hasAirportFile("EHLE"));
    EXPECT_EQ(gf_locateAirportFile("XXXX"), "");

    f.write("airports/my_simaddon/EHLE.xml", "<root/>");
    EXPECT_EQ(gf_locateAirportFile("EHLE"), "airports/my_simaddon/EHLE.xml");
    EXPECT_TRUE(gf_hasAirportFile("EHLE"));
    f.write("airports/my_simaddon/EHLE.txt", "airports/my_simaddon/other/EHLE.XML  \r\n");
    EXPECT_EQ(gf_locateAirportFile("EHLE"), "airports/my_simaddon/other/EHLE.XML") << "a redirect wins in its folder";
    f.write("airports/my_thirdparty/EHLE.xml", "<root/>");
    EXPECT_EQ(gf_locateAirportFile("EHLE"), "airports/my_thirdparty/EHLE.xml") << "my_thirdparty before my_simaddon";
    f.write("airports/my_thirdparty/EHLE.txt", "x.xm\n");
    EXPECT_EQ(gf_locateAirportFile("EHLE"), "airports/my_thirdparty/EHLE.xml") << "an invalid redirect counts for nothing";
}

TEST(AirportFileReader, StandsTypesAdjacencyAndTheSettingsOfAnAirportWithoutLearnedFile) {
    AirportFilesFixture f;
    f.standClasses = {{"EHAM", 2}};
    f.write("airports/my_thirdparty/EHAM.xml",
            airportXml(standXml("A1", 0, 20) + "</parkpos>" + standXml("A2", 40, 25) + "</parkpos>" +
                       standXml("B1", 200, 20, R"(type="5" cargo="false")") + "</parkpos>" +
                       standXml("B2", 240, 20, R"(type="2")") + "</parkpos>" +
                       R"(<parkpos id="Z9" latitude="0" longitude="0" radius="10"/>)" +
                       standXml("H1", 600, 15, R"(heli="true")") +
                       R"(<opt reg="PH-ABC" airl="KLM" type="B738" soft="true" day="3" hh="10:20" cs="KLM12"/></parkpos>)"));
    AirportState state = ehamState();
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHAM.xml", state), "");
    ASSERT_EQ(state.stands.size(), 5u) << "the stand without position is skipped";
    EXPECT_EQ(state.elevationFeet, -11);
    EXPECT_EQ(state.name, "Schiphol");
    // 40 m apart with 20 + 25 m radii overlap (45 > 44); 40 m apart with 20 + 20 m do not.
    EXPECT_EQ(state.stands[0].adjacent, std::vector<std::uint32_t>{2});
    EXPECT_EQ(state.stands[1].adjacent, std::vector<std::uint32_t>{1});
    EXPECT_TRUE(state.stands[2].adjacent.empty());
    EXPECT_TRUE(state.stands[2].cargo) << "type 5 is a cargo stand whatever the cargo attribute says";
    EXPECT_TRUE(state.stands[3].ramp);
    EXPECT_NEAR(state.stands[0].heading, kPi / 2, 1e-9);
    EXPECT_NEAR(state.stands[0].radius, 20 * kMetersToNm, 1e-12);
    EXPECT_EQ(state.stands[4].number, 5u);
    EXPECT_EQ(state.stands[4].options.size(), 1u);
    // No learned file: the stand class sets the share of stands to fill.
    EXPECT_EQ(state.settings.parkingPercentage, 50);
}

TEST(AirportFileReader, BrokenFilesAnswerOrThrowTheUserErrors) {
    AirportFilesFixture f;
    AirportState state = ehamState();
    EXPECT_EQ(gf_readApf("", state), "gf_readApf: xml is empty");
    AirportState none;
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHAM.xml", none), "gf_readApf: no park airport set");
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHAM.xml", state),
              "gf_readApf: could not load file: airports/my_thirdparty/EHAM.xml");

    const auto codeOf = [&](const std::string& xml) {
        f.write("airports/my_thirdparty/EHAM.xml", xml);
        try {
            gf_readApf("airports/my_thirdparty/EHAM.xml", state);
        } catch (const UserErrorException& e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf(airportXml(R"(<parkpos latitude="52" longitude="4"/>)")), 93);
    EXPECT_EQ(codeOf(airportXml(R"(<parkpos id="  " latitude="52" longitude="4"/>)")), 93);
    EXPECT_EQ(codeOf(airportXml(R"(<parkpos id="A" latitude="52" longitude="4"/><parkpos id="A" latitude="52" longitude="4"/>)")), 94);
    EXPECT_EQ(codeOf(R"(<root><parameters/><parkpositions/></root>)"), 65);
    f.write("airports/my_thirdparty/EHAM.xml", airportXml(""));
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHAM.xml", state), "no stands found");
}

TEST(AirportFileReader, ArchivedFilesComeFromTheDownloadServerForTheSimulatorInUse) {
    AirportFilesFixture f;
    f.standClasses = {{"EHAM", 1}};
    TempFolder server;
    writeFile(server / "MSFS2024" / "archive" / "stock" / "EHAM.xml", airportXml(standXml("D7", 0, 30) + "</parkpos>"));
    standin::DownloadServerStandIn standIn(server.path());
    standIn.start();
    gf_airportFilesContext().serverBase = standIn.baseUrl();
    gf_airportFilesContext().msfs2020 = false;

    AirportState state = ehamState();
    EXPECT_EQ(gf_readApf(gf_locateAirportFile("EHAM"), state), "");
    EXPECT_EQ(state.stands.size(), 1u);
    EXPECT_TRUE(fs::exists(f.dir / "airports" / "park_airport.xml"));

    std::string stand;
    EXPECT_LT(gf_readDestApfForClosestStand("EHAM", 52.3, 4.7601, stand), 0.01);
    EXPECT_EQ(stand, "D7");
    EXPECT_FALSE(fs::exists(f.dir / "airports" / "airport.xml")) << "the scratch copy is removed";
    EXPECT_EQ(gf_readDestApfForClosestStand("LFPG", 52.3, 4.76, stand), 100.0);

    gf_airportFilesContext().msfs2020 = true; // the 2020 folder has no such file
    const fs::path target = f.dir / "airports" / "fetched.xml";
    EXPECT_EQ(gf_downloadAirportFile("archive/stock/EHAM.xml", target),
              standIn.baseUrl() + "/downloads/MSFS/archive/stock/EHAM.xml");
    EXPECT_FALSE(fs::exists(target)) << "a failed download leaves no file";
}

// The install folder ships the archive: without a server, and when the server fails, the
// archived file comes from there; a server that has the file comes first.
TEST(AirportFileReader, ArchivedFilesComeFromTheInstallFolderWithoutAServerOrWhenItFails) {
    AirportFilesFixture f;
    f.standClasses = {{"EHAM", 1}};
    f.write("archive/stock/EHAM.xml", airportXml(standXml("Shipped", 0, 30) + "</parkpos>"));

    AirportState state = ehamState();
    EXPECT_EQ(gf_readApf(gf_locateAirportFile("EHAM"), state), "") << "no server set";
    ASSERT_EQ(state.stands.size(), 1u);
    EXPECT_EQ(state.stands[0].id, "Shipped");
    std::string stand;
    EXPECT_LT(gf_readDestApfForClosestStand("EHAM", 52.3, 4.7601, stand), 0.01);
    EXPECT_EQ(stand, "Shipped");

    TempFolder server;
    writeFile(server / "MSFS" / "archive" / "stock" / "EHAM.xml", airportXml(standXml("Served", 0, 30) + "</parkpos>"));
    standin::DownloadServerStandIn standIn(server.path());
    standIn.start();
    gf_airportFilesContext().serverBase = standIn.baseUrl();
    state = ehamState();
    EXPECT_EQ(gf_readApf(gf_locateAirportFile("EHAM"), state), "");
    ASSERT_EQ(state.stands.size(), 1u);
    EXPECT_EQ(state.stands[0].id, "Served") << "the server comes first";

    gf_airportFilesContext().msfs2020 = false; // the server has no 2024 file
    state = ehamState();
    EXPECT_EQ(gf_readApf(gf_locateAirportFile("EHAM"), state), "");
    ASSERT_EQ(state.stands.size(), 1u);
    EXPECT_EQ(state.stands[0].id, "Shipped");

    const int port = standIn.port();
    standIn.stop(); // the server is gone
    gf_airportFilesContext().msfs2020 = true;
    state = ehamState();
    EXPECT_EQ(gf_readApf(gf_locateAirportFile("EHAM"), state), "");
    ASSERT_EQ(state.stands.size(), 1u);
    EXPECT_EQ(state.stands[0].id, "Shipped");

    const fs::path target = f.dir / "airports" / "fetched.xml";
    EXPECT_EQ(gf_downloadAirportFile("archive/stock/LEBL.xml", target),
              fmt::format("http://127.0.0.1:{}/downloads/MSFS/archive/stock/LEBL.xml", port));
    EXPECT_FALSE(fs::exists(target)) << "neither the server nor the install folder has it";
    gf_airportFilesContext().serverBase.clear();
    EXPECT_EQ(gf_downloadAirportFile("archive/stock/LEBL.xml", target), "/downloads/MSFS/archive/stock/LEBL.xml");
    EXPECT_FALSE(fs::exists(target));
}

TEST(AirportFileXml, HalfHourTextsAndTheFitWindow) {
    HalfHourSet hours;
    EXPECT_EQ(gf_bitset2hours(hours), "");
    hours.set(7);
    EXPECT_EQ(gf_bitset2hours(hours), "7");
    hours.set(8);
    hours.set(9);
    EXPECT_EQ(gf_bitset2hours(hours), "7:9");
    EXPECT_EQ(gf_hours2bitset(gf_bitset2hours(hours)), hours);
    hours.set(20);
    EXPECT_EQ(gf_bitset2hours(hours), "") << "a broken-up set has no text";
    EXPECT_EQ(gf_maxFitHours(47), 24.0);
    EXPECT_EQ(gf_maxFitHours(0), 0.5);
    EXPECT_EQ(gf_maxFitFromHours(24.0), 47);
    EXPECT_EQ(gf_maxFitFromHours(1.5), 2);
}
